#include <gtest/gtest.h>

#include "encrypted_document.h"
#include "prepare/apppreparation.h"
#include "stage_fixture.h"

// Preload commands through the real elevlink.dll and elevhost.exe: they run in the app folder,
// once per publication (UpdateGuid) unless the app asks for every start.
namespace {

using namespace NimboNS;
using namespace stage_test;

class Preload : public testing::Test {
protected:
    void SetUp() override {
        config.appPath = folders.app;
        environment = TestEnvironment(folders, shown);
    }
    // One prepared launch with a document of these values; the commands append a line per run
    // to runs.txt in the app folder (a relative path: they run there).
    void Launch(const std::string& guid, bool always, bool admin = false) {
        const std::string document =
            R"({"StartupFile": "MyApp.exe", "UpdateGuid": ")" + guid + R"(", "AlwaysRunCommand": )" +
            (always ? "true" : "false") + R"(, "RunCommandAsAdmin": )" + (admin ? "true" : "false") +
            R"(, "PreloadEventCommands": "echo first>>runs.txt\r\n\r\necho second>>runs.txt"})";
        ASSERT_TRUE(config_test::WriteConfigDocument(folders.app + L"\\appconfig.json", document));
        CAppPreparation preparation(&config, std::make_shared<LaunchSettings>(),
                                    std::make_shared<LaunchLog>(), environment);
        ASSERT_EQ(preparation.PrepareSettings(), 1);
    }
    // The number of runs so far (each run writes two lines).
    int Runs() const {
        const std::string text = nimbo_test::ReadFileText(folders.app + L"\\runs.txt");
        size_t first = 0, second = 0;
        for (size_t at = 0; (at = text.find("first", at)) != std::string::npos; ++at) ++first;
        for (size_t at = 0; (at = text.find("second", at)) != std::string::npos; ++at) ++second;
        EXPECT_EQ(first, second) << text;
        return static_cast<int>(first);
    }

    StageFolders folders;
    FakeConfig config;
    std::shared_ptr<std::vector<ShownMessage>> shown = std::make_shared<std::vector<ShownMessage>>();
    LaunchEnvironment environment;
};

TEST_F(Preload, CommandsRunOncePerUpdateGuid) {
    Launch("guid-1", false);
    EXPECT_EQ(Runs(), 1);
    EXPECT_EQ(IniValue(folders.app, L"dwcenter", L"preloadEvent_Executed"), L"guid-1");
    Launch("guid-1", false);
    EXPECT_EQ(Runs(), 1);
    Launch("guid-2", false);
    EXPECT_EQ(Runs(), 2);
    EXPECT_EQ(IniValue(folders.app, L"dwcenter", L"preloadEvent_Executed"), L"guid-2");
    EXPECT_TRUE(config.Logged(L"Preload command: echo second>>runs.txt; exit code: 0."));
}

TEST_F(Preload, AlwaysRunCommandRunsThemAtEveryLaunch) {
    Launch("guid-1", true);
    Launch("guid-1", true);
    EXPECT_EQ(Runs(), 2);
}

TEST_F(Preload, CommandsRunElevatedWhenTheAppAsks) {
    Launch("guid-1", false, true);
    EXPECT_EQ(Runs(), 1);
}

TEST_F(Preload, WithoutTheCommandLibraryTheyAreSkippedAndNotRetried) {
    environment.commandLibrary = L"no-such-elevlink.dll";
    Launch("guid-1", false);
    EXPECT_EQ(Runs(), 0);
    EXPECT_TRUE(config.Logged(L"no-such-elevlink.dll cannot be loaded"));
    environment.commandLibrary = L"elevlink.dll";
    Launch("guid-1", false);
    EXPECT_EQ(Runs(), 0);
}

TEST_F(Preload, AFailingCommandDoesNotStopTheOthers) {
    ASSERT_TRUE(config_test::WriteConfigDocument(
        folders.app + L"\\appconfig.json",
        R"({"StartupFile": "MyApp.exe", "UpdateGuid": "g", "PreloadEventCommands": "exit 3\r\necho after>>runs.txt"})"));
    CAppPreparation preparation(&config, std::make_shared<LaunchSettings>(), std::make_shared<LaunchLog>(),
                                environment);
    ASSERT_EQ(preparation.PrepareSettings(), 1);
    EXPECT_NE(nimbo_test::ReadFileText(folders.app + L"\\runs.txt").find("after"), std::string::npos);
    EXPECT_TRUE(config.Logged(L"Preload command: exit 3; exit code: 3."));
}

}  // namespace
