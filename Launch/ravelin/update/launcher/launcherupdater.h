#pragma once
// CLauncherUpdater: compares the installed launcher with the one published beside the app and,
// when it is older, downloads the launcher installer (the launch then hands over to it). A
// launcher installed for all users is only announced: the user cannot replace it.
#include <string>

#include "tasks/updater.h"

namespace NimboNS {

class CLauncherUpdater : public CUpdater {
public:
    explicit CLauncherUpdater(CUpdateConfig* config);

    int LoadConfig() override;  // downloads and reads LauncherSetup.json
    int NeedUpdate() override;  // 1: download the installer
    int DoUpdate() override;    // 0: the installer is in place

    // "version" of the launcher's registry key (machine-wide with adminInstalled); empty when missing.
    std::wstring LocalVersion();
    // "nimboshell"."version" and "nimboshell"."minver" of the loaded LauncherSetup.json.
    std::wstring ServerVersion();
    std::wstring MinimumVersion();
    std::wstring InstallerUrl();
    // The home folder with "Applications" replaced by "Download".
    std::wstring DownloadFolder();

private:
    std::wstring NimboShellText(const wchar_t* key);
};

}  // namespace NimboNS
