#include <filesystem>
#include <functional>

#include "appconfig.h"
#include "deploylist.h"
#include "fileio.h"
#include "publish_fixture.h"
#include "zipreader.h"

using namespace NimboNS::publisher;
using namespace publisher_test;
using nlohmann::json;

namespace {

using PublishApp = PublishFixture;

TEST_F(PublishApp, WritesTheServerLayout) {
    auto result = Publish(Description(R"("InstantDownloadFiles": ["data"])"));
    auto files = Snapshot(AppFolder());
    for (const wchar_t* name :
         {L"apprun.json", L"deploylist.ini.zip", L"1.0.0\\appconfig.json.zip", L"1.0.0\\App.exe.zip",
          L"1.0.0\\bin\\core.dll.zip", L"1.0.0\\data\\big.txt.zip"}) {
        EXPECT_TRUE(files.count(name)) << name;
    }
    for (const auto& [path, content] : files) EXPECT_EQ(path.find(L".nimbo-"), std::wstring::npos) << path;
    EXPECT_EQ(json::parse(files[L"apprun.json"]), json::parse(R"({"deployment_urls": {}})"));

    std::vector<ZipEntry> entries;
    std::string error;
    ASSERT_TRUE(ReadZip(files[L"1.0.0\\data\\big.txt.zip"], entries, error)) << error;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "big.txt");
    EXPECT_EQ(entries[0].data, std::string(300000, 'x'));

    json doc = Config("1.0.0");
    EXPECT_EQ(doc["Version"], "1.0.0");
    EXPECT_EQ(doc["UpdateGuid"], result.updateGuid);
    EXPECT_EQ(doc["StartupFile"], "App.exe");
    EXPECT_EQ(doc["RuntimeVersion"], "4.1.0");
    EXPECT_EQ(doc["Is32Bit"], true);
    ASSERT_EQ(doc["PredownloadFiles"].size(), 2u);
    json core = Find(doc["PredownloadFiles"], "bin", "core.dll");
    ASSERT_FALSE(core.is_null());
    EXPECT_EQ(core["Size"], 12);
    EXPECT_EQ(core["Extractable"], false);
    EXPECT_EQ(core["HashCode"].get<std::string>().size(), 21u);
    EXPECT_FALSE(Find(doc["PredownloadFiles"], ".", "App.exe").is_null());
    json big = Find(doc["InstantDownloadFiles"], "data", "big.txt");
    ASSERT_FALSE(big.is_null());
    EXPECT_EQ(big["Size"], 300000);
}

TEST_F(PublishApp, SecondVersionIsAddedAndOnlyChangedFilesGetNewTags) {
    Publish(Description(R"("OnlineTime": "2024-01-01 00:00:00")"));
    auto first = Snapshot(AppFolder() + L"\\1.0.0");
    PutFile(source + L"\\bin\\core.dll", "core library, fixed");
    PutFile(source + L"\\bin\\new.dll", "new library");
    Publish(Description("", "1.1.0"));

    EXPECT_EQ(Snapshot(AppFolder() + L"\\1.0.0"), first) << "the first version stays as it was";
    json v1 = Config("1.0.0"), v2 = Config("1.1.0");
    EXPECT_NE(v1["UpdateGuid"], v2["UpdateGuid"]);
    auto tag = [](const json& doc, const char* path, const char* name) {
        return Find(doc["PredownloadFiles"], path, name)["HashCode"];
    };
    EXPECT_EQ(tag(v1, ".", "App.exe"), tag(v2, ".", "App.exe"));
    EXPECT_EQ(tag(v1, "data", "big.txt"), tag(v2, "data", "big.txt"));
    EXPECT_NE(tag(v1, "bin", "core.dll"), tag(v2, "bin", "core.dll"));
    EXPECT_FALSE(tag(v2, "bin", "new.dll").is_null());

    DeployList list = DeployList::Parse(ReadWholeFile(AppFolder() + L"\\deploylist.ini.zip"));
    ASSERT_EQ(list.Versions().size(), 2u);
    EXPECT_EQ(list.Find("1.0.0")->onlineTime, "2024-01-01 00:00:00");
    EXPECT_EQ(list.Find("1.1.0")->offlineTime, kNeverOffline);
    EXPECT_EQ(list.MinimumValidVersion(), "1.0.0") << "kept from the first publication";
}

