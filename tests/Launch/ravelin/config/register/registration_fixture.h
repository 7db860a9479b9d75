#pragma once
// An installed app folder with copies of the test COM server, a loaded app configuration
// document, and registration runs whose warning boxes are answered on the display as a person
// would answer them.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "config_fixture.h"
#include "harness.h"
#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "register/reghistory.h"
#include "scwconv.h"

namespace register_test {

// One element of "PredownloadFiles".
struct Record {
    std::wstring path;
    std::wstring name;
    std::wstring hashCode;
};

inline BOOL CALLBACK FindOwnWarning(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[32] = {}, title[32] = {};
    GetClassNameW(window, className, 32);
    GetWindowTextW(window, title, 32);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window) || wcscmp(className, L"#32770") != 0 ||
        wcscmp(title, L"Warining") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

inline BOOL CALLBACK FindIcon(HWND child, LPARAM icon) {
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (_wcsicmp(className, L"Static") != 0 || (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
        return TRUE;
    *reinterpret_cast<HICON*>(icon) = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    return FALSE;
}

// The box offers OK and Cancel (nothing else) and shows the exclamation icon.
inline bool IsOkCancelWarning(HWND box) {
    HICON icon = nullptr;
    EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&icon));
    return GetDlgItem(box, IDOK) != nullptr && GetDlgItem(box, IDCANCEL) != nullptr &&
           GetDlgItem(box, IDYES) == nullptr && GetDlgItem(box, IDNO) == nullptr &&
           icon == LoadIconW(nullptr, IDI_EXCLAMATION);
}

// A visible warning box of this process (tests running beside this one show their own).
inline HWND FindWarning() {
    HWND found = nullptr;
    EnumWindows(FindOwnWarning, reinterpret_cast<LPARAM>(&found));
    return found;
}

class RegistrationTest : public testing::Test {
protected:
    void SetUp() override {
        app_ = temp_ / L"srv_sales";
        ASSERT_TRUE(CreateDirectoryW(app_.c_str(), nullptr));
        strings_.reset(LoadLibraryExW((nimbo_test::BinFolder() + L"\\" + NimboNS::names::kRavelinDll).c_str(),
                                      nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(strings_);
    }
    void TearDown() override {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kServerKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        for (const std::wstring& server : servers_) RegDeleteValueW(key, server.c_str());
        RegCloseKey(key);
    }

    std::wstring Full(const std::wstring& relative) const { return app_ + L"\\" + relative; }
    std::wstring HistoryFile() const { return app_ + L"\\sales" + NimboNS::names::kRegHistoryExtension; }

    // A copy of the test COM server at `relative`; its entry points return the given HRESULTs.
    void AddServer(const std::wstring& relative, HRESULT registerResult = S_OK,
                   HRESULT unregisterResult = S_OK) {
        const std::wstring target = Full(relative);
        const size_t slash = target.rfind(L'\\');
        CreateDirectoryW(target.substr(0, slash).c_str(), nullptr);
        ASSERT_TRUE(CopyFileW((nimbo_test::TestsFolder() + L"\\nimbo_test_comserver.dll").c_str(),
                              target.c_str(), FALSE));
        servers_.push_back(target);
        SetResults(relative, registerResult, unregisterResult);
    }
    void SetResults(const std::wstring& relative, HRESULT registerResult, HRESULT unregisterResult) {
        const std::string ini =
            "[result]\r\nregister=" + std::to_string(static_cast<unsigned long>(registerResult)) +
            "\r\nunregister=" + std::to_string(static_cast<unsigned long>(unregisterResult)) + "\r\n";
        ASSERT_TRUE(nimbo_test::WriteFileText(Full(relative) + L".result", ini));
    }
    // The entry points the server at `relative` was called through, one per line.
    std::string Calls(const std::wstring& relative) const {
        return nimbo_test::ReadFileText(Full(relative) + L".calls");
    }
    // The server at `relative` has its registry entry.
    bool Registered(const std::wstring& relative) const {
        wchar_t data[32] = {};
        DWORD size = sizeof(data);
        return RegGetValueW(HKEY_CURRENT_USER, kServerKey, Full(relative).c_str(), RRF_RT_REG_SZ, nullptr,
                            data, &size) == ERROR_SUCCESS &&
               std::wstring(data) == L"registered";
    }

    std::map<std::wstring, std::wstring> History() const {
        NimboNS::CRegistrationHistory history;
        history.Load(HistoryFile());
        return history.Entries();
    }
    void SeedHistory(const std::map<std::wstring, std::wstring>& entries) {
        NimboNS::CRegistrationHistory history;
        for (const auto& [path, hashCode] : entries) history.Set(path, hashCode);
        ASSERT_TRUE(history.Save(HistoryFile()));
    }

    // A configuration of the app with `records` as its loaded document and `registerFiles`.
    void Configure(config_test::ConfigUnderTest& run, const std::vector<Record>& records,
                   const std::vector<std::wstring>& registerFiles) {
        run.config.appPath = app_;
        run.config.appName = L"sales";
        run.config.resourceModule = strings_.get();
        run.config.registerFiles = registerFiles;
        std::wstring json = L"{\"PredownloadFiles\": [";
        for (const Record& record : records) {
            if (json.back() != L'[') json += L",";
            json += L"{\"Path\": \"" + Escaped(record.path) + L"\", \"Name\": \"" + Escaped(record.name) +
                    L"\", \"HashCode\": \"" + record.hashCode + L"\", \"Size\": 1}";
        }
        json += L"], \"RegisterFiles\": []}";
        const std::string text = NimboNS::WideToUtf8(json);
        kxjson::IJsonParser* parser = run.config.configParser;
        ASSERT_NE(parser, nullptr) << "kxjson.dll";
        ASSERT_EQ(parser->Parse(text.data(), static_cast<int>(text.size())), 1) << parser->GetErrorText();
        int kind = 0;
        ASSERT_EQ(parser->GetRoot(&run.config.configRoot, &kind), 1);
    }

    // Runs RegisterComponents on a thread of its own, as the update worker does, and presses
    // `answers` (IDOK, IDCANCEL) on the warning boxes in turn; a box beyond them is cancelled.
    // Returns the text of each box, in order. A run that never ends is ended by the test's time-out.
    static std::vector<std::wstring> RegisterOnce(NimboNS::CUpdateConfig& config,
                                                  std::vector<int> answers = {},
                                                  const std::wstring& screenshot = L"") {
        std::vector<std::wstring> warnings;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            config.RegisterComponents();
            done = true;
        });
        while (!done) {
            HWND box = FindWarning();
            if (box == nullptr) {
                Sleep(50);
                continue;
            }
            Sleep(300);  // the box has painted its text
            warnings.push_back(nimbo_test::DialogText(box));
            EXPECT_TRUE(IsOkCancelWarning(box)) << "style of warning " << warnings.size();
            if (!screenshot.empty() && warnings.size() == 1) {
                // Other programs share the display: bring the box in front of their windows.
                SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
                Sleep(300);
                nimbo_test::TakeScreenshot(screenshot);
            }
            const size_t index = warnings.size() - 1;
            EXPECT_TRUE(nimbo_test::PressButton(box, index < answers.size() ? answers[index] : IDCANCEL));
            for (int wait = 0; wait < 100 && IsWindow(box); ++wait) Sleep(50);
        }
        worker.join();
        return warnings;
    }

