#include <gtest/gtest.h>

#include "encrypted_document.h"
#include "prepare/apppreparation.h"
#include "stage_fixture.h"

// The files the preparation writes into the app folder, read back byte by byte, with app
// configuration documents encrypted as the publisher writes them.
namespace {

using namespace NimboNS;
using namespace stage_test;

class Settings : public testing::Test {
protected:
    void SetUp() override {
        config.appPath = folders.app;
        environment = TestEnvironment(folders, shown);
        // No preload commands run here: a library that does not exist.
        environment.commandLibrary = L"no-such-elevlink.dll";
    }
    std::unique_ptr<CAppPreparation> Preparation() {
        return std::make_unique<CAppPreparation>(&config, std::make_shared<LaunchSettings>(),
                                                 std::make_shared<LaunchLog>(), environment);
    }
    void WriteDocument(const std::string& json) {
        ASSERT_TRUE(config_test::WriteConfigDocument(folders.app + L"\\appconfig.json", json));
    }
    std::wstring Ini() const { return folders.app + L"\\kxapp.ini"; }
    std::wstring Ini(const wchar_t* section, const wchar_t* key) const {
        return IniValue(folders.app, section, key);
    }

    StageFolders folders;
    FakeConfig config;
    std::shared_ptr<std::vector<ShownMessage>> shown = std::make_shared<std::vector<ShownMessage>>();
    LaunchEnvironment environment;
};

TEST_F(Settings, TheRuntimePathFileIsUtf8WithoutByteOrderMark) {
    config.runtimePath = L"C:\\Nimbo\\Runtime\\1.0.0\\x64";
    EXPECT_EQ(Preparation()->WriteRuntimePathFile(), 1);
    EXPECT_EQ(nimbo_test::ReadFileText(folders.app + L"\\MyApp.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n<Application>\r\n\t<RuntimePath>"
              "C:\\Nimbo\\Runtime\\1.0.0\\x64</RuntimePath>\r\n</Application>");
    config.startupFile = L"Tool";
    config.runtimePath = L"C:\\R\\\u00e9t\u00e9";
    EXPECT_EQ(Preparation()->WriteRuntimePathFile(), 1);
    EXPECT_EQ(
        nimbo_test::ReadFileText(folders.app + L"\\Tool.xml").find("<RuntimePath>C:\\R\\\xc3\xa9t\xc3\xa9<"),
        57u);
}

TEST_F(Settings, TheRuntimePathFileFailsWithoutAFolderOrAStartFile) {
    config.appPath = folders.app + L"\\missing";
    EXPECT_EQ(Preparation()->WriteRuntimePathFile(), 0);
    config.appPath = folders.app;
    config.startupFile.clear();
    EXPECT_EQ(Preparation()->WriteRuntimePathFile(), 0);
    EXPECT_FALSE(nimbo_test::FileExists(folders.app + L"\\.xml"));
}

TEST_F(Settings, TheDocumentGivesTheLaunchValues) {
    WriteDocument(R"({"StartupFile": "MyApp.exe", "Version": "2.1", "UpdateGuid": "g-1", "Is32Bit": true,
        "CreateDesktopShortcut": true, "CreateStartMenuShortcut": true, "CreateAppUninstallShortcut": true,
        "ShowStartAnimatedWindow": true, "RunCommandAsAdmin": true, "AlwaysRunCommand": true,
        "AppShortcutName": "My App", "AppShortcutImage": "app.ico", "PreloadEventCommands": "echo 1\r\necho 2",
        "StartMode": 2, "Arguments": "a b", "corvane": {"webapiurl": "http://api", "modelname": "m1"}})");
    config.urlParameter = L"p=1";
    auto preparation = Preparation();
    ASSERT_EQ(preparation->ReadAppConfiguration(), 1);
    const LaunchSettings& s = preparation->settings();
    EXPECT_EQ(s.startupFile, L"MyApp.exe");
    EXPECT_EQ(s.version, L"2.1");
    EXPECT_EQ(s.updateGuid, L"g-1");
    EXPECT_EQ(s.is32Bit + s.createDesktopShortcut + s.createStartMenuShortcut + s.createUninstallShortcut +
                  s.showStartAnimatedWindow + s.runCommandAsAdmin + s.alwaysRunCommand,
              7);
    EXPECT_EQ(s.appShortcutName, L"My App");
    EXPECT_EQ(s.appShortcutImage, L"app.ico");
    EXPECT_EQ(s.preloadEventCommands, L"echo 1\r\necho 2");
    EXPECT_EQ(s.startMode, 2);
    EXPECT_EQ(s.arguments, L"a b p=1");
    EXPECT_EQ(s.webApiUrl, L"http://api");
    EXPECT_EQ(s.modelName, L"m1");
}

TEST_F(Settings, MissingKeysGiveTheDefaultsAndTheDeploymentsWebApiWins) {
    WriteDocument(
        R"({"StartupFile": "MyApp.exe", "Is32Bit": "yes", "StartMode": "Never", "corvane": {"modelname": 3}})");
    config.urlParameter = L"p=1";
    config.webApiUrl = L"http://deployment-api";
    auto preparation = Preparation();
    ASSERT_EQ(preparation->ReadAppConfiguration(), 1);
    const LaunchSettings& s = preparation->settings();
    EXPECT_EQ(s.is32Bit, 0);
    EXPECT_EQ(s.startMode, 0);
    EXPECT_EQ(s.createDesktopShortcut + s.alwaysRunCommand + s.showStartAnimatedWindow, 0);
    EXPECT_EQ(s.arguments, L"p=1");
    EXPECT_EQ(s.webApiUrl, L"http://deployment-api");
    EXPECT_EQ(s.modelName, L"");
}

TEST_F(Settings, AMissingOrUnreadableDocumentFailsThePreparation) {
    EXPECT_EQ(Preparation()->ReadAppConfiguration(), 0);
    EXPECT_EQ(Preparation()->PrepareSettings(), 0);
    // Plain JSON where the encrypted document belongs.
    ASSERT_TRUE(
        nimbo_test::WriteFileText(folders.app + L"\\appconfig.json", R"({"StartupFile": "MyApp.exe"})"));
    EXPECT_EQ(Preparation()->ReadAppConfiguration(), 0);
    // Encrypted, but not an object.
    WriteDocument("[1, 2]");
    EXPECT_EQ(Preparation()->ReadAppConfiguration(), 0);
    EXPECT_TRUE(config.Logged(L"Failed to load the local config file"));
    EXPECT_FALSE(nimbo_test::FileExists(Ini()));
}

TEST_F(Settings, TheSettingsFileIsUtf16WithByteOrderMarkAndHoldsTheLaunchKeys) {
    WriteDocument(R"({"StartupFile": "MyApp.exe", "ShowStartAnimatedWindow": true,
                      "corvane": {"webapiurl": "http://api", "modelname": "Mod\u00e8le"}})");
    config.version = L"1.2.3";
    config.appUrl = L"http://127.0.0.1:8080/\u30b5\u30f3\u30d7\u30eb";
    ASSERT_EQ(Preparation()->PrepareSettings(), 1);
    const std::string bytes = nimbo_test::ReadFileText(Ini());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    const std::wstring text = ReadUtf16File(Ini());
    EXPECT_NE(text.find(L"[dwcenter]"), std::wstring::npos);
    EXPECT_NE(text.find(L"modelname=Mod\u00e8le"), std::wstring::npos) << "not written as UTF-16";
    EXPECT_EQ(Ini(L"dwcenter", L"appname"), L"MyApp");
    EXPECT_EQ(Ini(L"dwcenter", L"url"), config.appUrl + L"/1.2.3");
    EXPECT_EQ(Ini(L"dwcenter", L"shellPath"), folders.host + L"\\launcher.exe");
    EXPECT_EQ(Ini(L"dwcenter", L"startParam"), config.appUrl);
    EXPECT_EQ(Ini(L"dwcenter", L"appdeployversion"), L"1.2.3");
    EXPECT_EQ(Ini(L"dwcenter", L"showStartPage"), L"1");
    EXPECT_EQ(Ini(L"dwcenter", L"webapiurl"), L"http://api");
    EXPECT_EQ(Ini(L"dwcenter", L"preloadEvent_Executed"), L"<none>");  // no UpdateGuid, nothing ran
}

