#include "cleanup.h"

#include <windows.h>

#include "appsettings.h"
#include "nimbo/handle.h"

namespace NimboNS {

std::wstring CleanupInterpreter(bool wow64, const std::wstring& windowsFolder) {
    std::wstring folder = windowsFolder;
    if (folder.empty()) return L"cmd /c ";
    if (folder.back() != L'\\') folder += L'\\';
    return folder + (wow64 ? L"SysNative" : L"System32") + L"\\cmd.exe /c ";
}

std::wstring CleanupCommandLine(const std::wstring& interpreter, const std::wstring& appFolder,
                                const std::wstring& script) {
    return interpreter + L"cd /d \"" + appFolder + L"\"&&\"" + script + L"\"";
}

static bool IsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

static std::wstring WindowsFolder() {
    wchar_t folder[MAX_PATH] = {};
    // The real Windows folder: "SysNative" exists only there, never in a per-user copy.
    UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

bool RunCleanupScript(const std::wstring& appFolder) {
    const std::wstring script = appFolder + L"\\" + kCleanupScript;
    if (!PathIsFile(script)) return false;
    std::wstring command =
        CleanupCommandLine(CleanupInterpreter(IsWow64(), WindowsFolder()), appFolder, script);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return false;
    Handle processHandle(process.hProcess);
    Handle threadHandle(process.hThread);
    WaitForSingleObject(processHandle.get(), INFINITE);
    return true;
}

}  // namespace NimboNS
