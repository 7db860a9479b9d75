// The app updater's first download and same-version completion, its file addresses, packages and
// the decision whether to run at all.
#include "app_fixture.h"
#include "catalog/catalog.h"

using namespace NimboNS;
using namespace update_test;

namespace {

using Files = std::vector<std::wstring>;

TEST(AppUpdaterNeed, ByStrategyReachabilityAndUpdateType) {
    struct Case {
        int startMode, serverReachable, updateType, need;
    } cases[] = {
        {Always, 0, SameVersion, 1},    {Connect, 1, SameVersion, 1}, {Connect, 0, SameVersion, 0},
        {Connect, 0, AcrossVersion, 1}, {Never, 1, FirstDownLoad, 0}, {Never, 1, AcrossVersion, 1},
    };
    CUpdateConfig config(nullptr);
    CUserAppUpdater updater(&config);
    for (const Case& c : cases) {
        config.startMode = c.startMode, config.serverReachable = c.serverReachable,
        config.updateType = c.updateType;
        EXPECT_EQ(updater.NeedUpdate(), c.need) << c.startMode << c.serverReachable << c.updateType;
    }
}

class FirstAndSame : public AppUpdaterTest {};

TEST_F(FirstAndSame, FirstDownloadFillsAFreshFolderInDocumentOrder) {
    for (bool full : {false, true}) {
        SCOPED_TRACE(full);
        NewUpdater();
        downloader.created.clear();
        Write(L"leftover.txt", "from an earlier attempt");
        const std::string doc = AppDocument("2", {{".", "app.exe", "h1", 10}, {"bin\\x", "a.dll", "h2", 10}},
                                            std::string(R"(, "InstantDownloadFiles": )") +
                                                RecordsJson({{"", "late.dat", "h3", 3000000}}) +
                                                (full ? R"(, "FullDownload": true)" : ""));
        Serve("2", doc, FirstDownLoad);
        Offer("2", "app.exe", "program"), Offer("2", "bin\\x\\a.dll", "library"),
            Offer("2", "late.dat", "late");
        ASSERT_EQ(updater->DoUpdate(), 0);
        Files expected = {L"app.exe", L"bin\\x\\a.dll"};
        if (full) expected.push_back(L"late.dat");
        EXPECT_EQ(Fetched(), expected);
        EXPECT_FALSE(Has(L"leftover.txt"));
        EXPECT_EQ(Read(L"bin\\x\\a.dll"), "library");
        EXPECT_EQ(Read(L"appconfig.json"),
                  std::string(config.downloadedConfig.begin(), config.downloadedConfig.end()));
        ASSERT_EQ(downloader.created.size(), full ? 3u : 2u);
        EXPECT_EQ(downloader.TaskFor(app + L"\\bin\\x\\a.dll")->url, L"http://srv/App/2/bin/x/a.dll.zip");
        EXPECT_EQ(downloader.TaskFor(app + L"\\app.exe")->url, L"http://srv/App/2/app.exe.zip");
        if (full) {
            EXPECT_EQ(downloader.TaskFor(app + L"\\late.dat")->resumable, 1);
        }
    }
}

TEST_F(FirstAndSame, SameVersionFetchesOnlyMissingAndInterruptedFiles) {
    const std::string doc = AppDocument(
        "2", {{"", "app.exe", "h1", 10}, {"", "gone.dll", "h2", 10}, {"data", "half.bin", "h3", 3000000}});
    Install(doc,
            {{L"app.exe", "program"}, {L"data\\half.bin", "partial"}, {L"data\\half.bin.cfg", "resume"}});
    Serve("2", doc, SameVersion);
    Offer("2", "gone.dll", "library"), Offer("2", "data\\half.bin", "whole");
    ASSERT_EQ(updater->DoUpdate(), 0);
    EXPECT_EQ(Fetched(), (Files{L"gone.dll", L"data\\half.bin"}));
    ASSERT_EQ(downloader.created.size(), 2u);
    EXPECT_EQ(downloader.TaskFor(app + L"\\data\\half.bin")->resumeRecord, app + L"\\data\\half.bin.cfg");
    EXPECT_EQ(Read(L"data\\half.bin"), "whole");
    EXPECT_FALSE(Has(L"data\\half.bin.cfg"));
}

TEST_F(FirstAndSame, CompleteSameVersionStartsNoTaskAndDoesNotWait) {
    const std::string doc = AppDocument("2", {{"", "app.exe", "h1", 10}});
    Install(doc, {{L"app.exe", "program"}});
    Serve("2", doc, SameVersion);
    ASSERT_EQ(updater->DoUpdate(), 0);
    EXPECT_EQ(downloader.created.size(), 0u);
    EXPECT_EQ(downloader.waits, 0);
    EXPECT_EQ(Read(L"app.exe"), "program");
}

TEST_F(FirstAndSame, FailedDownloadFailsTheUpdate) {
    const std::string doc = AppDocument("2", {{"", "app.exe", "h1", 10}});
    Serve("2", doc, FirstDownLoad);
    EXPECT_NE(updater->DoUpdate(), 0);
    EXPECT_FALSE(Has(L"app.exe"));
}

TEST_F(FirstAndSame, WithoutTheDownloadLibraryNothingIsTouched) {
    const std::string doc = AppDocument("2", {{"", "app.exe", "h1", 10}});
    Install(doc, {{L"app.exe", "program"}, {L"kxapp.ini", "[s]\r\n"}});
    const auto before = Snapshot(app);
    Serve("2", doc, FirstDownLoad);
    CUserAppUpdater bare(&config);
    EXPECT_EQ(bare.DoUpdate(), 1);
    EXPECT_EQ(Snapshot(app), before);
    EXPECT_TRUE(view.Has(FormatWide(GetLocalizedMessage(msg::kLoadDllFailed), L"kxhttpclient")));
}

// Packages in a same-version run: what happens to the package file and its contents.
TEST_F(FirstAndSame, PackagesAreCompletedFetchedUnpackedOrCleanedUp) {
    struct Case {
        const char* name;
        bool packageComplete, contentComplete, sizeMatches;
        bool fetched, unzipped, packageKept;
    } cases[] = {
        {"all there: package file removed", true, true, true, false, false, false},
        {"contents there, no package", false, true, true, false, false, false},
        {"content missing, no package", false, false, true, true, false, true},
        {"content missing, package whole", true, false, true, false, true, true},
        {"content missing, package of another size", true, false, false, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteTree(app);
        NewUpdater();
        downloader.created.clear();
        delegate.unzips.clear();
        const std::string doc =
            AppDocument("2", {{"", "pack.zip", "hp", 7, true}},
                        R"(, "Packages": {"pack.zip": )" + RecordsJson({{"lib", "c.dll", "hc", 1}}) + "}");
        Install(doc, {});
        if (c.packageComplete) Write(L"pack.zip", c.sizeMatches ? "7 bytes" : "other size");
        if (c.contentComplete) Write(L"lib\\c.dll", "c");
        Serve("2", doc, SameVersion);
        Offer("2", "pack.zip", "7 bytes");
        ASSERT_EQ(updater->DoUpdate(), 0);
        EXPECT_EQ(!Fetched().empty(), c.fetched);
        if (c.fetched) {
            EXPECT_EQ(downloader.created[0]->extract, 1);
        }
        ASSERT_EQ(delegate.unzips.size(), c.unzipped ? 1u : 0u);
        if (c.unzipped) {
            EXPECT_EQ(delegate.unzips[0], std::make_pair(app + L"\\pack.zip", app));
        }
        EXPECT_EQ(Has(L"pack.zip"), c.packageKept);
    }
}

TEST_F(FirstAndSame, FailedUnpackFailsTheUpdate) {
    const std::string doc =
        AppDocument("2", {{"", "pack.zip", "hp", 7, true}},
                    R"(, "Packages": {"pack.zip": )" + RecordsJson({{"", "c.dll", "hc", 1}}) + "}");
    Install(doc, {{L"pack.zip", "7 bytes"}});
    Serve("2", doc, SameVersion);
    delegate.unzipResult = 4;
    EXPECT_EQ(updater->DoUpdate(), 4);
}

TEST_F(FirstAndSame, RegisterFilesReplaceTheConfigurationsListCutTo259) {
    const std::string longName(300, 'r');
    const std::string doc = AppDocument("2", {{"", "app.exe", "h1", 10}},
                                        R"(, "RegisterFiles": ["bin\\c.ocx", ")" + longName + R"("])");
    Install(doc, {{L"app.exe", "program"}});
    Serve("2", doc, SameVersion);
    config.registerFiles = {L"stale.dll"};
    ASSERT_EQ(updater->DoUpdate(), 0);
    ASSERT_EQ(config.registerFiles.size(), 2u);
    EXPECT_EQ(config.registerFiles[0], L"bin\\c.ocx");
    EXPECT_EQ(config.registerFiles[1], std::wstring(259, L'r'));
}

TEST_F(FirstAndSame, MissingRuntimeAssemblyFailsAfterTheFilesAreInPlace) {
    const std::string doc = AppDocument("2", {{"", "app.exe", "h1", 10}});
    Serve("2", doc, FirstDownLoad);
    Offer("2", "app.exe", "program");
    config.homePath = home.path();
    config.runtimeAssemblies = {L"Ostrander.Tessellate.Db.dll"};
    EXPECT_EQ(updater->DoUpdate(), 1);
    EXPECT_EQ(Read(L"app.exe"), "program");
}

}  // namespace
