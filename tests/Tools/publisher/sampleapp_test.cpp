// NimboSample.exe, the app the publisher's demonstrations publish: its side of the app start
// contract (command line, ready event on standard input, cookie hand-over file).
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <filesystem>

#include "crypto.h"
#include "nimbo/cipher_keys.h"
#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "sample.h"
#include "support.h"

using namespace publisher_test;

namespace {

TEST(SampleCommandLine, ArgumentsAndCookieFileAsTheLauncherBuildsThem) {
    const struct {
        const wchar_t* line;
        const wchar_t* arguments;
        const wchar_t* cookies;
        DWORD autoClose;
    } cases[] = {
        {L"NimboSample.exe", L"", L"", 0},
        {L"NimboSample.exe -cookies 12345", L"", L"12345", 0},
        {L"NimboSample.exe a b p=1 -cookies 12345", L"a b p=1", L"12345", 0},
        {L"\"C:\\My Apps\\NimboSample.exe\" -x -autoclose=1500", L"-x -autoclose=1500", L"", 1500},
        {L"NimboSample.exe -cookies 1 -cookies 2", L"-cookies 1", L"2", 0},
    };
    for (const auto& c : cases) {
        auto info = NimboSample::ParseCommandLine(c.line);
        EXPECT_EQ(info.arguments, c.arguments) << c.line;
        EXPECT_EQ(info.cookieFile, c.cookies) << c.line;
        EXPECT_EQ(info.autoCloseMs, c.autoClose) << c.line;
    }
}

TEST(SampleVersion, FromTheLaunchersSettingsElseItsOwnFile) {
    nimbo_test::TempFolder temp;
    EXPECT_EQ(NimboSample::ReadVersion(temp.path()), L"unknown");
    PutFile(temp / L"version.txt", "1.0.0\r\n");
    EXPECT_EQ(NimboSample::ReadVersion(temp.path()), L"1.0.0");
    WritePrivateProfileStringW(L"dwcenter", L"appdeployversion", L"2.5", (temp / L"kxapp.ini").c_str());
    EXPECT_EQ(NimboSample::ReadVersion(temp.path()), L"2.5");
}

std::wstring CookieFolder() {
    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, appData);
    std::wstring folder = std::wstring(appData) + L"\\Temp";
    std::filesystem::create_directories(folder);
    return folder;
}

// Writes the cookie text the way the launcher's cookie store exports it.
std::wstring ExportCookies(const std::string& text) {
    unsigned char key[16], iv[16];
    NimboNS::cipher::AssembleKeyMaterial(NimboNS::cipher::kCookieConstant, key, iv);
    auto bytes = NimboNS::publisher::AesCbcEncrypt(key, iv, text.data(), text.size());
    std::wstring name = std::to_wstring(GetTickCount()) + L"77";
    PutFile(CookieFolder() + L"\\" + name, std::string(bytes.begin(), bytes.end()));
    return name;
}

TEST(SampleApp, SignalsTheReadyEventAndTakesTheCookies) {
    nimbo_test::TempFolder temp;
    std::wstring program = temp / L"NimboSample.exe";
    ASSERT_TRUE(CopyFileW((nimbo_test::BinFolder() + L"\\NimboSample.exe").c_str(), program.c_str(), FALSE));
    PutFile(temp / L"version.txt", "3.1.4\r\n");
    std::wstring cookieName = ExportCookies("session=abc; user=ann");

    // The launcher's side: pipes for the standard handles and the ready event named by its id.
    std::wstring eventName = NimboNS::names::kReadyEventPrefix + std::to_wstring(GetCurrentProcessId());
    NimboNS::Handle ready(CreateEventW(nullptr, FALSE, FALSE, eventName.c_str()));
    ASSERT_TRUE(ready);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE inputRead = nullptr, inputWrite = nullptr;
    ASSERT_TRUE(CreatePipe(&inputRead, &inputWrite, &inherit, 0));
    NimboNS::Handle readEnd(inputRead), writeEnd(inputWrite);
    SetHandleInformation(inputWrite, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{sizeof si};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = inputRead;
    si.hStdOutput = si.hStdError = GetStdHandle(STD_OUTPUT_HANDLE);
    std::wstring commandLine = L"NimboSample.exe demo -autoclose=120000 -cookies " + cookieName;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                               CREATE_UNICODE_ENVIRONMENT, nullptr, temp.path().c_str(), &si, &pi));
    NimboNS::Handle process(pi.hProcess), thread(pi.hThread);
    struct EndAtExit {
        HANDLE process;
        ~EndAtExit() {
            if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 1);
        }
    } endAtExit{process.get()};
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(inputWrite, eventName.data(),
                          static_cast<DWORD>(eventName.size() * sizeof(wchar_t)), &written, nullptr));

    HANDLE waits[] = {ready.get(), process.get()};
    DWORD waited = WaitForMultipleObjects(2, waits, FALSE, 60000);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the app did not signal; exit code " << exitCode << "; report:\n"
                                     << nimbo_test::ReadFileText(temp / L"NimboSample.report.txt");
    HWND window = nimbo_test::WaitForWindow(L"NimboSampleWindow", L"Nimbo Sample 3.1.4", 60000);
    ASSERT_NE(window, nullptr);
    nimbo_test::TakeScreenshot(L"nimbo_sample_ready");
    std::string report = nimbo_test::ReadFileText(temp / L"NimboSample.report.txt");
    EXPECT_NE(report.find("cookies=session=abc; user=ann\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("arguments=demo -autoclose=120000\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("signalled=1"), std::string::npos) << report;
    EXPECT_FALSE(nimbo_test::FileExists(CookieFolder() + L"\\" + cookieName))
        << "the app deletes the hand-over file";

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.get(), 15000), WAIT_OBJECT_0);
}

}  // namespace
