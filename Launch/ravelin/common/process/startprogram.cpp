#include "startprogram.h"

#include <windows.h>

#include <vector>

#include "nimbo/handle.h"

namespace NimboNS {

bool StartShownProgram(const std::wstring& commandLine) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process))
        return false;
    Handle processHandle(process.hProcess);
    Handle threadHandle(process.hThread);
    return true;
}

}  // namespace NimboNS
