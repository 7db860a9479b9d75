// A launch in another Windows session: the launcher program started again as that session's
// user, with "-u" and the request text.
#include <winsock2.h>
#include <windows.h>
#include <tlhelp32.h>
#include <userenv.h>
#include <wtsapi32.h>

#include <string>
#include <vector>

#include "nimbo/handle.h"
#include "workflow.h"

namespace NimboNS {
namespace {

std::wstring HostProgramPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// A token of the user of `session`: the session's own, else that of its explorer.exe.
Handle SessionUserToken(DWORD session) {
    Handle token;
    if (WTSQueryUserToken(session, token.put())) return token;
    Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return Handle();
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        DWORD processSession = 0;
        if (_wcsicmp(entry.szExeFile, L"explorer.exe") != 0 ||
            !ProcessIdToSessionId(entry.th32ProcessID, &processSession) || processSession != session)
            continue;
        Handle process(OpenProcess(MAXIMUM_ALLOWED, FALSE, entry.th32ProcessID));
        if (process && OpenProcessToken(process.get(), TOKEN_ALL_ACCESS, token.put())) return token;
        break;
    }
    return Handle();
}

}  // namespace

int CLauncherWorkflow::StartLauncherInSession(DWORD session, const std::wstring& text) {
    Handle userToken = SessionUserToken(session);
    if (!userToken) return -1;
    Handle token;
    if (!DuplicateTokenEx(userToken.get(), MAXIMUM_ALLOWED, nullptr, SecurityDelegation, TokenPrimary,
                          token.put()))
        return -1;
    userToken.reset();

    void* environment = nullptr;
    DWORD flags = 0;
    if (CreateEnvironmentBlock(&environment, token.get(), TRUE))
        flags = CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS;
    const std::wstring program = HostProgramPath();
    const std::wstring folder = program.substr(0, program.rfind(L'\\'));
    std::wstring line = L"\"" + program + L"\" -u " + text;
    std::vector<wchar_t> commandLine(line.begin(), line.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    wchar_t desktop[] = L"winsta0\\default";
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION process{};
    int result = -1;
    if (CreateProcessAsUserW(token.get(), program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                             environment, folder.c_str(), &startup, &process)) {
        Handle processHandle(process.hProcess);
        Handle threadHandle(process.hThread);
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = static_cast<DWORD>(-1);
        GetExitCodeProcess(process.hProcess, &code);
        result = static_cast<int>(code);
    }
    if (environment != nullptr) DestroyEnvironmentBlock(environment);
    return result;
}

}  // namespace NimboNS
