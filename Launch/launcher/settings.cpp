#include "settings.h"

#include <windows.h>

#include "irun.h"
#include "nimbo/names.h"

namespace NimboNS {
namespace {
constexpr DWORD kPathChars = 520;
constexpr wchar_t kSection[] = L"Server";
}  // namespace

std::wstring LauncherConfigPath() {
    wchar_t path[kPathChars] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, kPathChars);
    if (length == 0 || length >= kPathChars) return {};
    std::wstring config(path, length);
    config.erase(config.rfind(L'\\') + 1);
    return config + names::kConfigIni;
}

int ReadLauncherPort(const std::wstring& configPath) {
    int port = static_cast<int>(
        GetPrivateProfileIntW(kSection, L"NimboLauncher_Port", kDefaultLauncherPort, configPath.c_str()));
    return port == 0 ? kDefaultLauncherPort : port;
}

bool ReadNoSocket(const std::wstring& configPath) {
    return GetPrivateProfileIntW(kSection, L"NimboLauncher_NoSocket", 0, configPath.c_str()) == 1;
}

}  // namespace NimboNS
