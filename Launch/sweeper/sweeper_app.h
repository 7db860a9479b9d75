#pragma once
// sweeper's two starts: without arguments it hands over to a copy of itself in the temporary
// folder; with the app folder as argument it asks, removes the app and tells how it went.
#include <windows.h>

#include <string>

namespace NimboNS {

// `arguments` is the command line without the program name. The exit code is always 0.
int RunSweeper(HINSTANCE instance, const wchar_t* arguments);

// Copies the running program into the temporary folder and starts it for `appFolder`.
bool RelaunchFromTemp(const std::wstring& program, const std::wstring& appFolder);

// The app folder named by the arguments; empty when there is none.
std::wstring AppFolderArgument(const wchar_t* arguments);

}  // namespace NimboNS
