#include <nlohmann/json.hpp>

#include "cli.h"
#include "deploylist.h"
#include "fileio.h"
#include "publish.h"
#include "support.h"
#include "zipreader.h"

#include <gtest/gtest.h>

using namespace NimboNS::publisher;
using namespace publisher_test;
using nlohmann::json;

namespace {

class PublishRuntimeTest : public ::testing::Test {
protected:
    nimbo_test::TempFolder temp;
    std::wstring source = temp / L"rt";
    std::wstring deployment = temp / L"dep";
    CollectingReporter reporter;

    void SetUp() override {
        PutFile(source + L"\\core\\Core.dll", "core");
        PutFile(source + L"\\core\\sub\\Helper.dll", "helper");
        PutFile(source + L"\\tools\\tool.exe", "tool");
        PutFile(source + L"\\readme.txt", "not in a module");
    }
    std::wstring RuntimeFolder(bool x64) const {
        return deployment + L"\\NimboPublisher\\runtime\\4.1.0" + (x64 ? L"\\x64" : L"");
    }
    void Publish(const std::string& description) {
        PutFile(temp / L"rt.json", description);
        PublishRuntime({temp / L"rt.json", source, deployment}, reporter);
    }
    static json FindFile(const json& module, const std::string& name) {
        for (const auto& f : module["files"])
            if (f["name"] == name) return f;
        return nullptr;
    }
};

const char kTwoModules[] = R"({"Version": "4.1.0", "Modules": [
    {"Name": "Core", "Files": ["core"], "Package": "Core.zip"},
    {"Name": "Tools", "Files": ["tools/*.exe"], "Action": "copy"}]})";

TEST_F(PublishRuntimeTest, ManifestAndFilesAsTheLauncherFetchesThem) {
    Publish(kTwoModules);
    json manifest = json::parse(nimbo_test::ReadFileText(RuntimeFolder(false) + L"\\manifest.json"));
    EXPECT_EQ(manifest["version"], "4.1.0");
    ASSERT_EQ(manifest["modules"].size(), 2u);
    json core = manifest["modules"][0];
    EXPECT_EQ(core["name"], "Core");
    json package = FindFile(core, "Core.zip");
    EXPECT_EQ(package["path"], ".");
    EXPECT_EQ(package["packagename"], "");
    EXPECT_EQ(package["isneedextract"], true);
    EXPECT_EQ(package["hashcode"].get<std::string>().size(), 19u);
    json helper = FindFile(core, "Helper.dll");
    EXPECT_EQ(helper["path"], "core\\sub");
    EXPECT_EQ(helper["packagename"], "Core.zip");
    EXPECT_EQ(helper["isneedextract"], false);
    EXPECT_EQ(helper["size"], 6);

    json tool = FindFile(manifest["modules"][1], "tool.exe");
    EXPECT_EQ(tool["path"], "tools");
    EXPECT_EQ(tool["packagename"], "");
    EXPECT_EQ(tool["action"], "copy");
    // Runtime files are served as they are; the package is a zip of paths below the runtime folder.
    EXPECT_EQ(nimbo_test::ReadFileText(RuntimeFolder(false) + L"\\tools\\tool.exe"), "tool");
    std::vector<ZipEntry> entries;
    std::string error;
    ASSERT_TRUE(ReadZip(nimbo_test::ReadFileText(RuntimeFolder(false) + L"\\Core.zip"), entries, error))
        << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "core/Core.dll");
    EXPECT_EQ(entries[1].name, "core/sub/Helper.dll");
    EXPECT_EQ(package["size"], nimbo_test::ReadFileText(RuntimeFolder(false) + L"\\Core.zip").size());
    EXPECT_FALSE(nimbo_test::FileExists(RuntimeFolder(false) + L"\\readme.txt"));
    EXPECT_NE(reporter.All().find("readme.txt\" is in no module"), std::string::npos);
}

