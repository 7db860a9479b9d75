// The installer as an administrator runs it: quiet (/S), per user or for all users, then removed
// with the uninstall entry's quiet command. Each case starts from a prefix without a launcher.
#include <gtest/gtest.h>

#include "installer_run.h"
#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "scwconv.h"

namespace {

using namespace installer_test;
namespace names = NimboNS::names;

class QuietInstall : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(nimbo_test::FileExists(InstallerPath())) << "the build made no installer";
        ForgetInstallations();
        ForgetPanelLog();
    }
    void TearDown() override { ForgetInstallations(); }

    // A plain command through the installed launcher: its own ravelin.dll and libraries run it.
    static bool InstalledLauncherRuns(const std::wstring& folder, const nimbo_test::TempFolder& scratch) {
        const std::wstring marker = scratch / L"ran.txt";
        DWORD code = RunWithoutBuildPath(nimbo_test::Quote(folder + L"\\launcher.exe") +
                                         L" -u cmd.exe /c echo ran> " + nimbo_test::Quote(marker));
        return code == 0 && WaitUntil([&] { return nimbo_test::FileExists(marker); }, 15000);
    }
};

TEST_F(QuietInstall, InstallsTheFolderAndRegistryOfItsScopeAndRemovesThemAgain) {
    for (const Scope* scope : {&PerUser(), &AllUsers()}) {
        SCOPED_TRACE(scope->name);
        nimbo_test::TempFolder home;
        ASSERT_EQ(InstallQuietly(std::wstring(scope->option) + L" /PORT=26612 /HOME=" +
                                 nimbo_test::Quote(home.path())),
                  0u);

        const std::wstring folder = ReadUninstallValue(scope->root, L"InstallLocation");
        ASSERT_FALSE(folder.empty());
        for (const std::wstring& file : InstalledFiles())
            EXPECT_TRUE(nimbo_test::FileExists(folder + L"\\" + file)) << NimboNS::WideToUtf8(file);
        EXPECT_EQ(ReadLauncherValue(scope->root, names::kRegistryVersionValue), BuiltVersion());
        EXPECT_EQ(
            GetPrivateProfileIntW(L"Server", L"NimboLauncher_Port", 0, (folder + L"\\Config.ini").c_str()),
            26612u);
        EXPECT_EQ(ReadLauncherValue(scope->root, names::kRegistryHomeValue), home.path());
        EXPECT_EQ(ReadUninstallValue(scope->root, L"DisplayVersion"), BuiltVersion());
        EXPECT_NE(ReadUninstallValue(scope->root, L"QuietUninstallString").find(L" /S"), std::wstring::npos);
        // Nothing lands in the other scope.
        HKEY other = scope->root == HKEY_CURRENT_USER ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        EXPECT_FALSE(LauncherKeyExists(other));
        EXPECT_FALSE(UninstallEntryExists(other));

        nimbo_test::TempFolder scratch;
        EXPECT_TRUE(InstalledLauncherRuns(folder, scratch));

        // Quiet means no window: installpanel never ran.
        EXPECT_EQ(PanelLog(), L"");

        nimbo_test::WriteFileText(home / L"kept.txt", "the user's apps");
        ASSERT_TRUE(UninstallQuietly(scope->root));
        EXPECT_FALSE(LauncherKeyExists(scope->root));
        EXPECT_FALSE(nimbo_test::FolderExists(folder));
        EXPECT_TRUE(nimbo_test::FileExists(home / L"kept.txt"));
    }
}

TEST_F(QuietInstall, DefaultFoldersPerUserAndForAllUsers) {
    struct Case {
        const Scope* scope;
        const wchar_t* folderEnd;
        const wchar_t* homeValue;  // "" : compared with the user's local application data
    };
    const Case cases[] = {
        {&PerUser(), L"\\AppData\\Local\\Quillmark\\NimboLauncher", L""},
        {&AllUsers(), L"\\Quillmark\\NimboLauncher", L"%LOCALAPPDATA%\\Quillmark\\NimboApps"},
    };
    wchar_t local[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scope->name);
        ASSERT_EQ(InstallQuietly(c.scope->option), 0u);
        const std::wstring folder = ReadUninstallValue(c.scope->root, L"InstallLocation");
        ASSERT_GT(folder.size(), wcslen(c.folderEnd));
        EXPECT_EQ(folder.substr(folder.size() - wcslen(c.folderEnd)), c.folderEnd);
        const std::wstring expectedHome =
            *c.homeValue ? std::wstring(c.homeValue) : std::wstring(local) + L"\\Quillmark\\NimboApps";
        EXPECT_EQ(ReadLauncherValue(c.scope->root, names::kRegistryHomeValue), expectedHome);
        EXPECT_TRUE(UninstallQuietly(c.scope->root));
    }
}