TEST_F(PublishApp, RepublishingAVersionReplacesItWithANewGuidAndKeepsItsTimes) {
    auto first = Publish(Description(R"("OnlineTime": "2024-01-01 00:00:00", "MinimumValidVersion": "0.5")"));
    PutFile(source + L"\\extra.txt", "added later");
    DeleteFileW((source + L"\\bin\\core.dll").c_str());
    auto second = Publish(Description());
    EXPECT_NE(first.updateGuid, second.updateGuid);
    auto files = Snapshot(AppFolder() + L"\\1.0.0");
    EXPECT_TRUE(files.count(L"extra.txt.zip"));
    EXPECT_FALSE(files.count(L"bin\\core.dll.zip")) << "the old folder is replaced, not merged";
    DeployList list = DeployList::Parse(ReadWholeFile(AppFolder() + L"\\deploylist.ini.zip"));
    EXPECT_EQ(list.Find("1.0.0")->onlineTime, "2024-01-01 00:00:00");
    EXPECT_EQ(list.MinimumValidVersion(), "0.5");
}

TEST_F(PublishApp, DocumentCarriesTheDescriptionsSettings) {
    PutFile(source + L"\\app.ico", "icon");
    PutFile(source + L"\\user.ini", "[a]\r\nb=1\r\n");
    PutFile(source + L"\\bin\\Comp.dll", "component");
    Publish(
        Description(R"("StartMode": "Never", "IsVerOffCheck": true, "Is32Bit": false, "FullDownload": true,
        "Arguments": "-x 1", "CreateDesktopShortcut": true, "AppShortcutName": "Sales App",
        "AppShortcutImage": "app.ico", "PreloadEventCommands": ["a", "b"], "RuntimeModules": ["Core"],
        "RegisterFiles": ["bin/Comp.dll"], "IniConfigFiles": [{"FileName": "user.ini", "UpdateType": 2}],
        "corvane": {"webapiurl": "https://x"}, "DeploymentUrls": {"web_api": "https://api"}, "Exclude": ["*.exe.config"])"));
    json doc = Config("1.0.0");
    EXPECT_EQ(doc["StartMode"], 1);
    EXPECT_EQ(doc["IsVerOffCheck"], true);
    EXPECT_EQ(doc["Is32Bit"], false);
    EXPECT_EQ(doc["FullDownload"], true);
    EXPECT_EQ(doc["Arguments"], "-x 1");
    EXPECT_EQ(doc["CreateDesktopShortcut"], true);
    EXPECT_EQ(doc["AppShortcutName"], "Sales App");
    EXPECT_EQ(doc["PreloadEventCommands"], "a\r\nb");
    EXPECT_EQ(doc["RuntimeModules"], json::array({"Core"}));
    EXPECT_EQ(doc["RegisterFiles"], json::array({"bin\\Comp.dll"}));
    EXPECT_EQ(doc["IniConfigFiles"], json::parse(R"([{"FileName": "user.ini", "UpdateType": 2}])"));
    EXPECT_EQ(doc["corvane"], json::parse(R"({"webapiurl": "https://x"})"));
    auto appRun = json::parse(nimbo_test::ReadFileText(AppFolder() + L"\\apprun.json"));
    EXPECT_EQ(appRun["deployment_urls"]["web_api"], "https://api");
}

TEST_F(PublishApp, PackagesCarryTheirFilesAndAreListedAsExtractable) {
    PutFile(source + L"\\assets\\img\\a.png", RandomBytes(5000, 1));
    PutFile(source + L"\\assets\\b.txt", "b");
    Publish(Description(R"("Packages": [{"Name": "assets.zip", "Content": ["assets"]}])"));
    json doc = Config("1.0.0");
    json record = Find(doc["PredownloadFiles"], ".", "assets.zip");
    ASSERT_FALSE(record.is_null());
    EXPECT_EQ(record["Extractable"], true);
    EXPECT_TRUE(Find(doc["PredownloadFiles"], "assets\\img", "a.png").is_null())
        << "packed files are not listed alone";
    json content = doc["Packages"]["assets.zip"];
    ASSERT_EQ(content.size(), 2u);
    EXPECT_FALSE(Find(content, "assets\\img", "a.png").is_null());

    // The served file wraps the package; the package holds the files below the app folder.
    std::vector<ZipEntry> outer, inner;
    std::string error;
    ASSERT_TRUE(ReadZip(nimbo_test::ReadFileText(AppFolder() + L"\\1.0.0\\assets.zip.zip"), outer, error))
        << error;
    ASSERT_EQ(outer.size(), 1u);
    EXPECT_EQ(outer[0].name, "assets.zip");
    EXPECT_EQ(record["Size"], outer[0].data.size());
    ASSERT_TRUE(ReadZip(outer[0].data, inner, error)) << error;
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_EQ(inner[0].name, "assets/b.txt");
    EXPECT_EQ(inner[1].name, "assets/img/a.png");
    EXPECT_EQ(inner[1].data, RandomBytes(5000, 1));

    // The package's tag follows its content, not the bytes of the archive.
    std::string tag = record["HashCode"];
    Publish(Description(R"("Packages": [{"Name": "assets.zip", "Content": ["assets"]}])", "1.1.0"));
    EXPECT_EQ(Find(Config("1.1.0")["PredownloadFiles"], ".", "assets.zip")["HashCode"], tag);
    PutFile(source + L"\\assets\\b.txt", "changed");
    Publish(Description(R"("Packages": [{"Name": "assets.zip", "Content": ["assets"]}])", "1.2.0"));
    EXPECT_NE(Find(Config("1.2.0")["PredownloadFiles"], ".", "assets.zip")["HashCode"], tag);
}

// Publications that must fail, each leaving an existing deployment exactly as it was.
TEST_F(PublishApp, BadInputChangesNothing) {
    Publish(Description());
    auto before = Snapshot(deployment);
    const struct {
        const char* label;
        std::function<void()> prepare;
        std::string description;
        const char* error;
    } cases[] = {
        {"not JSON", [] {}, "{", "not valid JSON"},
        {"missing start file", [] {}, R"({"AppName": "Sales", "Version": "2.0", "StartupFile": "Gone.exe",
            "RuntimeVersion": "4.1.0"})",
         "Gone.exe"},
        {"resume state name", [&] { PutFile(source + L"\\bin\\core.dll.cfg", "x"); }, Description("", "2.0"),
         "download state"},
        {"reserved name", [&] { PutFile(source + L"\\appconfig.json", "{}"); }, Description("", "2.0"),
         "launcher writes its own"},
        {"unsafe character", [&] { PutFile(source + L"\\50%.txt", "x"); }, Description("", "2.0"), "\"%\""},
        {"start file only with FullDownload", [] {},
         Description(R"("InstantDownloadFiles": ["App.exe"])", "2.0"), "FullDownload"},
        {"unknown register file", [] {}, Description(R"("RegisterFiles": ["x.dll"])", "2.0"), "x.dll"},
        {"empty package", [] {},
         Description(R"("Packages": [{"Name": "p.zip", "Content": ["nothing"]}])", "2.0"), "would be empty"},
        {"offline before online", [] {},
         Description(R"("OnlineTime": "2030-01-01 00:00:00",
            "OfflineTime": "2029-01-01 00:00:00")",
                     "2.0"),
         "later than"},
        {"existing apprun.json is broken", [&] { PutFile(AppFolder() + L"\\apprun.json", "{oops"); },
         Description("", "2.0"), "apprun.json"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        c.prepare();
        auto reference = Snapshot(deployment);
        try {
            Publish(c.description);
            ADD_FAILURE() << "published";
        } catch (const PublishError& e) {
            std::string all = reporter.All() + e.what();
            EXPECT_NE(all.find(c.error), std::string::npos) << all;
        }
        EXPECT_EQ(Snapshot(deployment), reference);
        // Undo this case's change to the source and the deployment.
        std::filesystem::remove_all(source);
        SetUp();
        PutFile(AppFolder() + L"\\apprun.json", before[L"Sales\\apprun.json"]);
        reporter = CollectingReporter();
    }
    EXPECT_EQ(Snapshot(deployment), before);
}

TEST_F(PublishApp, AFileThatCannotBeReadHalfWayLeavesTheDeploymentAsItWas) {
    Publish(Description());
    auto before = Snapshot(deployment);
    PutFile(source + L"\\zzz.txt", "locked");  // packed last
    HANDLE held =
        CreateFileW((source + L"\\zzz.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(Publish(Description()), PublishError);
    CloseHandle(held);
    EXPECT_EQ(Snapshot(deployment), before);
}

// The list cannot be replaced (a reader holds it): the version folder already moved in goes back.
TEST_F(PublishApp, AFailedSwitchPutsTheOldVersionBack) {
    Publish(Description());
    auto before = Snapshot(deployment);
    PutFile(source + L"\\bin\\core.dll", "changed");
    std::wstring list = AppFolder() + L"\\deploylist.ini.zip";
    HANDLE held =
        CreateFileW(list.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(Publish(Description()), PublishError);
    CloseHandle(held);
    EXPECT_EQ(Snapshot(deployment), before);
}

TEST_F(PublishApp, FailureOnAFreshDeploymentLeavesNoFolderBehind) {
    PutFile(source + L"\\zzz.txt", "locked");
    HANDLE held =
        CreateFileW((source + L"\\zzz.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(Publish(Description()), PublishError);
    CloseHandle(held);
    EXPECT_FALSE(nimbo_test::FolderExists(deployment));
}

TEST_F(PublishApp, ASecondPublisherIsTurnedAway) {
    Publish(Description());
    auto before = Snapshot(deployment);
    std::wstring lock = deployment + L"\\.nimbo-publish.lock";
    HANDLE held = CreateFileW(lock.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    try {
        Publish(Description("", "2.0"));
        ADD_FAILURE() << "published beside another publisher";
    } catch (const PublishError& e) {
        EXPECT_NE(std::string(e.what()).find("another publication"), std::string::npos) << e.what();
    }
    CloseHandle(held);
    EXPECT_EQ(Snapshot(deployment), before);
}

// Windows does not tell letter case apart; a source folder on another file system may.
TEST(PlanApp, RefusesFilesThatWouldCollideOnWindows) {
    Problems problems;
    AppDescription d;
    d.appName = "Sales";
    d.startupFile = "App.exe";
    auto file = [](const wchar_t* relative) {
        SourceFile f;
        f.relative = relative;
        return f;
    };
    PlanApp(d, {file(L"App.exe"), file(L"bin\\core.dll"), file(L"BIN\\Core.dll")}, problems);
    ASSERT_EQ(problems.errors.size(), 1u);
    EXPECT_NE(problems.errors[0].find("same file on Windows"), std::string::npos) << problems.errors[0];
}

TEST_F(PublishApp, RefusesADeploymentInsideTheSource) {
    PutFile(temp / L"app.json", Description());
    AppPublishRequest request{temp / L"app.json", source, source + L"\\www"};
    try {
        NimboNS::publisher::PublishApp(request, reporter);
        ADD_FAILURE() << "published into its own source";
    } catch (const PublishError& e) {
        EXPECT_NE(std::string(e.what()).find("inside the source"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(nimbo_test::FolderExists(source + L"\\www"));
}

// Notepad saves "Unicode" as UTF-16LE with a byte-order mark, or UTF-8 with one.
TEST_F(PublishApp, DescriptionsInTheEncodingsEditorsWrite) {
    std::string text = Description(R"("AppShortcutName": "Ums\u00e4tze")");
    std::string utf16 = "\xFF\xFE";
    for (char c : text) utf16 += std::string{c, '\0'};
    Publish(utf16);
    EXPECT_EQ(Config("1.0.0")["AppShortcutName"], "Ums\xC3\xA4tze");
    Publish("\xEF\xBB\xBF" + Description("", "1.1"));
    EXPECT_EQ(Config("1.1")["Version"], "1.1");
}

TEST_F(PublishApp, CheckOnlyWritesNothing) {
    PutFile(temp / L"app.json", Description());
    AppPublishRequest request{temp / L"app.json", source, deployment, "3.0", true};
    auto result = NimboNS::publisher::PublishApp(request, reporter);
    EXPECT_EQ(result.version, "3.0");
    EXPECT_EQ(result.files, 3u);
    EXPECT_FALSE(nimbo_test::FolderExists(deployment));
}

TEST_F(PublishApp, WarnsAboutWhatTheLauncherWillMissOnTheServer) {
    Publish(Description(R"("RuntimeModules": ["Core"])"));
    std::string warnings = reporter.All();
    EXPECT_NE(warnings.find("no 32-bit runtime 4.1.0 is published"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("no launcher is published"), std::string::npos) << warnings;
}

}  // namespace