    // RegisterOnce, run again when the channel could not be opened: on a heavily loaded machine
    // elevhost can take longer to start than elevlink waits for it (about two seconds). Such a
    // run has changed nothing (see WithoutTheElevatedChannelNothingIsRegistered).
    static std::vector<std::wstring> Register(config_test::ConfigUnderTest& run,
                                              std::vector<int> answers = {},
                                              const std::wstring& screenshot = L"") {
        const std::string refused =
            NimboNS::WideToUtf8(NimboNS::GetLocalizedMessage(NimboNS::msg::kElevlinkOpenFailed));
        auto refusals = [&] {
            const std::string log = run.Log();
            size_t count = 0;
            for (size_t at = log.find(refused); at != std::string::npos; at = log.find(refused, at + 1))
                ++count;
            return count;
        };
        for (int attempt = 1;; ++attempt) {
            const size_t before = refusals();
            std::vector<std::wstring> warnings = RegisterOnce(run.config, answers, screenshot);
            if (refusals() == before || attempt == 3) return warnings;
            std::printf("the channel did not open in time (attempt %d); registering again\n", attempt);
        }
    }

    // The warning text for the component `name`, as ravelin's string resource words it.
    static std::wstring Warning(const std::wstring& name) {
        return L"Failed to register " + name +
               L". Please ensure it is not selected for registration in the Corvane project configuration if "
               L"registration is unnecessary. Click OK to continue or Cancel to exit.";
    }

    static constexpr wchar_t kServerKey[] = L"Software\\NimboTests\\ComServer";

    nimbo_test::TempFolder temp_;
    std::wstring app_;
    NimboNS::ModuleHandle strings_;
    std::vector<std::wstring> servers_;

private:
    static std::wstring Escaped(const std::wstring& text) {
        std::wstring out;
        for (wchar_t c : text) {
            if (c == L'\\' || c == L'"') out += L'\\';
            out += c;
        }
        return out;
    }
};

}  // namespace register_test
