// The across-version update: unchanged files moved from the backup, changed ones fetched, settings
// files by their update type, and everything put back when anything fails.
#include "app_fixture.h"
#include "catalog/catalog.h"

using namespace NimboNS;
using namespace update_test;

namespace {

using Files = std::vector<std::wstring>;

class Across : public AppUpdaterTest {
protected:
    // Version 1 installed with its files and the user's own settings and history.
    void InstallVersion1(const std::vector<Entry>& files, const std::string& extra = "") {
        std::vector<std::pair<std::wstring, std::string>> contents;
        for (const Entry& e : files) {
            const std::string relative = e.path.empty() || e.path == "." ? e.name : e.path + "\\" + e.name;
            contents.emplace_back(Utf8ToWide(relative), "v1 " + relative);
        }
        contents.emplace_back(L"kxapp.ini", "[user]\r\nk=1\r\n");
        contents.emplace_back(L"App.reghistory", "history\r\n");
        Install(AppDocument("1", files, extra), contents);
    }
};

TEST_F(Across, OnlyChangedFilesAreFetchedTheRestIsMovedBack) {
    InstallVersion1({{"", "app.exe", "same", 10}, {"bin", "a.dll", "OLD", 10}, {"bin", "b.dll", "case", 10}});
    Serve("2",
          AppDocument("2", {{"", "app.exe", "same", 10},
                            {"bin", "a.dll", "NEW", 10},
                            {"bin", "b.dll", "CASE", 10},
                            {"", "added.txt", "n", 10}}),
          AcrossVersion);
    Offer("2", "bin\\a.dll", "v2 a"), Offer("2", "added.txt", "v2 added");
    ASSERT_EQ(updater->DoUpdate(), 0);
    EXPECT_EQ(Fetched(), (Files{L"added.txt", L"bin\\a.dll"}));  // map order
    EXPECT_EQ(Read(L"app.exe"), "v1 app.exe");
    EXPECT_EQ(Read(L"bin\\b.dll"), "v1 bin\\b.dll");  // hash text differing in case only: unchanged
    EXPECT_EQ(Read(L"bin\\a.dll"), "v2 a");
    EXPECT_EQ(Read(L"kxapp.ini"), "[user]\r\nk=1\r\n");
    EXPECT_EQ(Read(L"App.reghistory"), "history\r\n");
    EXPECT_EQ(Read(L"appconfig.json"),
              std::string(config.downloadedConfig.begin(), config.downloadedConfig.end()));
    EXPECT_FALSE(nimbo_test::FolderExists(backup));
    for (const auto& task : downloader.created) EXPECT_TRUE(task->resumeRecord.empty());
}

TEST_F(Across, FailedDownloadPutsTheOldVersionBackByteForByte) {
    InstallVersion1(
        {{"", "app.exe", "same", 10}, {"bin", "a.dll", "OLD", 10}, {"deep\\er", "c.dat", "same", 10}});
    const auto before = Snapshot(app);
    Serve("2",
          AppDocument(
              "2",
              {{"", "app.exe", "same", 10}, {"bin", "a.dll", "NEW", 10}, {"deep\\er", "c.dat", "same", 10}}),
          AcrossVersion);
    // The server has no bin\a.dll for version 2.
    EXPECT_NE(updater->DoUpdate(), 0);
    EXPECT_EQ(Snapshot(app), before);
    EXPECT_FALSE(nimbo_test::FolderExists(backup));
}

TEST_F(Across, RefusedTaskStopsTheTransfersBeforeTheRollBack) {
    InstallVersion1({{"", "a.txt", "1", 10}, {"", "b.txt", "1", 10}});
    const auto before = Snapshot(app);
    Serve("2", AppDocument("2", {{"", "a.txt", "2", 10}, {"", "b.txt", "2", 10}}), AcrossVersion);
    downloader.refuseStartAfter = 1;
    EXPECT_EQ(updater->DoUpdate(), 1);
    EXPECT_EQ(downloader.stops, 1);
    EXPECT_EQ(downloader.waits, 0);
    EXPECT_EQ(Snapshot(app), before);
}

// Settings files by their IniConfigFiles update type when the new version changed them.
TEST_F(Across, SettingsFilesFollowTheirUpdateType) {
    struct Case {
        const char* iniName;  // as IniConfigFiles names it
        int type;
        const char* fileName;  // as the file record names it
        bool backupComplete;
        bool fetched;
        const char* result;
    } cases[] = {
        {"user.ini", 1, "user.ini", true, true, "[s]\r\nnew=2\r\n"},
        {"user.ini", 2, "user.ini", true, true, "[s]\r\nnew=2\r\nold=1\r\n"},
        {"USER.ini", 3, "user.ini", true, false, "[s]\r\nold=1\r\n"},
        {"user.ini", 3, "user.ini", false, true, "[s]\r\nnew=2\r\n"},
        {"user.INI", 3, "user.INI", true, true, "[s]\r\nnew=2\r\n"},  // ".INI" is no settings file
        {"other.ini", 3, "user.ini", true, true, "[s]\r\nnew=2\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.iniName << " type " << c.type << " backup " << c.backupComplete);
        DeleteTree(app);
        DeleteTree(backup);
        NewUpdater();
        downloader.created.clear();
        const std::string ini = R"(, "IniConfigFiles": [{"FileName": ")" + std::string(c.iniName) +
                                R"(", "UpdateType": )" + std::to_string(c.type) + "}]";
        Install(AppDocument("1", {{"conf", c.fileName, "1", 10}}, ini), {});
        const std::wstring relative = L"conf\\" + Utf8ToWide(c.fileName);
        Write(relative, "[s]\r\nold=1\r\n");
        if (!c.backupComplete) Write(relative + L".cfg", "resume");
        Serve("2", AppDocument("2", {{"conf", c.fileName, "2", 10}}, ini), AcrossVersion);
        Offer("2", "conf\\" + std::string(c.fileName), "[s]\r\nnew=2\r\n");
        ASSERT_EQ(updater->DoUpdate(), 0);
        EXPECT_EQ(Fetched().size(), c.fetched ? 1u : 0u);
        std::string text = Read(relative);
        EXPECT_EQ(text, c.result);
    }
}