TEST_F(Settings, AnExistingSettingsFileKeepsItsOtherKeys) {
    WriteDocument(R"({"StartupFile": "MyApp.exe"})");
    ASSERT_TRUE(nimbo_test::WriteFileText(
        Ini(), std::string("\xFF\xFE", 2) + std::string("[\0d\0w\0c\0e\0n\0t\0e\0r\0]\0\r\0\n\0"
                                                        "R\0=\0001\0\r\0\n\0",
                                                        34)));
    ASSERT_EQ(Preparation()->PrepareSettings(), 1);
    EXPECT_EQ(Ini(L"dwcenter", L"R"), L"1");
    EXPECT_EQ(Ini(L"dwcenter", L"showStartPage"), L"0");
    EXPECT_EQ(Ini(L"dwcenter", L"webapiurl"), L"<none>");
}

TEST_F(Settings, TheStartParameterLosesItsUrlsOption) {
    WriteDocument(R"({"StartupFile": "MyApp.exe"})");
    config.appUrl = L"http://h:80/sample";
    config.url = L"http://h/sample -urls x y";
    ASSERT_EQ(Preparation()->PrepareSettings(), 1);
    EXPECT_EQ(Ini(L"dwcenter", L"startParam"), L"http://h:80/sample");
    config.saveDynamicCommandLineArgs = 1;
    ASSERT_EQ(Preparation()->PrepareSettings(), 1);
    EXPECT_EQ(Ini(L"dwcenter", L"startParam"), L"http://h/sample y");
}