TEST_F(PublishRuntimeTest, BothBitnessesLiveSideBySide) {
    Publish(R"({"Version": "4.1.0", "Bitness": 64, "Modules": [{"Name": "Core", "Files": ["core"]}]})");
    auto x64 = Snapshot(RuntimeFolder(true));
    Publish(kTwoModules);  // the 32-bit runtime replaces its folder, which holds x64
    EXPECT_EQ(Snapshot(RuntimeFolder(true)), x64);
    EXPECT_TRUE(nimbo_test::FileExists(RuntimeFolder(false) + L"\\manifest.json"));
    Publish(kTwoModules);  // and again, now over its own earlier publication
    EXPECT_EQ(Snapshot(RuntimeFolder(true)), x64);
    Publish(R"({"Version": "4.1.0", "Bitness": 64, "Modules": [{"Name": "Tools", "Files": ["tools"]}]})");
    EXPECT_TRUE(nimbo_test::FileExists(RuntimeFolder(true) + L"\\tools\\tool.exe"));
    EXPECT_FALSE(nimbo_test::FileExists(RuntimeFolder(true) + L"\\core\\Core.dll"));
    EXPECT_TRUE(nimbo_test::FileExists(RuntimeFolder(false) + L"\\Core.zip"));
}

TEST_F(PublishRuntimeTest, WebViewPackageNamesItsFolder) {
    PutFile(source + L"\\KxWebView2\\view.dll", "view");
    Publish(R"({"Version": "4.1.0", "Modules": [{"Name": "KxWebView2", "Files": ["KxWebView2"],
                "Package": "KxWebView2.zip"}]})");
    json manifest = json::parse(nimbo_test::ReadFileText(RuntimeFolder(false) + L"\\manifest.json"));
    json package = FindFile(manifest["modules"][0], "KxWebView2.zip");
    EXPECT_EQ(package["path"], "KxWebView2");
    // The launcher leaves that path out of the address: the package lies in the top folder.
    EXPECT_TRUE(nimbo_test::FileExists(RuntimeFolder(false) + L"\\KxWebView2.zip"));
}

TEST_F(PublishRuntimeTest, ModulesTheLauncherCouldNotFindAreRefused) {
    const struct {
        const char* description;
        const char* error;
    } cases[] = {
        {R"({"Version": "4.1.0", "Modules": [{"Name": "CoreExtras", "Files": ["tools"]},
             {"Name": "Core", "Files": ["core"]}]})",
         "would never be found"},
        {R"({"Version": "4.1.0", "Modules": [{"Name": "Main", "Files": ["core"], "Package": "Core.zip"}]})",
         "only in modules whose name contains \"Core\""},
        {R"({"Version": "4.1.0", "Modules": [{"Name": "Core", "Files": ["nothing"], "Package": "Core.zip"}]})",
         "would be empty"},
        {R"({"Version": "4.1.0", "Modules": [{"Name": "Core", "Files": ["**"]}]})", "the runtime's own"},
    };
    PutFile(source + L"\\x64\\a.dll", "would land in the 64-bit folder");
    for (const auto& c : cases) {
        CollectingReporter local;
        PutFile(temp / L"rt.json", c.description);
        try {
            PublishRuntime({temp / L"rt.json", source, deployment}, local);
            ADD_FAILURE() << c.description;
        } catch (const PublishError&) {
            EXPECT_NE(local.All().find(c.error), std::string::npos) << local.All();
        }
    }
    EXPECT_FALSE(nimbo_test::FolderExists(deployment));
}

TEST(PublishLauncherTest, SetupDocumentAndInstaller) {
    nimbo_test::TempFolder temp;
    CollectingReporter reporter;
    PutFile(temp / L"setup.exe", "installer bytes");
    std::wstring deployment = temp / L"dep";
    std::wstring folder = deployment + L"\\NimboPublisher\\NimboInstall 22.0";
    PublishLauncher({deployment, std::filesystem::path(temp / L"setup.exe"), "22.0.5", "22.0.1"}, reporter);
    json doc = json::parse(nimbo_test::ReadFileText(folder + L"\\LauncherSetup.json"));
    EXPECT_EQ(doc, json::parse(R"({"package": "NimboLauncher_Installer.exe",
                                   "nimboshell": {"version": "22.0.5", "minver": "22.0.1"}})"));
    EXPECT_EQ(nimbo_test::ReadFileText(folder + L"\\NimboLauncher_Installer.exe"), "installer bytes");
    // A new version without a new installer keeps the one published.
    PublishLauncher({deployment, std::nullopt, "22.0.6"}, reporter);
    doc = json::parse(nimbo_test::ReadFileText(folder + L"\\LauncherSetup.json"));
    EXPECT_EQ(doc["nimboshell"]["minver"], "22.0.6");
    EXPECT_EQ(nimbo_test::ReadFileText(folder + L"\\NimboLauncher_Installer.exe"), "installer bytes");
    EXPECT_THROW(PublishLauncher({deployment, std::nullopt, "22.0.6", "23.0"}, reporter), PublishError);
    EXPECT_THROW(PublishLauncher({deployment, std::nullopt, "v22"}, reporter), PublishError);
    // No version given and none in the installer (no version resource).
    EXPECT_THROW(PublishLauncher({deployment, std::filesystem::path(temp / L"setup.exe"), ""}, reporter),
                 PublishError);
    EXPECT_THROW(PublishLauncher({deployment, std::nullopt, "22.0", "", "../outside"}, reporter),
                 PublishError);
}