TEST_F(Across, SameVersionKeepsAnExistingType3SettingsFile) {
    const std::string ini = R"(, "IniConfigFiles": [{"FileName": "user.ini", "UpdateType": 3}])";
    const std::string doc = AppDocument("2", {{"", "user.ini", "1", 10}, {"", "app.exe", "1", 10}}, ini);
    Install(doc, {{L"user.ini", "[mine]\r\n"}, {L"user.ini.cfg", "resume"}});
    Serve("2", doc, SameVersion);
    Offer("2", "app.exe", "program");
    ASSERT_EQ(updater->DoUpdate(), 0);
    EXPECT_EQ(Fetched(), (Files{L"app.exe"}));
    EXPECT_EQ(Read(L"user.ini"), "[mine]\r\n");
}

TEST_F(Across, UnchangedPackagesComeFromTheBackup) {
    struct Case {
        const char* name;
        bool contentInBackup, packageInBackup;
        bool restoredContent, unzipped, fetched;
    } cases[] = {
        {"contents in the backup", true, false, true, false, false},
        {"content lost, package kept", false, true, false, true, true},
        {"content and package lost", false, false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteTree(app);
        DeleteTree(backup);
        NewUpdater();
        downloader.created.clear();
        delegate.unzips.clear();
        const std::string packages =
            R"(, "Packages": {"pack.zip": )" + RecordsJson({{"lib", "c.dll", "hc", 1}}) + "}";
        Install(AppDocument("1", {{"", "pack.zip", "hp", 7, true}}, packages), {});
        if (c.contentInBackup) Write(L"lib\\c.dll", "v1 c");
        if (c.packageInBackup) Write(L"pack.zip", "v1 pack");
        Serve("2", AppDocument("2", {{"", "pack.zip", "HP", 7, true}}, packages), AcrossVersion);
        Offer("2", "pack.zip", "v2 pack");
        ASSERT_EQ(updater->DoUpdate(), 0);
        EXPECT_EQ(Has(L"lib\\c.dll"), c.restoredContent);
        ASSERT_EQ(delegate.unzips.size(), c.unzipped ? 1u : 0u);
        if (c.unzipped) {
            EXPECT_EQ(delegate.unzips[0], std::make_pair(backup + L"\\pack.zip", app));
        }
        EXPECT_EQ(!Fetched().empty(), c.fetched);
    }
}

TEST_F(Across, UnchangedInstantFilesAreMovedBackChangedOnesLeftOut) {
    const auto instant = [](const char* hashA, const char* hashB) {
        return R"(, "InstantDownloadFiles": )" +
               RecordsJson({{"", "i1.dat", hashA, 1}, {"", "i2.dat", hashB, 1}});
    };
    std::vector<std::pair<std::wstring, std::string>> files = {
        {L"app.exe", "v1"}, {L"i1.dat", "v1 i1"}, {L"i2.dat", "v1 i2"}};
    Install(AppDocument("1", {{"", "app.exe", "x", 10}}, instant("a", "b")), files);
    Serve("2", AppDocument("2", {{"", "app.exe", "x", 10}}, instant("a", "B2")), AcrossVersion);
    ASSERT_EQ(updater->DoUpdate(), 0);
    EXPECT_TRUE(Fetched().empty());
    EXPECT_EQ(Read(L"i1.dat"), "v1 i1");
    EXPECT_FALSE(Has(L"i2.dat"));
}

TEST_F(Across, OldDocumentThatCannotBeReadFailsBeforeAnythingMoves) {
    Install(AppDocument("1", {{"", "app.exe", "x", 10}}), {{L"app.exe", "v1"}});
    nimbo_test::WriteFileText(app + L"\\appconfig.json", "not encrypted");
    const auto before = Snapshot(app);
    Serve("2", AppDocument("2", {{"", "app.exe", "y", 10}}), AcrossVersion);
    EXPECT_EQ(updater->DoUpdate(), 1);
    EXPECT_EQ(Snapshot(app), before);
    EXPECT_TRUE(view.Has(
        FormatWide(GetLocalizedMessage(msg::kParseConfigFailed), (app + L"\\appconfig.json").c_str())));
}

}  // namespace
