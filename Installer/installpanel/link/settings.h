#pragma once
// The settings files in installpanel's folder: "LauncherCfg.ini" (shared with the installer),
// "Config.ini" (the launcher's ports) and "LauncherSetup.ini" (the background picture type).
#include <string>

namespace NimboNS::installpanel {

inline constexpr wchar_t kLauncherCfgIni[] = L"LauncherCfg.ini";
inline constexpr wchar_t kSettingsSection[] = L"KXAppSetting";

struct PanelSettings {
    std::wstring appLogo;
    std::wstring appTitle;
    std::wstring appMainHead;
    std::wstring isCustomAppHome;
    std::wstring kxAppHome;
    std::wstring isCustomInstallPath;
    std::wstring installPath;
    std::wstring installMode;
    std::wstring userType;
    std::wstring isUpgrade;
    std::wstring isSingleInstalled;
    std::wstring isLauncherInstalled;
    std::wstring withServerOption;
    std::wstring withServerAllowChange;
    std::wstring nblDirNotBeSame;
    bool allRead = false;  // every key above could be read

    bool AppsRowWanted() const;      // "IsCustomAppHome" = 1
    bool LauncherRowWanted() const;  // "IsCustomInstallPath" = "1"
    bool Upgrade() const;            // "IsUpgrade" = 1
    int InstallModeNumber() const;
};

struct LauncherPorts {
    int withoutService = 0;  // "LauncherWithoutService_Port"
    int withService = 0;     // "LauncherWithService_Port"
};

// Launcher type and folder of an already installed launcher from "NblDirNotBeSame".
struct ExistingLauncher {
    int type = 0;  // 1 public, 2 standard, 0 unknown
    std::wstring folder;
};
ExistingLauncher ParseNblDirNotBeSame(const std::wstring& value);

class CPanelConfig {
public:
    explicit CPanelConfig(std::wstring folder);

    const std::wstring& folder() const { return folder_; }
    std::wstring CfgPath() const;
    // The fifteen keys from "AppLogo" to "NblDirNotBeSame", in that order; failures are logged.
    PanelSettings Load() const;
    std::wstring Read(const wchar_t* key) const;
    bool Write(const wchar_t* key, const std::wstring& value) const;
    // "SetupStatus": "Continue" or "Exit".
    bool WriteSetupStatus(const wchar_t* status) const;
    LauncherPorts ReadPorts() const;
    std::wstring BackgroundResType() const;

private:
    std::wstring folder_;
};

}  // namespace NimboNS::installpanel