TEST_F(Settings, TheShortcutStatesComeFromTheSettingsFile) {
    WriteDocument(R"({"StartupFile": "MyApp.exe"})");
    const std::pair<const wchar_t*, const wchar_t*> recorded[] = {
        {L"desktopshortcut", L"1"},
        {L"startmenushortcut", L"2"},
        {L"startmenushortcut_uninstall", L"1"},
        {L"desktopshortcutname", L"C:\\d\\My App.lnk"},
        {L"startmenushortcutpath", L"C:\\p\\My App"},
    };
    for (const auto& [key, value] : recorded)
        WritePrivateProfileStringW(L"shortcut", key, value, Ini().c_str());
    auto preparation = Preparation();
    ASSERT_EQ(preparation->PrepareSettings(), 1);
    const LaunchSettings& s = preparation->settings();
    EXPECT_EQ(s.desktopShortcutExists, 1);
    EXPECT_EQ(s.startMenuShortcutExists, 0);  // only 1 counts
    EXPECT_EQ(s.uninstallShortcutExists, 1);
    EXPECT_EQ(s.desktopShortcutName, L"C:\\d\\My App.lnk");
    EXPECT_EQ(s.startMenuShortcutPath, L"C:\\p\\My App");
}

TEST_F(Settings, TheOfflineMarkerExistsExactlyWithTheNeverStrategy) {
    const std::wstring marker = folders.app + L"\\MyApp.offline.download.finished";
    const struct {
        const char* document;
        bool marked;
    } steps[] = {
        {R"({"StartupFile": "MyApp.exe", "StartMode": 1})", true},
        {R"({"StartupFile": "MyApp.exe", "StartMode": 1})", true},
        {R"({"StartupFile": "MyApp.exe", "StartMode": 2})", false},
        {R"({"StartupFile": "MyApp.exe", "StartMode": 1})", true},
        {R"({"StartupFile": "MyApp.exe"})", false},
    };
    for (const auto& step : steps) {
        WriteDocument(step.document);
        ASSERT_EQ(Preparation()->PrepareSettings(), 1);
        EXPECT_EQ(nimbo_test::FileExists(marker), step.marked) << step.document;
        if (step.marked) EXPECT_EQ(nimbo_test::ReadFileText(marker), "");
    }
}

TEST_F(Settings, PreparationSucceedsOnlyWithTheRuntimePathFileAndTheDocument) {
    WriteDocument(R"({"StartupFile": "MyApp.exe"})");
    EXPECT_EQ(Preparation()->PrepareSettings(), 1);
    config.startupFile.clear();  // no runtime path file
    EXPECT_EQ(Preparation()->PrepareSettings(), 0);
    // The settings file is still written from the document.
    EXPECT_EQ(Ini(L"dwcenter", L"appname"), L"MyApp");
}

TEST_F(Settings, ThePreparationHandsTheStartWhatItNeeds) {
    WriteDocument(R"({"StartupFile": "MyApp.exe", "Arguments": "-x"})");
    config.urlParameter = L"q=2";
    auto preparation = Preparation();
    ASSERT_EQ(preparation->PrepareSettings(), 1);
    EXPECT_EQ(preparation->settings().appFolder, folders.app);
    EXPECT_EQ(preparation->settings().startFile, L"MyApp.exe");
    EXPECT_EQ(preparation->settings().arguments, L"-x q=2");
}

}  // namespace