TEST_F(QuietInstall, AnUpdateKeepsTheFoldersAndTheSettings) {
    nimbo_test::TempFolder home, place;
    const std::wstring folder = place / L"Launcher";
    ASSERT_EQ(InstallQuietly(L"/HOME=" + nimbo_test::Quote(home.path()) + L" /D=" + folder), 0u);
    const std::string settings = "[Server]\r\nNimboLauncher_Port=26999\r\n";
    nimbo_test::WriteFileText(folder + L"\\Config.ini", settings);
    WriteLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue, L"22.0.0.1");
    DeleteFileW((folder + L"\\sweeper.exe").c_str());

    // No folders given: the installation of this scope is updated where it is.
    ASSERT_EQ(InstallQuietly(L""), 0u);
    EXPECT_EQ(ReadUninstallValue(HKEY_CURRENT_USER, L"InstallLocation"), folder);
    EXPECT_EQ(ReadLauncherValue(HKEY_CURRENT_USER, names::kRegistryHomeValue), home.path());
    EXPECT_EQ(ReadLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue), BuiltVersion());
    EXPECT_EQ(nimbo_test::ReadFileText(folder + L"\\Config.ini"), settings);
    EXPECT_TRUE(nimbo_test::FileExists(folder + L"\\sweeper.exe"));
    EXPECT_TRUE(UninstallQuietly(HKEY_CURRENT_USER));
}

TEST_F(QuietInstall, FoldersThatCannotHoldTheLauncherAreRefused) {
    nimbo_test::TempFolder place;
    const std::wstring perUser = place / L"Launcher";
    ASSERT_EQ(InstallQuietly(L"/D=" + perUser), 0u);
    nimbo_test::WriteFileText(place / L"file", "not a folder");
    struct Case {
        const char* name;
        std::wstring arguments;
    };
    const Case cases[] = {
        // One folder cannot hold the launchers of both scopes.
        {"the per-user launcher's folder", L"/ALLUSERS /D=" + perUser},
        {"a folder below a file", L"/ALLUSERS /D=" + (place / L"file\\Launcher")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(InstallQuietly(c.arguments), 2u);
        EXPECT_FALSE(LauncherKeyExists(HKEY_LOCAL_MACHINE));
        EXPECT_FALSE(UninstallEntryExists(HKEY_LOCAL_MACHINE));
    }
    // The per-user launcher is untouched and still removable.
    EXPECT_EQ(ReadUninstallValue(HKEY_CURRENT_USER, L"InstallLocation"), perUser);
    EXPECT_EQ(ReadLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue), BuiltVersion());
    EXPECT_TRUE(UninstallQuietly(HKEY_CURRENT_USER));
}

TEST_F(QuietInstall, ARunningLauncherIsNeitherUpdatedNorHalfRemoved) {
    nimbo_test::TempFolder place;
    const std::wstring folder = place / L"Launcher";
    ASSERT_EQ(InstallQuietly(L"/D=" + folder), 0u);
    WriteLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue, L"22.0.0.1");
    {
        // A library held open without sharing stands for a launcher that is still running.
        NimboNS::FileHandle held(CreateFileW((folder + L"\\ravelin.dll").c_str(), GENERIC_READ, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(InstallQuietly(L""), 2u);
        EXPECT_EQ(ReadLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue), L"22.0.0.1");
        // "_?=" keeps the uninstaller in its folder, so that its exit code can be seen.
        const std::wstring uninstaller = nimbo_test::Quote(folder + L"\\NimboLauncher_Uninstall.exe");
        EXPECT_EQ(RunWithoutBuildPath(uninstaller + L" /S _?=" + folder), 2u);
        EXPECT_TRUE(LauncherKeyExists(HKEY_CURRENT_USER));
        EXPECT_TRUE(UninstallEntryExists(HKEY_CURRENT_USER));
        for (const std::wstring& file : InstalledFiles())
            EXPECT_TRUE(nimbo_test::FileExists(folder + L"\\" + file)) << NimboNS::WideToUtf8(file);
    }
    EXPECT_TRUE(UninstallQuietly(HKEY_CURRENT_USER));
}

}  // namespace
