#include "link/restart.h"

#include <windows.h>

#include "link/setuplog.h"
#include "nimbo/handle.h"

namespace NimboNS::installpanel {
namespace {

bool EnableShutdownPrivilege() {
    Handle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
        LogSystemError(L"OpenProcessToken() failed, ", GetLastError());
        return false;
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
        LogSystemError(L"LookupPrivilegeValue() failed, ", GetLastError());
        return false;
    }
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    DWORD error = GetLastError();
    if (error != ERROR_SUCCESS) {
        LogSystemError(L"AdjustTokenPrivileges() failed, ", error);
        return false;
    }
    return true;
}

}  // namespace

bool RestartWindows() {
    bool restarted = EnableShutdownPrivilege();
    if (restarted &&
        !ExitWindowsEx(EWX_REBOOT | EWX_FORCE, SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_APPLICATION |
                                                   SHTDN_REASON_MINOR_INSTALLATION)) {
        LogSystemError(L"ExitWindowsEx() failed, ", GetLastError());
        restarted = false;
    }
    WriteLogLine(restarted ? L"bRestart=success." : L"bRestart=failed.", restarted ? kLogInfo : kLogError);
    return restarted;
}

}  // namespace NimboNS::installpanel
