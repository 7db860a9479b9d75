#include "launchparts.h"

#include <shellapi.h>

#include "cookie/cookiemanager.h"
#include "prepare/appstages.h"

namespace NimboNS {

LaunchParts CreateLaunchParts(int adminInstalled) {
    // The update engine plugs in here. Until it does, its pointer stays null and every app-URL
    // launch reports failure instead of pretending that an update or a start took place.
    LaunchParts parts;
    parts.cookies = CreateCookieManager();
    // The preparation and the start work with the engine's configuration: after the engine.
    AddAppStages(parts, adminInstalled);
    SetDefaultSystemActions(parts);
    return parts;
}

void SetDefaultSystemActions(LaunchParts& parts) {
    if (!parts.openInstaller) {
        parts.openInstaller = [](const std::wstring& file, const std::wstring& parameters) {
            auto code = reinterpret_cast<INT_PTR>(
                ShellExecuteW(nullptr, L"open", file.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL));
            return code > 32;
        };
    }
    if (!parts.endProcess) parts.endProcess = [](UINT exitCode) { ExitProcess(exitCode); };
}

}  // namespace NimboNS
