// The app folder's backup: moved aside whole, unchanged files moved back one by one, then either
// deleted after the user's settings were carried over or put back in place.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "app/userappupdater.h"
#include "config/updateconfig.h"
#include "folder_snapshot.h"
#include "../tasks/fake_downloader.h"

using namespace NimboNS;
using update_test::Snapshot;

namespace {

FileRecord Record(const wchar_t* path, const wchar_t* name) {
    FileRecord record;
    CopyField(record.Path, path);
    CopyField(record.Name, name);
    return record;
}

struct Backup : testing::Test {
    update_test::CapturingLogView view;
    CUpdateConfig config{&view};
    nimbo_test::TempFolder home;
    CUserAppUpdater updater{&config};
    std::wstring app = home / L"srv_App";
    std::wstring backup = app + L"_backup";

    Backup() {
        config.appPath = app;
        config.appName = L"App";
    }
    void Write(const std::wstring& folder, const std::wstring& relative, const std::string& bytes) {
        const std::wstring path = folder + L"\\" + relative;
        SHCreateDirectoryExW(nullptr, path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
        ASSERT_TRUE(nimbo_test::WriteFileText(path, bytes));
    }
    void InstallOldVersion() {
        Write(app, L"app.exe", "old program");
        Write(app, L"bin\\lib.dll", "old library");
        Write(app, L"bin\\deep\\data.bin", std::string(5000, 'd'));
        Write(app, L"kxapp.ini", "[user]\r\nk=1\r\n");
        Write(app, L"App.reghistory", "C:\\x;hash\r\n");
    }
};

TEST_F(Backup, RollBackPutsTheOldVersionBackByteForByteIncludingMovedFiles) {
    InstallOldVersion();
    const auto before = Snapshot(app);
    ASSERT_EQ(updater.BackupAppFolder(), 0);
    EXPECT_FALSE(nimbo_test::FolderExists(app));
    ASSERT_TRUE(CreateDirectoryW(app.c_str(), nullptr));
    EXPECT_NE(updater.RestoreFromBackup(Record(L"", L"app.exe")), 0);
    EXPECT_NE(updater.RestoreFromBackup(Record(L"bin\\deep", L"data.bin")), 0);
    EXPECT_EQ(nimbo_test::ReadFileText(app + L"\\bin\\deep\\data.bin"), std::string(5000, 'd'));
    Write(app, L"bin\\lib.dll", "new library");
    Write(app, L"new\\file.txt", "new");
    EXPECT_EQ(updater.RestoredFiles().size(), 2u);

    updater.RollBack();
    EXPECT_EQ(Snapshot(app), before);
    EXPECT_FALSE(nimbo_test::FolderExists(backup));
}

TEST_F(Backup, RollBackWithoutANewFolderGivesTheOldOneItsNameBack) {
    InstallOldVersion();
    const auto before = Snapshot(app);
    ASSERT_EQ(updater.BackupAppFolder(), 0);
    updater.RollBack();
    EXPECT_EQ(Snapshot(app), before);
    EXPECT_FALSE(nimbo_test::FolderExists(backup));
}

TEST_F(Backup, RollBackWithoutBackupChangesNothing) {
    InstallOldVersion();
    const auto before = Snapshot(app);
    updater.RollBack();
    updater.Commit();
    EXPECT_EQ(Snapshot(app), before);
}

TEST_F(Backup, LeftoverBackupIsReplaced) {
    Write(backup, L"stale.txt", "from an interrupted run");
    InstallOldVersion();
    ASSERT_EQ(updater.BackupAppFolder(), 0);
    EXPECT_FALSE(nimbo_test::FileExists(backup + L"\\stale.txt"));
    EXPECT_TRUE(nimbo_test::FileExists(backup + L"\\app.exe"));
}

TEST_F(Backup, MissingAppFolderCannotBeBackedUp) {
    EXPECT_EQ(updater.BackupAppFolder(), 1);
    EXPECT_TRUE(view.HasPart(L"(" + app + L") or files are being accessed by another program"));
}

TEST_F(Backup, OnlyCompleteBackupCopiesAreRestored) {
    InstallOldVersion();
    Write(app, L"partial.bin", "half");
    Write(app, L"partial.bin.cfg", "resume");
    ASSERT_EQ(updater.BackupAppFolder(), 0);
    CreateDirectoryW(app.c_str(), nullptr);
    struct Case {
        const wchar_t* path;
        const wchar_t* name;
        int complete;
    } cases[] = {
        {L"", L"partial.bin", 0}, {L"", L"absent.bin", 0}, {L".", L"app.exe", 1}, {L"bin", L"lib.dll", 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(updater.HasCompleteBackupCopy(Record(c.path, c.name)), c.complete) << c.name;
        EXPECT_EQ(updater.RestoreFromBackup(Record(c.path, c.name)) != 0, c.complete != 0) << c.name;
    }
    EXPECT_TRUE(nimbo_test::FileExists(app + L"\\app.exe"));
    EXPECT_TRUE(nimbo_test::FileExists(app + L"\\bin\\lib.dll"));
    EXPECT_FALSE(nimbo_test::FileExists(app + L"\\partial.bin"));
    EXPECT_EQ(updater.RestoredFiles().size(), 2u);
}

TEST_F(Backup, CommitCarriesSettingsAndHistoryOverWithoutReplacingNewOnes) {
    for (bool newVersionShipsSettings : {false, true}) {
        SCOPED_TRACE(newVersionShipsSettings);
        DeleteTree(app);
        InstallOldVersion();
        ASSERT_EQ(updater.BackupAppFolder(), 0);
        CreateDirectoryW(app.c_str(), nullptr);
        if (newVersionShipsSettings) Write(app, L"kxapp.ini", "[shipped]\r\n");
        updater.Commit();
        EXPECT_EQ(nimbo_test::ReadFileText(app + L"\\kxapp.ini"),
                  newVersionShipsSettings ? "[shipped]\r\n" : "[user]\r\nk=1\r\n");
        EXPECT_EQ(nimbo_test::ReadFileText(app + L"\\App.reghistory"), "C:\\x;hash\r\n");
        EXPECT_FALSE(nimbo_test::FileExists(app + L"\\app.exe"));
        EXPECT_FALSE(nimbo_test::FolderExists(backup));
    }
}

TEST(MergeIni, UserValuesFillOnlyWhatTheNewFileLacks) {
    nimbo_test::TempFolder folder;
    const std::wstring oldFile = folder / L"old.ini", newFile = folder / L"new.ini";
    ASSERT_TRUE(nimbo_test::WriteFileText(oldFile,
                                          "[s]\r\nkept=user\r\nadded=user\r\nemptyOld=\r\nfilled=user\r\n"
                                          "[onlyOld]\r\nx=9\r\n"));
    ASSERT_TRUE(nimbo_test::WriteFileText(
        newFile, "[s]\r\nkept=shipped\r\nfilled=\r\nemptyOld=shipped\r\nnewKey=n\r\n"));
    MergeIniFile(newFile, oldFile);
    struct Case {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* value;
    } cases[] = {
        {L"s", L"kept", L"shipped"},      // present in both: the new value stays
        {L"s", L"added", L"user"},        // only in the old file: added
        {L"s", L"emptyOld", L"shipped"},  // empty in the old file: nothing copied
        {L"s", L"filled", L"user"},       // empty in the new file: the user's value
        {L"s", L"newKey", L"n"},          // only in the new file: untouched
        {L"onlyOld", L"x", L"9"},         // a whole section the new file lacks
    };
    for (const Case& c : cases) {
        wchar_t value[64] = {};
        GetPrivateProfileStringW(c.section, c.key, L"<none>", value, 64, newFile.c_str());
        EXPECT_STREQ(value, c.value) << c.key;
    }
    EXPECT_EQ(nimbo_test::ReadFileText(oldFile).find("shipped"), std::string::npos);
}

TEST(MergeIni, MissingOldFileChangesNothing) {
    nimbo_test::TempFolder folder;
    const std::wstring newFile = folder / L"new.ini";
    ASSERT_TRUE(nimbo_test::WriteFileText(newFile, "[s]\r\nk=v\r\n"));
    MergeIniFile(newFile, folder / L"absent.ini");
    EXPECT_EQ(nimbo_test::ReadFileText(newFile), "[s]\r\nk=v\r\n");
}

}  // namespace
