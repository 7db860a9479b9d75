// The launcher's own update inside a run: a newer launcher published beside the app is
// downloaded and the run hands over (2); installed for all users it is only announced in a box
// that the user answers, and the launch goes on.
#include <gtest/gtest.h>

#include <thread>

#include "catalog.h"
#include "engine/update.h"
#include "launchparts.h"
#include "run_fixture.h"
#include "runapp.h"
#include "scwconv.h"

namespace {

using namespace NimboNS;
using run_test::RunFixture;

constexpr char kInstaller[] = "installer 23.0";

struct SelfUpdate : ::testing::Test, RunFixture {
    void SetUp() override {
        ASSERT_TRUE(deployment.PublishRuntime());
        ASSERT_TRUE(deployment.PublishLauncher("23.0", "22.0", kInstaller));
        ASSERT_TRUE(deployment.PublishApp("Sales", "1.0.0", run_test::StandardFiles()));
        ASSERT_TRUE(SetLauncherVersion(HKEY_CURRENT_USER, L"22.0.1"));
        ASSERT_TRUE(Serve());
    }
    std::wstring Installer() const { return DownloadFolder() + L"\\NimboLauncher_Installer.exe"; }
};

TEST_F(SelfUpdate, NewerLauncherIsDownloadedAndTheRunHandsOver) {
    // A leftover resume record does not make the installer continue an old transfer.
    CreateDirectoryW(DownloadFolder().c_str(), nullptr);
    nimbo_test::WriteFileText(Installer() + L".cfg", "stale");
    nimbo_test::WriteFileText(Installer(), "an older installer");
    EXPECT_EQ(RunUpdate(AppUrl()), IUpdate::kLauncherReplaced) << Log();
    EXPECT_FALSE(LastSeen().shown);
    EXPECT_EQ(nimbo_test::ReadFileText(Installer()), kInstaller);
    EXPECT_FALSE(nimbo_test::FileExists(Installer() + L".cfg"));
    EXPECT_EQ(Requests("GET /NimboPublisher/NimboInstall%2022.0/NimboLauncher_Installer.exe 200") +
                  Requests("GET /NimboPublisher/NimboInstall 22.0/NimboLauncher_Installer.exe 200"),
              1)
        << ServerLog();
    EXPECT_EQ(Requests("\"bytes="), 0);
    // Nothing of the app was touched.
    EXPECT_FALSE(nimbo_test::FileExists(AppFolder() + L"\\app.exe"));

    // A second run in this process finds the launcher outdated again and hands over at once.
    EXPECT_EQ(RunUpdate(AppUrl()), IUpdate::kLauncherReplaced) << Log();
    EXPECT_EQ(Requests("NimboLauncher_Installer.exe"), 1) << ServerLog();
}

TEST_F(SelfUpdate, DebugRequestsNeverLookAtTheLauncher) {
    EXPECT_EQ(RunUpdate(AppUrl(), 1), 0) << Log();
    EXPECT_EQ(Requests("LauncherSetup.json"), 0);
    EXPECT_EQ(nimbo_test::ReadFileText(AppFolder() + L"\\app.exe"), "program 1.0.0");
}

TEST_F(SelfUpdate, AdminInstalledLauncherIsAnnouncedAndTheLaunchGoesOn) {
    // Installed for all users: the machine-wide version counts, the per-user one does not.
    ASSERT_TRUE(SetLauncherVersion(HKEY_LOCAL_MACHINE, L"22.0.1"));
    ASSERT_TRUE(SetLauncherVersion(HKEY_CURRENT_USER, L"99.0"));
    std::wstring said;
    bool answered = false;
    std::thread person([&said, &answered] {
        HWND box =
            run_test::WaitForProcessWindow(0, L"#32770", GetLocalizedMessage(msg::kInformation), 30000);
        if (box == nullptr) return;
        said = nimbo_test::DialogText(box);
        Sleep(500);  // let it paint
        nimbo_test::TakeScreenshot(L"launcher_admin_notice");
        answered = nimbo_test::PressButton(box, IDOK);
    });
    EXPECT_EQ(RunUpdate(AppUrl(), 0, 1), 0) << Log();
    person.join();
    EXPECT_TRUE(answered);
    EXPECT_NE(said.find(L"A new version of Nimbo Launcher is available"), std::wstring::npos)
        << WideToUtf8(said);
    EXPECT_EQ(Requests("NimboLauncher_Installer.exe"), 0);
    EXPECT_EQ(nimbo_test::ReadFileText(AppFolder() + L"\\app.exe"), "program 1.0.0");
}

TEST_F(SelfUpdate, InstallerThatCannotBeFetchedOrReplacedFailsTheRun) {
    struct Case {
        const char* name;
        std::function<void(SelfUpdate&)> arrange;
        std::wstring logged;
    };
    HANDLE held = INVALID_HANDLE_VALUE;
    const Case cases[] = {
        {"gone from the server",
         [](SelfUpdate& f) {
             DeleteFileW(
                 (f.deployment.Folder() + L"\\NimboPublisher\\NimboInstall 22.0\\NimboLauncher_Installer.exe")
                     .c_str());
         },
         L"Failed to download the installation package"},
        {"still open",
         [&held](SelfUpdate& f) {
             CreateDirectoryW(f.DownloadFolder().c_str(), nullptr);
             nimbo_test::WriteFileText(f.Installer(), "running installer");
             held = CreateFileW(f.Installer().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
         },
         FormatWide(GetLocalizedMessage(msg::kFileInUse), Installer().c_str())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange(*this);
        EXPECT_EQ(RunUpdate(AppUrl()), IUpdate::kLauncherUpdateFailed) << Log();
        EXPECT_TRUE(LastSeen().paneShown);
        EXPECT_EQ(LastSeen().caption, L"Launcher progress");
        EXPECT_NE(LastSeen().paneText.find(c.logged), std::wstring::npos) << WideToUtf8(LastSeen().paneText);
    }
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
}

TEST_F(SelfUpdate, LaunchHandsOverToTheDownloadedInstallerWithTheAppUrl) {
    std::wstring opened, parameters;
    int ended = -1;
    LaunchParts parts = CreateLaunchParts(0);
    ASSERT_NE(parts.update, nullptr);
    parts.openInstaller = [&](const std::wstring& file, const std::wstring& with) {
        opened = file;
        parameters = with;
        return true;
    };
    parts.endProcess = [&ended](UINT code) { ended = static_cast<int>(code); };
    CRunApp launch(0, std::move(parts));
    EXPECT_EQ(launch.Launch((AppUrl() + L"?ticket=7").c_str(), kNoConnection, nullptr), 0);
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(opened, Installer());
    EXPECT_EQ(parameters, AppUrl());
    EXPECT_EQ(nimbo_test::ReadFileText(opened), kInstaller);
}

}  // namespace
