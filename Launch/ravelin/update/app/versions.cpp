// The three ways the app updater fills the app folder: a first download into a fresh folder, a
// same-version completion in place, and an across-version update over a backup of the old version.
#include <shlobj.h>

#include "app/userappupdater.h"
#include "catalog/catalog.h"
#include "config/jsonread.h"
#include "config/pathjoin.h"
#include "fs/fsutil.h"
#include "nimbo/names.h"
#include "plog/Record.h"

namespace NimboNS {

namespace {

constexpr unsigned long long kFourGiB = 4ULL << 30;

bool Exists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring RecordKey(const FileRecord& record) {
    return record.Path[0] == L'\0' ? std::wstring(record.Name) : JoinPath(record.Path, record.Name);
}

}  // namespace

int CUserAppUpdater::ReadFileList(std::vector<FileRecord>& list) {
    kxjson::IJsonParser* parser = config->configParser;
    int accepted = 1;
    if (kxjson::JsonNode array = json::Array(parser, config->configRoot, L"PredownloadFiles"))
        accepted &= config->ReadFileList(array, list);
    if (config->fullDownload) {
        if (kxjson::JsonNode array = json::Array(parser, config->configRoot, L"InstantDownloadFiles"))
            accepted &= config->ReadFileList(array, list);
    }
    return accepted;
}

std::vector<FileRecord> CUserAppUpdater::PackageContents(const FileRecord& package) {
    std::vector<FileRecord> contents;
    if (!package.Extractable) return contents;
    kxjson::IJsonParser* parser = config->configParser;
    kxjson::JsonNode packages = json::Member(parser, config->configRoot, L"Packages");
    if (kxjson::JsonNode array = json::Array(parser, packages, package.Name))
        config->ReadFileList(array, contents);
    return contents;
}

int CUserAppUpdater::RecreateAppFolder() {
    const std::wstring app = config->GetAppPath();
    if (Exists(app) && !DeleteTree(app)) {
        LogError(msg::kRemoveDirectoryFailed, app);
        return 1;
    }
    if (app.empty() || SHCreateDirectoryExW(nullptr, app.c_str(), nullptr) != ERROR_SUCCESS) {
        LogError(msg::kCreateDirectoryFailed, app);
        return 1;
    }
    return 0;
}

int CUserAppUpdater::SaveServerConfig() {
    const std::wstring path = config->GetLocalConfigPath();
    if (config->SaveServerConfig(path) == 1) return 0;
    LogError(msg::kSaveConfigFailed, path);
    return 1;
}

int CUserAppUpdater::FirstDownload() {
    if (RecreateAppFolder() != 0 || SaveServerConfig() != 0) return 1;
    std::vector<FileRecord> files;
    if (!ReadFileList(files)) return 1;
    for (const FileRecord& record : files) {
        if (int r = QueueFileDownload(record)) return r;
    }
    return 0;
}

int CUserAppUpdater::SameVersionUpdate() {
    if (SaveServerConfig() != 0) return 1;
    std::vector<FileRecord> files;
    if (!ReadFileList(files)) return 1;
    for (const FileRecord& record : files) {
        int r = 0;
        if (!record.Extractable) {
            if (!IsFileComplete(record)) r = QueueFileDownload(record);
        } else {
            r = CheckPackage(record);
        }
        if (r != 0) return r;
    }
    return 0;
}

int CUserAppUpdater::CheckPackage(const FileRecord& package) {
    bool allPresent = true;
    for (const FileRecord& content : PackageContents(package))
        allPresent = allPresent && IsFileComplete(content);
    if (!IsFileComplete(package)) return allPresent ? 0 : QueueFileDownload(package);
    const std::wstring file = AppCopyPath(package);
    if (allPresent) {
        DeleteFileW(file.c_str());
        return 0;
    }
    const unsigned long long size = static_cast<unsigned long long>(package.Size);
    if (package.Size >= 0 && size < kFourGiB && size == FileSizeOnDisk(file))
        return delegate != nullptr ? delegate->Unzip(file.c_str(), config->GetAppPath().c_str()) : 1;
    return QueueFileDownload(package);
}

int CUserAppUpdater::AcrossVersionUpdate() {
    const std::wstring localConfig = config->GetLocalConfigPath();
    if (!Exists(localConfig)) return 1;
    if (config->LoadDocumentFromFile(localConfig, names::kAppConfigJson) != 1) {
        LogError(msg::kParseConfigFailed, localConfig);
        return 1;
    }
    FileRecordMap oldFiles;
    if (config->GetPredownloadFiles(oldFiles)) config->GetInstantDownloadFiles(oldFiles);

    if (BackupAppFolder() != 0) return 1;
    if (RecreateAppFolder() != 0 || SaveServerConfig() != 0) return 1;
    if (config->LoadDocumentFromFile(localConfig, names::kAppConfigJson) != 1) {
        LogError(msg::kParseConfigFailed, localConfig);
        return 1;
    }
    std::vector<FileRecord> files;
    if (!ReadFileList(files)) return 1;
    FileRecordMap newFiles;
    for (const FileRecord& record : files) newFiles.emplace(RecordKey(record), record);

    if (CompareAndQueue(oldFiles, newFiles) != 0) return 1;
    if (!config->fullDownload) {
        FileRecordMap instant;
        config->GetInstantDownloadFiles(instant);
        for (const auto& [key, record] : instant) {
            auto old = oldFiles.find(key);
            if (old != oldFiles.end() && _wcsicmp(old->second.HashCode, record.HashCode) == 0)
                RestoreFromBackup(record);
        }
    }
    return 0;
}

int CUserAppUpdater::CompareAndQueue(const FileRecordMap& oldFiles, const FileRecordMap& newFiles) {
    for (const auto& [key, record] : newFiles) {
        auto old = oldFiles.find(key);
        int r = 0;
        if (old == oldFiles.end() || _wcsicmp(old->second.HashCode, record.HashCode) != 0) {
            r = QueueFileDownload(record);
        } else if (record.Extractable) {
            r = CheckPackageAcross(record);
        } else if (HasCompleteBackupCopy(record)) {
            if (!RestoreFromBackup(record)) return 1;
        } else {
            r = QueueFileDownload(record);
        }
        if (r != 0) return r;
    }
    return 0;
}

int CUserAppUpdater::CheckPackageAcross(const FileRecord& package) {
    const std::vector<FileRecord> contents = PackageContents(package);
    bool allBackedUp = true;
    for (const FileRecord& content : contents) allBackedUp = allBackedUp && HasCompleteBackupCopy(content);
    if (allBackedUp) {
        for (const FileRecord& content : contents) {
            if (!RestoreFromBackup(content)) LogError(msg::kUpdateFileFailed, AppCopyPath(content));
        }
        return 0;
    }
    if (!HasCompleteBackupCopy(package)) return QueueFileDownload(package);
    if (delegate == nullptr) return 1;
    if (int r = delegate->Unzip(BackupCopyPath(package).c_str(), config->GetAppPath().c_str())) return r;
    return QueueFileDownload(package);
}

}  // namespace NimboNS
