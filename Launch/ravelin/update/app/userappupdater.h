#pragma once
// CUserAppUpdater: brings the app's own files in the app folder to the version the update
// configuration chose: fills a fresh folder (first download), completes an installed version in
// place (same version), or moves the old version aside, keeps what did not change, downloads the
// rest and merges the user's settings (across versions), with rollback on failure.
#include <string>
#include <vector>

#include "config/records.h"
#include "config/updateconfig.h"
#include "tasks/updater.h"

namespace NimboNS {

class CUserAppUpdater : public CUpdater {
public:
    explicit CUserAppUpdater(CUpdateConfig* config);

    int LoadConfig() override;  // the configuration's IniConfigFiles
    int NeedUpdate() override;
    int DoUpdate() override;

    // 0 = handled (queued, skipped or restored), 1 = failure.
    int QueueFileDownload(const FileRecord& record);
    int IsFileComplete(const FileRecord& record);

    int FirstDownload();
    int SameVersionUpdate();
    int AcrossVersionUpdate();
    int CheckPackage(const FileRecord& package);
    int CheckPackageAcross(const FileRecord& package);
    int CompareAndQueue(const FileRecordMap& oldFiles, const FileRecordMap& newFiles);

    // The app folder's backup during an across-version update.
    std::wstring GetBackupPath();
    int BackupAppFolder();                                // 0 / 1
    int HasCompleteBackupCopy(const FileRecord& record);  // 1 / 0
    int RestoreFromBackup(const FileRecord& record);      // non-zero on success
    void RollBack();
    void MergeIniFiles();
    void Commit();

    // Where a record lives: below the app folder, below the backup folder, on the server.
    std::wstring AppCopyPath(const FileRecord& record);
    std::wstring BackupCopyPath(const FileRecord& record);
    std::wstring FileUrl(const FileRecord& record);

    const std::vector<FileRecord>& QueuedFiles() const { return queued; }
    const std::vector<FileRecord>& RestoredFiles() const { return restored; }
    const std::vector<FileRecord>& MergeFiles() const { return merge; }

private:
    // The file list: PredownloadFiles, then InstantDownloadFiles with fullDownload; 0 when the
    // document refused a record.
    int ReadFileList(std::vector<FileRecord>& list);
    // The content records of a package (empty without Packages, the member or the flag).
    std::vector<FileRecord> PackageContents(const FileRecord& package);
    int RecreateAppFolder();
    int SaveServerConfig();
    void RegisterComponents();

    std::vector<FileRecord> queued;
    std::vector<FileRecord> restored;
    std::vector<FileRecord> merge;
};

// Merges the user's old settings file into the new one: every key with a non-empty value in `oldPath`
// that is missing or empty in `newPath` is written into `newPath`; nothing else changes.
void MergeIniFile(const std::wstring& newPath, const std::wstring& oldPath);

}  // namespace NimboNS
