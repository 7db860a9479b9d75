// The app folder's backup during an across-version update: the old version is moved aside whole,
// unchanged files are moved back one by one, and at the end the backup is either deleted (after the
// user's settings and registration history were carried over) or moved back in place.
#include <shlobj.h>

#include "app/userappupdater.h"
#include "catalog/catalog.h"
#include "config/pathjoin.h"
#include "fs/fsutil.h"
#include "nimbo/names.h"
#include "plog/Record.h"
#include "scwconv.h"

namespace NimboNS {

namespace {

bool Exists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A copy is complete when it exists and no resume record lies beside it.
bool IsComplete(const std::wstring& path) {
    return Exists(path) && !Exists(path + L".cfg");
}

std::wstring ParentFolder(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Folder joined with the record's Path (left out when "." or empty) and Name.
std::wstring RecordPath(const std::wstring& folder, const FileRecord& record) {
    const std::wstring below = record.Path[0] == L'\0' ? folder : JoinPath(folder, record.Path);
    return JoinPath(below, record.Name);
}

}  // namespace

std::wstring CUserAppUpdater::AppCopyPath(const FileRecord& record) {
    return RecordPath(config->GetAppPath(), record);
}

std::wstring CUserAppUpdater::BackupCopyPath(const FileRecord& record) {
    return RecordPath(GetBackupPath(), record);
}

std::wstring CUserAppUpdater::GetBackupPath() {
    return FormatWide(L"%s_backup", config->GetAppPath().c_str());
}

int CUserAppUpdater::BackupAppFolder() {
    const std::wstring backup = GetBackupPath();
    if (Exists(backup)) DeleteTree(backup);
    const std::wstring app = config->GetAppPath();
    if (_wrename(app.c_str(), backup.c_str()) != 0) {
        LogError(msg::kAppFolderInUse, app);
        return 1;
    }
    return 0;
}

int CUserAppUpdater::HasCompleteBackupCopy(const FileRecord& record) {
    return IsComplete(BackupCopyPath(record)) ? 1 : 0;
}

int CUserAppUpdater::RestoreFromBackup(const FileRecord& record) {
    if (!HasCompleteBackupCopy(record)) return 0;
    const std::wstring target = AppCopyPath(record);
    const std::wstring folder = ParentFolder(target);
    if (!folder.empty() && !Exists(folder)) SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    const BOOL moved = MoveFileW(BackupCopyPath(record).c_str(), target.c_str());
    if (moved) restored.push_back(record);
    return moved;
}

void CUserAppUpdater::RollBack() {
    const std::wstring app = config->GetAppPath();
    const std::wstring backup = GetBackupPath();
    if (!Exists(backup)) return;
    if (!Exists(app)) {
        // The new folder was never made: the old version only has to get its name back.
        if (_wrename(backup.c_str(), app.c_str()) != 0) LogError(msg::kAppFolderInUse, backup);
        restored.clear();
        return;
    }
    for (const FileRecord& record : restored) {
        const std::wstring from = AppCopyPath(record);
        const std::wstring to = BackupCopyPath(record);
        // The app folder is deleted next: a file that cannot be moved back is copied back instead,
        // so the old version never loses it.
        if (!MoveFileW(from.c_str(), to.c_str()) && !CopyFileW(from.c_str(), to.c_str(), TRUE))
            LogError(msg::kUpdateFileFailed, to);
    }
    restored.clear();
    DeleteTree(app);
    if (_wrename(backup.c_str(), app.c_str()) != 0) LogError(msg::kAppFolderInUse, backup);
}

void CUserAppUpdater::MergeIniFiles() {
    if (!Exists(GetBackupPath()) || !Exists(config->GetAppPath())) return;
    for (const FileRecord& record : merge) {
        const std::wstring old = BackupCopyPath(record);
        if (Exists(old)) MergeIniFile(AppCopyPath(record), old);
    }
}

void CUserAppUpdater::Commit() {
    const std::wstring backup = GetBackupPath();
    if (!Exists(backup)) return;
    const std::wstring app = config->GetAppPath();
    const std::wstring settings = FormatWide(L"%s\\%s", backup.c_str(), names::kAppSettingsIni);
    MoveFileW(settings.c_str(), FormatWide(L"%s\\%s", app.c_str(), names::kAppSettingsIni).c_str());
    const std::wstring history = config->GetAppName() + L".reghistory";
    MoveFileW(FormatWide(L"%s\\%s", backup.c_str(), history.c_str()).c_str(),
              FormatWide(L"%s\\%s", app.c_str(), history.c_str()).c_str());
    DeleteTree(backup);
}

void MergeIniFile(const std::wstring& newPath, const std::wstring& oldPath) {
    std::vector<wchar_t> sections(4096);
    const DWORD sectionLength =
        GetPrivateProfileSectionNamesW(sections.data(), static_cast<DWORD>(sections.size()), oldPath.c_str());
    std::vector<wchar_t> lines(8192);
    for (const wchar_t* section = sections.data();
         section < sections.data() + sectionLength && *section != L'\0'; section += wcslen(section) + 1) {
        const DWORD lineLength = GetPrivateProfileSectionW(section, lines.data(),
                                                           static_cast<DWORD>(lines.size()), oldPath.c_str());
        for (const wchar_t* line = lines.data(); line < lines.data() + lineLength && *line != L'\0';
             line += wcslen(line) + 1) {
            const std::wstring text = line;
            const std::wstring key = text.substr(0, text.find(L'='));
            wchar_t oldValue[1024] = {};
            GetPrivateProfileStringW(section, key.c_str(), L"", oldValue, 1024, oldPath.c_str());
            if (oldValue[0] == L'\0') continue;
            wchar_t newValue[1024] = {};
            GetPrivateProfileStringW(section, key.c_str(), L"", newValue, 1024, newPath.c_str());
            if (newValue[0] == L'\0')
                WritePrivateProfileStringW(section, key.c_str(), oldValue, newPath.c_str());
        }
    }
}

}  // namespace NimboNS
