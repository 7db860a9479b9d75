#include "app/userappupdater.h"

#include <shlobj.h>

#include "catalog/catalog.h"
#include "config/jsonread.h"
#include "config/pathjoin.h"
#include "plog/Record.h"
#include "scwconv.h"

namespace NimboNS {

namespace {

bool Exists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ParentFolder(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Registration arrives with the component registration of the update configuration; until a
// configuration offers RegisterComponents, this seam leaves the components unregistered.
template <typename Config>
void RegisterComponentsOf(Config& config) {
    if constexpr (requires { config.RegisterComponents(); }) config.RegisterComponents();
}

}  // namespace

CUserAppUpdater::CUserAppUpdater(CUpdateConfig* config) : CUpdater(config) {}

int CUserAppUpdater::LoadConfig() {
    if (config != nullptr) config->ReadIniConfigFiles();
    return 0;
}

int CUserAppUpdater::NeedUpdate() {
    if (config->startMode == Always) return 1;
    if (config->startMode == Connect && config->serverReachable) return 1;
    return config->updateType == AcrossVersion ? 1 : 0;
}

int CUserAppUpdater::DoUpdate() {
    if (config == nullptr) return 1;
    // Without the download library nothing may be touched: the folder would be emptied for nothing.
    if (!HasDownloader()) return 1;
    int r = 0;
    switch (config->updateType) {
        case FirstDownLoad:
            r = FirstDownload();
            break;
        case SameVersion:
            r = SameVersionUpdate();
            break;
        case AcrossVersion:
            r = AcrossVersionUpdate();
            break;
        default:
            break;
    }
    bool waited = false;
    if (r == 0 && taskCount > 0) {
        waited = true;
        if (WaitTasks() == 0) r = 1;
    }
    if (r != 0) {
        // Transfers still running would write into the folder the rollback is about to replace.
        if (taskCount > 0 && !waited) downloader->Stop();
        RollBack();
        return r;
    }
    if (!merge.empty()) MergeIniFiles();
    Commit();
    if (config->CopyRuntimeAssemblies() != 0) return 1;
    RegisterComponents();
    return 0;
}

void CUserAppUpdater::RegisterComponents() {
    std::vector<std::wstring> files;
    kxjson::IJsonParser* parser = config->configParser;
    kxjson::JsonNode array = json::Array(parser, config->configRoot, L"RegisterFiles");
    for (int index = 0, count = json::Size(parser, array); index < count; ++index) {
        const wchar_t* text = nullptr;
        kxjson::JsonNode item = json::Item(parser, array, index);
        if (item == nullptr || parser->GetStringValue(item, &text) != 1 || text == nullptr) continue;
        files.emplace_back(std::wstring(text).substr(0, MAX_PATH - 1));
    }
    config->registerFiles = std::move(files);
    RegisterComponentsOf(*config);
}

std::wstring CUserAppUpdater::FileUrl(const FileRecord& record) {
    std::wstring folder = config->GetVersionUrl();
    if (record.Path[0] != L'\0') folder = JoinPath(folder, record.Path);
    std::wstring url = FormatWide(L"%s.zip", JoinPath(folder, record.Name).c_str());
    for (wchar_t& c : url)
        if (c == L'\\') c = L'/';
    return url;
}

int CUserAppUpdater::IsFileComplete(const FileRecord& record) {
    const std::wstring target = AppCopyPath(record);
    return Exists(target) && !Exists(target + L".cfg") ? 1 : 0;
}

int CUserAppUpdater::QueueFileDownload(const FileRecord& record) {
    queued.push_back(record);
    const std::wstring url = FileUrl(record);
    const std::wstring target = AppCopyPath(record);
    const std::wstring folder = ParentFolder(target);
    if (folder.empty() ||
        (!Exists(folder) && SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) != ERROR_SUCCESS)) {
        LogError(msg::kCreateDirectoryFailed, folder);
        return 1;
    }
    extract = record.Extractable;

    const std::wstring name = record.Name;
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && name.compare(dot, std::wstring::npos, L".ini") == 0 &&
        config->updateType != FirstDownLoad) {
        for (const IniConfigFile& ini : config->iniConfigFiles) {
            if (_wcsicmp(ini.FileName, record.Name) != 0) continue;
            if (ini.UpdateType == 2 && config->updateType == AcrossVersion) {
                merge.push_back(record);
            } else if (ini.UpdateType == 3 && config->updateType == AcrossVersion) {
                if (HasCompleteBackupCopy(record)) return RestoreFromBackup(record) ? 0 : 1;
            } else if (ini.UpdateType == 3 && config->updateType == SameVersion) {
                if (Exists(target)) return 0;
            }
            break;
        }
    }
    return AddDownloadTask(url, target, record.Size);
}

}  // namespace NimboNS
