#include "link/settings.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "link/setuplog.h"

namespace NimboNS::installpanel {
namespace {

constexpr DWORD kValueSize = 1024;

// One key; false when it cannot be read (the system's error is kept in `error`).
bool ReadProfile(const std::wstring& file, const wchar_t* section, const wchar_t* key, std::wstring& value,
                 DWORD& error) {
    std::vector<wchar_t> buffer(kValueSize, L'\0');
    SetLastError(ERROR_SUCCESS);
    DWORD length = GetPrivateProfileStringW(section, key, L"", buffer.data(), kValueSize, file.c_str());
    error = GetLastError();
    value.assign(buffer.data(), length);
    return length > 0 || error == ERROR_SUCCESS;
}

}  // namespace

bool PanelSettings::AppsRowWanted() const {
    return _wtoi(isCustomAppHome.c_str()) == 1;
}
bool PanelSettings::LauncherRowWanted() const {
    return isCustomInstallPath == L"1";
}
bool PanelSettings::Upgrade() const {
    return _wtoi(isUpgrade.c_str()) == 1;
}
int PanelSettings::InstallModeNumber() const {
    return _wtoi(installMode.c_str());
}

ExistingLauncher ParseNblDirNotBeSame(const std::wstring& value) {
    ExistingLauncher existing;
    if (!value.empty() && value[0] == L'1') existing.type = 1;
    if (!value.empty() && value[0] == L'2') existing.type = 2;
    if (value.size() > 2) existing.folder = value.substr(2);
    return existing;
}

CPanelConfig::CPanelConfig(std::wstring folder) : folder_(std::move(folder)) {}

std::wstring CPanelConfig::CfgPath() const {
    return folder_ + L"\\" + kLauncherCfgIni;
}

std::wstring CPanelConfig::Read(const wchar_t* key) const {
    std::wstring value;
    DWORD error = 0;
    ReadProfile(CfgPath(), kSettingsSection, key, value, error);
    return value;
}

PanelSettings CPanelConfig::Load() const {
    PanelSettings settings;
    struct Key {
        const wchar_t* name;
        std::wstring PanelSettings::*field;
    };
    static const Key kKeys[] = {
        {L"AppLogo", &PanelSettings::appLogo},
        {L"AppTitle", &PanelSettings::appTitle},
        {L"AppMainHead", &PanelSettings::appMainHead},
        {L"IsCustomAppHome", &PanelSettings::isCustomAppHome},
        {L"KXAppHome", &PanelSettings::kxAppHome},
        {L"IsCustomInstallPath", &PanelSettings::isCustomInstallPath},
        {L"InstallPath", &PanelSettings::installPath},
        {L"InstallMode", &PanelSettings::installMode},
        {L"UserType", &PanelSettings::userType},
        {L"IsUpgrade", &PanelSettings::isUpgrade},
        {L"IsSingleInstalled", &PanelSettings::isSingleInstalled},
        {L"IsLauncherInstalled", &PanelSettings::isLauncherInstalled},
        {L"WithServerOption", &PanelSettings::withServerOption},
        {L"WithServerAllowChange", &PanelSettings::withServerAllowChange},
        {L"NblDirNotBeSame", &PanelSettings::nblDirNotBeSame},
    };
    settings.allRead = true;
    const std::wstring path = CfgPath();
    for (const Key& key : kKeys) {
        DWORD error = 0;
        if (!ReadProfile(path, kSettingsSection, key.name, settings.*key.field, error)) {
            settings.allRead = false;
            LogFormat(kLogError, L"failed to load config: %s, ErrMsg=%s", key.name,
                      SystemErrorText(error).c_str());
        }
    }
    return settings;
}

bool CPanelConfig::Write(const wchar_t* key, const std::wstring& value) const {
    return WritePrivateProfileStringW(kSettingsSection, key, value.c_str(), CfgPath().c_str()) != FALSE;
}

bool CPanelConfig::WriteSetupStatus(const wchar_t* status) const {
    bool written = Write(L"SetupStatus", status);
    LogFormat(written ? kLogInfo : kLogError, L"SetupStatus=%s%s", status, written ? L"" : L" (not written)");
    return written;
}

LauncherPorts CPanelConfig::ReadPorts() const {
    const std::wstring path = folder_ + L"\\Config.ini";
    LauncherPorts ports;
    ports.withoutService =
        GetPrivateProfileIntW(L"ServerListener", L"LauncherWithoutService_Port", 0, path.c_str());
    ports.withService =
        GetPrivateProfileIntW(L"ServerListener", L"LauncherWithService_Port", 0, path.c_str());
    return ports;
}

std::wstring CPanelConfig::BackgroundResType() const {
    std::wstring value;
    DWORD error = 0;
    ReadProfile(folder_ + L"\\LauncherSetup.ini", L"RES", L"BKGROUND_RESTYPE", value, error);
    return value;
}

}  // namespace NimboNS::installpanel
