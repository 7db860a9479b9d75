#include "launchparts.h"

#include <shellapi.h>

#include "config/iupdateconfig.h"
#include "cookie/cookiemanager.h"
#include "engine/update.h"
#include "prepare/appstages.h"

namespace NimboNS {
namespace {

// The update engine, and the launcher installer it downloads when the launch must hand over.
void AddUpdateEngine(LaunchParts& parts) {
    IUpdate* update = CreateUpdate();
    parts.update = update;
    if (update == nullptr) return;
    // The engine lives as long as the parts that hold it.
    parts.launcherInstaller = [update](LauncherInstaller& installer) {
        IUpdateConfig* config = update->GetConfig();
        if (config == nullptr) return false;
        installer.installerPath = config->GetLauncherPackagePath();
        installer.appUrl = config->GetUrl();
        return true;
    };
}

}  // namespace

LaunchParts CreateLaunchParts(int adminInstalled) {
    // Without an engine (it could not be made) every app-URL launch reports failure instead of
    // pretending that an update or a start took place.
    LaunchParts parts;
    parts.cookies = CreateCookieManager();
    AddUpdateEngine(parts);
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
