#include "webpage_fixture.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "consent.h"
#include "nimbo/names.h"

namespace webpage_e2e {

using nimbo_test::Quote;
using nimbo_test::TempFolder;
using nimbo_test::WriteFileText;

namespace {

std::vector<DWORD> LauncherProcesses() {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, L"launcher.exe") == 0) found.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

// Starts a Unix command line (no process handle comes back under Wine).
bool StartUnix(const std::string& command) {
    std::wstring wide(command.begin(), command.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
    return true;
}

bool Publish(const std::wstring& arguments) {
    auto run = nimbo_test::RunProgram(
        Quote(nimbo_test::BinFolder() + L"\\nimbo-publish.exe") + L" " + arguments, 90000);
    if (!run.finished || run.exitCode != 0) std::printf("nimbo-publish failed:\n%s\n", run.output.c_str());
    return run.finished && run.exitCode == 0;
}

const wchar_t kHomeKey[] = L"Software\\Quillmark\\NimboLauncher\\22.0";

}  // namespace

LauncherInstall::LauncherInstall(int port) {
    const std::wstring bin = nimbo_test::BinFolder();
    for (const wchar_t* name :
         {L"launcher.exe", L"ravelin.dll", L"elevlink.dll", L"elevhost.exe", L"sweeper.exe",
          L"loading_ica.gif", L"kxjson.dll", L"kxcrypt.dll", L"kxcompression.dll", L"kxhttpclient.dll"})
        CopyFileW((bin + L"\\" + name).c_str(), (folder_ / name).c_str(), FALSE);
    WriteFileText(folder_ / L"Config.ini", "[Server]\r\nNimboLauncher_Port=" + std::to_string(port) + "\r\n");
}

LauncherRun::LauncherRun(const LauncherInstall& install, const std::wstring& arguments,
                         const std::string& unixUser) {
    if (!unixUser.empty()) {
        const std::vector<DWORD> before = LauncherProcesses();
        std::string command = "/usr/bin/env USER=" + unixUser + " /usr/bin/wine \"" +
                              nimbo_test::UnixPath(install.launcher()) + "\" ";
        for (wchar_t c : arguments) command.push_back(static_cast<char>(c));
        if (!StartUnix(command)) return;
        for (int i = 0; i < 300 && id_ == 0; ++i, Sleep(100))
            for (DWORD id : LauncherProcesses())
                if (std::find(before.begin(), before.end(), id) == before.end()) id_ = id;
        if (id_ != 0)
            process_ =
                OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, id_);
        return;
    }
    std::wstring commandLine = Quote(install.launcher()) + L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(install.launcher().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        install.path().c_str(), &startup, &info))
        return;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
}

LauncherRun::~LauncherRun() {
    if (process_ == nullptr) return;
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
        Quit();
        if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) TerminateProcess(process_, 259);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    // A launcher that handed its port over has started the next serving launcher.
    for (DWORD successor : ChildLaunchers(id_)) EndProcess(successor);
}

void LauncherRun::Quit() const {
    QuitProcess(id_);
}

bool LauncherRun::Wait(DWORD timeoutMs, DWORD& exitCode) {
    if (process_ == nullptr) return false;
    const bool ended = WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
    GetExitCodeProcess(process_, &exitCode);
    return ended;
}

void QuitProcess(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == processId) PostThreadMessageW(entry.th32ThreadID, WM_QUIT, 0, 0);
    CloseHandle(snapshot);
}

std::vector<DWORD> ChildLaunchers(DWORD parentId) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == parentId && _wcsicmp(entry.szExeFile, L"launcher.exe") == 0)
            children.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return children;
}

void EndProcess(DWORD processId) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
    QuitProcess(processId);
    if (process == nullptr) return;
    if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) TerminateProcess(process, 259);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

HomeScope::HomeScope() {
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value);
    hadHome_ = RegGetValueW(HKEY_CURRENT_USER, kHomeKey, NimboNS::names::kRegistryHomeValue, RRF_RT_REG_SZ,
                            nullptr, value, &size) == ERROR_SUCCESS;
    previousHome_ = value;
    RegSetKeyValueW(HKEY_CURRENT_USER, kHomeKey, NimboNS::names::kRegistryHomeValue, REG_SZ,
                    home_.path().c_str(), static_cast<DWORD>((home_.path().size() + 1) * sizeof(wchar_t)));
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kHomeKey) + L"\\" + NimboNS::kPageConsentSubkey).c_str());
}

