#include <gtest/gtest.h>

#include "encrypted_document.h"
#include "prepare/appstages.h"
#include "runapp.h"
#include "start_fixture.h"
#include "update/iupdate.h"

// A whole launch with the real preparation and start behind a stand-in update engine that only
// reports success: NimboSample.exe is installed by the test as an update would leave it, and the
// launch writes its files, makes its shortcuts and starts it with its arguments and cookies.
namespace {

using namespace NimboNS;
using namespace stage_test;
using namespace start_test;

class ReadyUpdate : public IUpdate {
public:
    explicit ReadyUpdate(FakeConfig& config) : config_(config) {}
    void Release() override { delete this; }
    int Update(const wchar_t* appUrl, ICookieManager*, int, int) override {
        config_.url = appUrl;
        return kUpdateSucceeded;
    }
    int Stop() override { return 0; }
    int ForwardControl2() override { return 0; }
    int ForwardControl1() override { return 0; }
    void SetParameter(int) override {}
    IUpdateConfig* GetConfig() override { return &config_; }

private:
    FakeConfig& config_;
};

class Stages : public testing::Test {
protected:
    void SetUp() override {
        config.appPath = folders.app;
        config.startupFile = L"NimboSample.exe";
        config.version = L"1.1.0";
        config.urlParameter = L"user=7";
        ASSERT_TRUE(
            CopyProgram(nimbo_test::BinFolder() + L"\\NimboSample.exe", folders.app + L"\\NimboSample.exe"));
        ASSERT_TRUE(CopyProgram(nimbo_test::BinFolder() + L"\\sweeper.exe", folders.host + L"\\sweeper.exe"));
        CopyProgram(nimbo_test::BinFolder() + L"\\loading_ica.gif", folders.host + L"\\loading_ica.gif");
        ASSERT_TRUE(config_test::WriteConfigDocument(folders.app + L"\\appconfig.json", R"({
            "StartupFile": "NimboSample.exe", "Version": "1.1.0", "UpdateGuid": "g1", "Arguments": "-demo -autoclose=8000",
            "CreateDesktopShortcut": true, "CreateStartMenuShortcut": true, "CreateAppUninstallShortcut": true,
            "AppShortcutName": "Nimbo Sample", "ShowStartAnimatedWindow": true})"));
    }
    int Launch(const std::wstring& request) {
        LaunchParts parts;
        parts.update = new ReadyUpdate(config);
        parts.cookies = CreateCookieManager();
        AddAppStages(parts, 0, TestEnvironment(folders, shown));
        CRunApp run(0, std::move(parts));
        return run.Launch(request.c_str(), kNoConnection, nullptr);
    }
    std::string Report() { return nimbo_test::ReadFileText(folders.app + L"\\NimboSample.report.txt"); }
    void EndSample() {
        // The sample closes itself; wait for it so that the folders can go.
        for (int i = 0; i < 200 && nimbo_test::WaitForWindow(L"NimboSampleWindow", L"", 50); ++i) Sleep(50);
    }

    StageFolders folders;
    FakeConfig config;
    std::shared_ptr<std::vector<ShownMessage>> shown = std::make_shared<std::vector<ShownMessage>>();
};

TEST_F(Stages, ALaunchPreparesAndStartsTheApp) {
    ASSERT_EQ(Launch(L"http://127.0.0.1:8080/NimboSample?user=7 -cookie sid=abc; theme=dark"), 0);
    const std::string report = Report();
    EXPECT_NE(report.find("version=1.1.0\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("arguments=-demo -autoclose=8000 user=7\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("cookies=sid=abc; theme=dark\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("signalled=1\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("error=\r\n"), std::string::npos) << report;

    EXPECT_TRUE(nimbo_test::FileExists(folders.app + L"\\NimboSample.xml"));
    EXPECT_EQ(nimbo_test::ReadFileText(folders.app + L"\\Uninstall.exe"),
              nimbo_test::ReadFileText(folders.host + L"\\sweeper.exe"));
    EXPECT_EQ(IniValue(folders.app, L"dwcenter", L"appdeployversion"), L"1.1.0");
    EXPECT_EQ(IniValue(folders.app, L"shortcut", L"desktopshortcut"), L"1");
    EXPECT_EQ(IniValue(folders.app, L"shortcut", L"startmenushortcut"), L"1");
    EXPECT_EQ(IniValue(folders.app, L"shortcut", L"startmenushortcut_uninstall"), L"1");
    EXPECT_EQ(IniValue(folders.app, L"shortcut", L"desktopshortcutname"),
              folders.desktop + L"\\Nimbo Sample.lnk");
    EXPECT_EQ(IniValue(folders.app, L"shortcut", L"startmenushortcutpath"),
              folders.programs + L"\\Nimbo Sample");
    EXPECT_TRUE(nimbo_test::FileExists(folders.programs + L"\\Nimbo Sample\\Uninstall.lnk"));
    EXPECT_TRUE(config.Logged(L"The app signalled that it is ready."));
    EndSample();
}

TEST_F(Stages, ADebugLaunchPreparesButDoesNotStart) {
    ASSERT_EQ(Launch(L"http://127.0.0.1:8080/NimboSample -debug"), 0);
    EXPECT_FALSE(nimbo_test::FileExists(folders.app + L"\\NimboSample.report.txt"));
    EXPECT_EQ(IniValue(folders.app, L"shortcut", L"desktopshortcut"), L"1");
    EXPECT_TRUE(nimbo_test::FileExists(folders.desktop + L"\\Nimbo Sample.lnk"));
}

TEST_F(Stages, A64BitProgramOnA32BitMachineIsRefusedWithAMessage) {
    // The sample is a 32-bit program: pretend it is not, and the machine is.
    std::string image = nimbo_test::ReadFileText(folders.app + L"\\NimboSample.exe");
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    auto* header = reinterpret_cast<IMAGE_FILE_HEADER*>(image.data() + dos->e_lfanew + 4);
    header->Machine = IMAGE_FILE_MACHINE_AMD64;
    ASSERT_TRUE(nimbo_test::WriteFileText(folders.app + L"\\NimboSample.exe", image));
    LaunchParts parts;
    parts.update = new ReadyUpdate(config);
    parts.cookies = CreateCookieManager();
    LaunchEnvironment environment = TestEnvironment(folders, shown);
    environment.nativeArchitecture = [](WORD& architecture) {
        architecture = PROCESSOR_ARCHITECTURE_INTEL;
        return true;
    };
    AddAppStages(parts, 0, environment);
    CRunApp run(0, std::move(parts));
    EXPECT_EQ(run.Launch(L"http://127.0.0.1:8080/NimboSample", kNoConnection, nullptr), 0);
    ASSERT_EQ(shown->size(), 1u);
    EXPECT_EQ(shown->at(0).text,
              L"Failed to start the program, the current system is 32-bit and cannot load 64-bit programs.");
    EXPECT_EQ(shown->at(0).caption, L"Error");
    EXPECT_EQ(shown->at(0).flags, static_cast<UINT>(MB_ICONERROR | MB_SYSTEMMODAL));
    // Nothing was prepared.
    EXPECT_FALSE(nimbo_test::FileExists(folders.app + L"\\kxapp.ini"));
    EXPECT_FALSE(nimbo_test::FileExists(folders.app + L"\\Uninstall.exe"));
}

TEST_F(Stages, WithoutAnEngineThereAreNoStages) {
    LaunchParts parts;
    AddAppStages(parts, 0);
    EXPECT_EQ(parts.preparation, nullptr);
    EXPECT_EQ(parts.start, nullptr);
}

}  // namespace
