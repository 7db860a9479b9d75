#include "elevhostapp.h"

#include <shellapi.h>

#include <cwchar>
#include <memory>

#include "command.h"
#include "mainwindow.h"
#include "nimbo/names.h"

namespace Elevhost {

std::wstring ChannelNameFromCommandLine(const wchar_t* commandLine) {
    if (commandLine == nullptr) return {};
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(commandLine, &count);
    if (arguments == nullptr) return {};
    std::wstring name = count > 1 ? arguments[1] : L"";
    LocalFree(arguments);
    if (!name.empty()) CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

int RunElevhost(HINSTANCE instance, const wchar_t* arguments) {
    if (arguments != nullptr && std::wcsstr(arguments, NimboNS::names::kElevhostCheckArg) != nullptr)
        return 0;
    if (arguments != nullptr && std::wcsstr(arguments, NimboNS::names::kElevhostTestArg) != nullptr) return 1;

    auto command = std::make_shared<CCommand>();
    CMainWindow mainWindow(command);
    std::wstring name = ChannelNameFromCommandLine(GetCommandLineW());
    if (name.empty()) return 0;
    if (!mainWindow.Create(instance)) return 0;
    // A channel that cannot be opened shows as disconnected at the first tick, which ends the run.
    command->Open(name);
    RunMessageLoop();
    return 0;
}

}  // namespace Elevhost
