#pragma once
// "Config.ini" beside the launcher program, section [Server].
#include <string>

namespace NimboNS {

// The launcher program's full path with the file name replaced by "Config.ini".
std::wstring LauncherConfigPath();

// NimboLauncher_Port: the port for the local server; missing or 0 means 26571.
int ReadLauncherPort(const std::wstring& configPath);
// NimboLauncher_NoSocket: 1 = a forwarded request does not start the local server.
bool ReadNoSocket(const std::wstring& configPath);

}  // namespace NimboNS
