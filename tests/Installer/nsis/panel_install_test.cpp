// The installer as a person runs it: no switches, installpanel.exe is the only window. The person
// opens the options, types the folders and starts the installation, or closes the window.
#include <gtest/gtest.h>

#include "installer_run.h"
#include "nimbo/names.h"
#include "scwconv.h"

namespace {

using namespace installer_test;
namespace names = NimboNS::names;

constexpr wchar_t kPanelTitle[] = L"Nimbo Launcher Setup";
constexpr int kAdvancedOptions = 1010;
constexpr int kStartInstall = 1011;
constexpr int kLauncherFolderEdit = 2016;
constexpr int kAppsFolderEdit = 2019;

class PanelInstall : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(nimbo_test::FileExists(InstallerPath())) << "the build made no installer";
        ForgetInstallations();
    }
    void TearDown() override {
        if (installer_ != nullptr) {
            TerminateProcess(installer_, 1);
            CloseHandle(installer_);
        }
        ForgetInstallations();
    }

    HWND StartAndWaitForPanel() {
        installer_ = nimbo_test::StartProgram(nimbo_test::Quote(InstallerPath()));
        if (installer_ == nullptr) return nullptr;
        return nimbo_test::WaitForWindow(L"#32770", kPanelTitle, 60000);
    }
    DWORD InstallerExitCode(DWORD timeoutMs = 120000) {
        DWORD code = static_cast<DWORD>(-2);
        if (WaitForSingleObject(installer_, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(installer_, &code);
        return code;
    }

    HANDLE installer_ = nullptr;
};

TEST_F(PanelInstall, APersonChoosesTheFoldersAndStartsTheInstallation) {
    nimbo_test::TempFolder place;
    const std::wstring launcherFolder = place / L"My Launcher";
    const std::wstring appsFolder = place / L"My Apps";
    HWND panel = StartAndWaitForPanel();
    ASSERT_NE(panel, nullptr);
    Sleep(1500);  // the panel checks its default folders once it shows
    ASSERT_TRUE(nimbo_test::PressButton(panel, kAdvancedOptions));
    SetDlgItemTextW(panel, kLauncherFolderEdit, launcherFolder.c_str());
    SetDlgItemTextW(panel, kAppsFolderEdit, appsFolder.c_str());
    Sleep(500);
    nimbo_test::TakeScreenshot(L"installer_panel_options");
    ASSERT_TRUE(nimbo_test::PressButton(panel, kStartInstall));

    EXPECT_EQ(InstallerExitCode(), 0u);
    EXPECT_EQ(ReadUninstallValue(HKEY_CURRENT_USER, L"InstallLocation"), launcherFolder);
    for (const std::wstring& file : InstalledFiles())
        EXPECT_TRUE(nimbo_test::FileExists(launcherFolder + L"\\" + file)) << NimboNS::WideToUtf8(file);
    EXPECT_EQ(ReadLauncherValue(HKEY_CURRENT_USER, names::kRegistryHomeValue), appsFolder);
    EXPECT_EQ(ReadLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue), BuiltVersion());
    EXPECT_TRUE(UninstallQuietly(HKEY_CURRENT_USER));
}

TEST_F(PanelInstall, ClosingTheWindowInstallsNothing) {
    HWND panel = StartAndWaitForPanel();
    ASSERT_NE(panel, nullptr);
    Sleep(1500);
    PostMessageW(panel, WM_CLOSE, 0, 0);  // the close box
    EXPECT_EQ(InstallerExitCode(), 1u);
    EXPECT_FALSE(UninstallEntryExists(HKEY_CURRENT_USER));
    EXPECT_FALSE(LauncherKeyExists(HKEY_CURRENT_USER));
}

}  // namespace
