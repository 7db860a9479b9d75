#include "launcherupdater.h"

#include <io.h>
#include <shlobj.h>

#include "catalog.h"
#include "config/jsonread.h"
#include "config/updateconfig.h"
#include "nimbo/names.h"
#include "plog/Record.h"
#include "scwconv.h"

namespace NimboNS {
namespace {

constexpr UINT kAnnouncementStyle = MB_ICONINFORMATION | MB_SYSTEMMODAL;

// The installer's local name comes from the server: it must be a plain file name, or the
// download would land (and later run) outside the download folder.
bool IsPlainFileName(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    for (wchar_t c : name) {
        if (c < 32 || c == L'\\' || c == L'/' || c == L':') return false;
    }
    return true;
}

std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

CLauncherUpdater::CLauncherUpdater(CUpdateConfig* config) : CUpdater(config) {}

int CLauncherUpdater::LoadConfig() {
    void* data = nullptr;
    int size = 0;
    const std::wstring url = config->GetLauncherSetupUrl();
    const int result = config->DownloadConfig(url, &data, &size);
    if (result != 0) {
        if (config->startMode == Never || (config->startMode == Connect && config->serverReachable == 0))
            return 0;
        return result;
    }
    const int loaded = config->LoadDocumentFromMemory(data, size, names::kLauncherSetupJson);
    if (config->syncDownloader != nullptr) config->syncDownloader->FreeMemory(data);
    if (loaded != 1) {
        config->OutputLog(plog::error, GetLocalizedMessage(msg::kParseConfigFailed), url);
        return 1;
    }
    return 0;
}

std::wstring CLauncherUpdater::LocalVersion() {
    HKEY root = config->adminInstalled != 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    wchar_t value[260] = {};
    DWORD bytes = sizeof(value);
    if (RegGetValueW(root, names::kRegistryKey, names::kRegistryVersionValue, RRF_RT_REG_SZ, nullptr, value,
                     &bytes) != ERROR_SUCCESS)
        return L"";
    return value;
}

std::wstring CLauncherUpdater::NimboShellText(const wchar_t* key) {
    kxjson::IJsonParser* parser = config->launcherSetupParser;
    return json::String(parser, json::Member(parser, config->launcherSetupRoot, L"nimboshell"), key);
}

std::wstring CLauncherUpdater::ServerVersion() {
    return NimboShellText(L"version");
}

std::wstring CLauncherUpdater::MinimumVersion() {
    return NimboShellText(L"minver");
}

int CLauncherUpdater::NeedUpdate() {
    const int startMode = config->startMode;
    if (!(startMode == Always || (startMode == Connect && config->serverReachable != 0))) return 0;
    const std::wstring local = LocalVersion();
    const bool outdated = CUpdateConfig::CompareVersions(MinimumVersion(), local) > 0 ||
                          CUpdateConfig::CompareVersions(ServerVersion(), local) > 0;
    if (!outdated) return 0;
    if (config->adminInstalled != 0) {
        MessageBoxW(nullptr, GetLocalizedMessage(msg::kLauncherUpgradeByAdmin),
                    GetLocalizedMessage(msg::kInformation), kAnnouncementStyle);
        return 0;
    }
    return 1;
}

std::wstring CLauncherUpdater::InstallerUrl() {
    if (config->launcherUrl.size() > 1)
        return FormatWide(L"%s/%s", config->launcherUrl.c_str(), names::kLauncherInstallerExe);
    return config->baseUrl + L"/" + names::kServerLauncherFolder + L"/" + names::kLauncherInstallerExe;
}

std::wstring CLauncherUpdater::DownloadFolder() {
    return ReplaceAll(config->homePath, L"Applications", L"Download");
}

int CLauncherUpdater::DoUpdate() {
    if (!IsPlainFileName(config->GetLauncherPackageName())) {
        config->OutputLog(plog::error, GetLocalizedMessage(msg::kParseConfigFailed),
                          config->GetLauncherSetupUrl());
        return 1;
    }
    const std::wstring installer = config->GetLauncherPackagePath();
    if (_waccess(installer.c_str(), 0) == 0 && !DeleteFileW(installer.c_str())) {
        config->OutputLog(plog::error, GetLocalizedMessage(msg::kFileInUse), installer);
        return 1;
    }
    const std::wstring url = InstallerUrl();
    const std::wstring folder = DownloadFolder();
    if (_waccess(folder.c_str(), 0) != 0) SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    // The installer is always fetched from its first byte.
    const std::wstring record = installer + L".cfg";
    if (_waccess(record.c_str(), 0) == 0) DeleteFileW(record.c_str());
    return config->DownloadPackage(url, installer);
}

}  // namespace NimboNS