TEST(ScheduleTest, WithdrawAVersionAndRaiseTheMinimum) {
    nimbo_test::TempFolder temp;
    CollectingReporter reporter;
    PutFile(temp / L"src\\App.exe", "MZ");
    std::wstring deployment = temp / L"dep";
    for (const char* version : {"1.0", "2.0"}) {
        PutFile(temp / L"app.json", std::string(R"({"AppName": "Sales", "Version": ")") + version +
                                        R"(", "StartupFile": "App.exe", "RuntimeVersion": "1"})");
        PublishApp({temp / L"app.json", temp / L"src", deployment}, reporter);
    }
    std::wstring listPath = deployment + L"\\Sales\\deploylist.ini.zip";
    ScheduleApp({deployment, "Sales", "1.0", std::nullopt, std::string("now"), std::string("2.0")}, reporter);
    DeployList list = DeployList::Parse(ReadWholeFile(listPath));
    auto withdrawn = ParseUtcTime(list.Find("1.0")->offlineTime);
    ASSERT_TRUE(withdrawn);
    EXPECT_LE(*withdrawn, NowUtc());
    EXPECT_EQ(list.MinimumValidVersion(), "2.0");
    EXPECT_EQ(list.Find("2.0")->offlineTime, kNeverOffline);

    auto before = nimbo_test::ReadFileText(listPath);
    EXPECT_THROW(ScheduleApp({deployment, "Sales", "3.0", std::string("now")}, reporter), PublishError);
    EXPECT_THROW(ScheduleApp({deployment, "Sales", "2.0", std::string("later")}, reporter), PublishError);
    EXPECT_THROW(
        ScheduleApp({deployment, "Other", "", std::nullopt, std::nullopt, std::string("1")}, reporter),
        PublishError);
    EXPECT_EQ(nimbo_test::ReadFileText(listPath), before);
}

TEST(CommandLine, ExitCodesAndHelp) {
    CollectingReporter reporter;
    std::string out;
    EXPECT_EQ(RunCommandLine({L"--help"}, reporter, out), kExitOk);
    EXPECT_NE(out.find("deploylist.ini.zip"), std::string::npos);
    const struct {
        std::vector<std::wstring> args;
        int code;
        const char* error;
    } cases[] = {
        {{}, kExitUsage, ""},
        {{L"publish"}, kExitUsage, "unknown command"},
        {{L"app", L"--source", L"x"}, kExitUsage, "--description is missing"},
        {{L"app", L"--description"}, kExitUsage, "needs a value"},
        {{L"app", L"--colour", L"red"}, kExitUsage, "unknown option --colour"},
        {{L"app", L"--version=1", L"--version=2"}, kExitUsage, "given twice"},
        {{L"schedule", L"--deployment", L"x", L"--app", L"a"}, kExitUsage, "nothing to change"},
        {{L"app", L"--description", L"nowhere.json", L"--source", L"x", L"--deployment", L"y"},
         kExitFailed,
         "nowhere.json"},
        {{L"show-config", L"missing.zip"}, kExitFailed, "missing.zip"},
    };
    for (const auto& c : cases) {
        CollectingReporter r;
        std::string o;
        EXPECT_EQ(RunCommandLine(c.args, r, o), c.code) << r.All();
        EXPECT_NE(r.All().find(c.error), std::string::npos) << r.All();
    }
}

}  // namespace
