#include "installer_run.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "nimbo/handle.h"
#include "nimbo/names.h"

namespace installer_test {
namespace {

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NimboLauncher_22.0";

std::wstring ReadString(HKEY root, const wchar_t* key, const wchar_t* name) {
    wchar_t buffer[2048] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return {};
    return buffer;
}

bool KeyExists(HKEY root, const wchar_t* path) {
    NimboNS::KeyHandle key;
    return RegOpenKeyExW(root, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

DWORD WaitAndClose(HANDLE process, DWORD timeoutMs) {
    if (process == nullptr) return static_cast<DWORD>(-3);
    DWORD code = static_cast<DWORD>(-2);
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process, &code);
    } else {
        TerminateProcess(process, 1);
    }
    CloseHandle(process);
    return code;
}

std::wstring PanelLogPath() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    return std::wstring(folder) + L"\\Quillmark\\quillmarkinstalllog_V2\\installpanel.log";
}

}  // namespace

std::wstring PanelLog() {
    const std::string bytes = nimbo_test::ReadFileText(PanelLogPath());
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return text;
}

void ForgetPanelLog() {
    DeleteFileW(PanelLogPath().c_str());
}

std::wstring BuiltVersion() {
    return NIMBO_TEST_LAUNCHER_VERSION;
}

std::wstring InstallerPath() {
    return nimbo_test::BinFolder() + L"\\" + NimboNS::names::kLauncherInstallerExe;
}

const std::vector<std::wstring>& InstalledFiles() {
    static const std::vector<std::wstring> files = {
        L"launcher.exe",      L"ravelin.dll",      L"elevlink.dll", L"elevhost.exe",
        L"sweeper.exe",       L"installpanel.exe", L"kxjson.dll",   L"kxcrypt.dll",
        L"kxcompression.dll", L"kxhttpclient.dll", L"Config.ini",   L"LauncherSetup.ini",
        L"loading_ica.gif",
    };
    return files;
}

const Scope& PerUser() {
    static const Scope scope{"per user", L"/CURRENTUSER", HKEY_CURRENT_USER};
    return scope;
}

const Scope& AllUsers() {
    static const Scope scope{"for all users", L"/ALLUSERS", HKEY_LOCAL_MACHINE};
    return scope;
}

std::wstring ReadLauncherValue(HKEY root, const wchar_t* name) {
    return ReadString(root, NimboNS::names::kRegistryKey, name);
}

bool WriteLauncherValue(HKEY root, const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(root, NimboNS::names::kRegistryKey, name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring ReadUninstallValue(HKEY root, const wchar_t* name) {
    return ReadString(root, kUninstallKey, name);
}

bool LauncherKeyExists(HKEY root) {
    return KeyExists(root, NimboNS::names::kRegistryKey);
}

bool UninstallEntryExists(HKEY root) {
    return KeyExists(root, kUninstallKey);
}

void ForgetInstallations() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        RegDeleteTreeW(root, NimboNS::names::kRegistryKey);
        RegDeleteTreeW(root, kUninstallKey);
    }
}

DWORD InstallQuietly(const std::wstring& arguments, DWORD timeoutMs) {
    return WaitAndClose(nimbo_test::StartProgram(nimbo_test::Quote(InstallerPath()) + L" /S " + arguments),
                        timeoutMs);
}

bool UninstallQuietly(HKEY root, DWORD timeoutMs) {
    const std::wstring command = ReadUninstallValue(root, L"QuietUninstallString");
    const std::wstring folder = ReadUninstallValue(root, L"InstallLocation");
    if (command.empty() || folder.empty()) return false;
    // The uninstaller runs on from a copy of itself in the temporary folder and ends there.
    WaitAndClose(nimbo_test::StartProgram(command), timeoutMs);
    return WaitUntil([&] { return !UninstallEntryExists(root) && !nimbo_test::FolderExists(folder); },
                     timeoutMs);
}

DWORD RunWithoutBuildPath(const std::wstring& commandLine, DWORD timeoutMs) {
    wchar_t saved[32768] = {};
    GetEnvironmentVariableW(L"PATH", saved, 32767);
    const std::wstring bin = nimbo_test::BinFolder();
    std::wstring path, rest = saved;
    while (!rest.empty()) {
        size_t end = rest.find(L';');
        std::wstring entry = rest.substr(0, end);
        rest = end == std::wstring::npos ? L"" : rest.substr(end + 1);
        if (entry.empty() || _wcsicmp(entry.c_str(), bin.c_str()) == 0) continue;
        path += (path.empty() ? L"" : L";") + entry;
    }
    SetEnvironmentVariableW(L"PATH", path.c_str());
    HANDLE process = nimbo_test::StartProgram(commandLine);
    SetEnvironmentVariableW(L"PATH", saved);
    return WaitAndClose(process, timeoutMs);
}

}  // namespace installer_test
