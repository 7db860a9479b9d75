#pragma once
// What the tests of the preparation and the app start share: an update configuration whose
// values a test sets, a launch environment that keeps the user's desktop and Start menu out of
// it, and readers for the UTF-16 settings file.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "config/iupdateconfig.h"
#include "harness.h"
#include "prepare/launchenv.h"
#include "prepare/launchlog.h"
#include "prepare/launchsettings.h"

namespace stage_test {

class FakeConfig : public NimboNS::IUpdateConfig {
public:
    void Release() override {}
    std::wstring GetLauncherPackagePath() override { return {}; }
    std::wstring GetVersionUrl() override { return appUrl + L"/" + version; }
    std::wstring GetRuntimePath() override { return runtimePath; }
    std::wstring GetVersion() override { return version; }
    std::wstring GetAppPath() override { return appPath; }
    std::wstring GetAppName() override { return appName; }
    std::wstring GetUrl() override { return url; }
    std::wstring GetUrlParameter() override { return urlParameter; }
    std::wstring GetStartupFile() override { return startupFile; }
    std::wstring GetWebApiUrl() override { return webApiUrl; }
    void OutputLog(int severity, const std::wstring& text) override {
        std::lock_guard guard(lock);
        lines.push_back(text);
    }
    unsigned long long GetResumableDownloadFileSize() override { return 2097152; }
    std::wstring GetAppUrl() override { return appUrl; }
    int GetSaveDynamicCommandLineArgs() override { return saveDynamicCommandLineArgs; }

    // Whether a logged line contains `part`.
    bool Logged(const std::wstring& part) {
        std::lock_guard guard(lock);
        for (const std::wstring& line : lines)
            if (line.find(part) != std::wstring::npos) return true;
        return false;
    }

    std::wstring appPath, appName = L"sample", startupFile = L"MyApp.exe", version = L"1.0.0";
    std::wstring appUrl = L"http://127.0.0.1:8080/sample", url = L"http://127.0.0.1:8080/sample";
    std::wstring urlParameter, webApiUrl, runtimePath = L"C:\\Nimbo\\Runtime\\1.0.0";
    int saveDynamicCommandLineArgs = 0;
    std::mutex lock;
    std::vector<std::wstring> lines;
};

// Folders of a test: the app folder, a desktop and a Programs folder, and a host program folder.
struct StageFolders {
    nimbo_test::TempFolder root;
    std::wstring app = root / L"app";
    std::wstring desktop = root / L"desktop";
    std::wstring programs = root / L"programs";
    std::wstring host = root / L"host";
    StageFolders() {
        for (const std::wstring& folder : {app, desktop, programs, host})
            CreateDirectoryW(folder.c_str(), nullptr);
    }
};

struct ShownMessage {
    std::wstring text, caption;
    UINT flags = 0;
};

// An environment with the test's folders; messages are recorded instead of shown.
inline NimboNS::LaunchEnvironment TestEnvironment(const StageFolders& folders,
                                                  std::shared_ptr<std::vector<ShownMessage>> shown) {
    NimboNS::LaunchEnvironment environment;
    const std::wstring host = folders.host + L"\\launcher.exe";
    environment.hostProgram = [host] { return host; };
    environment.desktopFolder = [folder = folders.desktop] { return folder; };
    environment.programsFolder = [folder = folders.programs] { return folder; };
    environment.showMessage = [shown](const std::wstring& text, const std::wstring& caption, UINT flags) {
        shown->push_back({text, caption, flags});
    };
    return environment;
}

// The raw bytes of a file as UTF-16 text after its byte-order mark (empty when the file does not
// start with FF FE).
inline std::wstring ReadUtf16File(const std::wstring& path) {
    const std::string bytes = nimbo_test::ReadFileText(path);
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE)
        return {};
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
}

inline std::wstring IniValue(const std::wstring& folder, const wchar_t* section, const wchar_t* key) {
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(section, key, L"<none>", value, 1024, (folder + L"\\kxapp.ini").c_str());
    return value;
}

}  // namespace stage_test