HomeScope::~HomeScope() {
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kHomeKey) + L"\\" + NimboNS::kPageConsentSubkey).c_str());
    if (hadHome_) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kHomeKey, NimboNS::names::kRegistryHomeValue, REG_SZ,
                        previousHome_.c_str(),
                        static_cast<DWORD>((previousHome_.size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kHomeKey, NimboNS::names::kRegistryHomeValue);
    }
}

std::wstring HomeScope::AppFolder(const std::wstring& app) const {
    return home_ / (L"Applications\\127.0.0.1_" + app);
}

SampleDeployment::SampleDeployment() {
    if (Publish()) server_ = std::make_unique<nimbo_test::TestServer>("nginxserve.py", folder_.path());
}

bool SampleDeployment::Publish() {
    TempFolder runtime, app, descriptions;
    CreateDirectoryW((runtime / L"sample").c_str(), nullptr);
    WriteFileText(runtime / L"sample\\runtime.txt", "NimboSample runtime 1.0.0\n");
    WriteFileText(
        descriptions / L"runtime.json",
        R"({"Version": "1.0.0", "Bitness": 32, "Modules": [{"Name": "SampleRuntime", "Files": ["sample"]}]})");
    // The app closes itself after a while, so that nothing outlives the test.
    WriteFileText(descriptions / L"app.json", R"({"AppName": "NimboSample", "StartupFile": "NimboSample.exe",
        "RuntimeVersion": "1.0.0", "RuntimeModules": ["SampleRuntime"], "StartMode": "Always",
        "Arguments": "-autoclose=3000", "OnlineTime": "2000-01-01 00:00:00", "MinimumValidVersion": "1.0.0"})");
    CopyFileW((nimbo_test::BinFolder() + L"\\NimboSample.exe").c_str(), (app / L"NimboSample.exe").c_str(),
              FALSE);
    WriteFileText(app / L"version.txt", "1.0.0\n");
    const std::wstring deployment = L" --deployment " + Quote(folder_.path());
    return webpage_e2e::Publish(L"runtime --description " + Quote(descriptions / L"runtime.json") +
                                L" --source " + Quote(runtime.path()) + deployment) &&
           webpage_e2e::Publish(L"launcher --version 22.0.0.0" + deployment) &&
           webpage_e2e::Publish(L"app --description " + Quote(descriptions / L"app.json") + L" --source " +
                                Quote(app.path()) + L" --version 1.0.0" + deployment);
}

PageBrowser::PageBrowser(const std::wstring& fragment) {
    const std::string state = nimbo_test::UnixPath(state_.path());
    const std::string folder = NIMBO_WEBPAGE_DIR;
    std::string command = "/usr/bin/python3 \"" + folder + "/pagebrowser.py\" --dir \"" + state +
                          "\" --page \"" + folder + "/launch_page.html\" --lifetime 300 --fragment \"";
    for (wchar_t c : fragment) command.push_back(static_cast<char>(c));
    command += "\"";
    std::wstring wide(command.begin(), command.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
    for (int i = 0; i < 300 && port_ == 0; ++i) {
        if (nimbo_test::FileExists(state_ / L"stopped")) break;
        port_ = std::atoi(nimbo_test::ReadFileText(state_ / L"port").c_str());
        if (port_ == 0) Sleep(100);
    }
}

PageBrowser::~PageBrowser() {
    WriteFileText(state_ / L"stop", "stop\n");
    for (int i = 0; i < 150 && !nimbo_test::FileExists(state_ / L"stopped"); ++i) Sleep(100);
}

std::vector<std::string> PageBrowser::Replies(const std::string& socket) const {
    std::map<int, std::string> ordered;
    const std::string text = nimbo_test::ReadFileText(state_ / L"replies.txt");
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        const size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos || line.substr(0, tab1) != socket) continue;
        ordered[std::atoi(line.c_str() + tab1 + 1)] = line.substr(tab2 + 1);
    }
    std::vector<std::string> replies;
    for (auto& [number, reply] : ordered) replies.push_back(reply);
    return replies;
}

bool PageBrowser::WaitForReply(const std::string& socket, const std::string& text, DWORD timeoutMs) const {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const auto replies = Replies(socket);
        if (std::find(replies.begin(), replies.end(), text) != replies.end()) return true;
        if (GetTickCount64() > deadline) return false;
        Sleep(100);
    }
}

std::string PageBrowser::ChromiumLog() const {
    return nimbo_test::ReadFileText(state_ / L"chromium.log");
}

}  // namespace webpage_e2e
