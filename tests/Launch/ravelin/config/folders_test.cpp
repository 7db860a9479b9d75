#include <gtest/gtest.h>

#include <shlobj.h>

#include "catalog.h"
#include "config_fixture.h"
#include "nimbo/handle.h"
#include "registry_scope.h"

using namespace NimboNS;
using config_test::ConfigUnderTest;
using config_test::RegistryScope;
using nimbo_test::FolderExists;
using nimbo_test::TempFolder;

namespace {

struct FoldersUnderTest : ConfigUnderTest {
    FoldersUnderTest() {
        config.host = L"srv";
        config.appName = L"sales";
    }
};

TEST(PrepareFolders, HomeFromTheUsersRegistryGetsAnApplicationsFolder) {
    RegistryScope registry;
    ASSERT_TRUE(registry.Active());
    TempFolder home;
    ASSERT_TRUE(RegistryScope::SetHome(HKEY_CURRENT_USER, home.path()));

    FoldersUnderTest t;
    ASSERT_EQ(t.config.PrepareFolders(), 0);
    EXPECT_EQ(t.config.homePath, home / L"Applications");
    EXPECT_TRUE(FolderExists(home / L"Applications"));
    EXPECT_EQ(t.config.GetAppPath(), home / L"Applications\\srv_sales");
    EXPECT_FALSE(FolderExists(t.config.appPath)) << "the app folder is made by the app updater";
    EXPECT_TRUE(t.Logged(L"The app root path: " + home / L"Applications" + L".\n")) << t.Log();
    EXPECT_TRUE(t.Logged(L"The app runtime path: " + home / L"Applications\\srv_sales.\n")) << t.Log();
}

TEST(PrepareFolders, MachineWideInstallationExpandsItsValue) {
    RegistryScope registry;
    ASSERT_TRUE(registry.Active());
    TempFolder home;
    SetEnvironmentVariableW(L"NIMBO_CONFIG_TEST_HOME", home.path().c_str());
    ASSERT_TRUE(RegistryScope::SetHome(HKEY_LOCAL_MACHINE, L"%NIMBO_CONFIG_TEST_HOME%\\machine"));
    ASSERT_TRUE(RegistryScope::SetHome(HKEY_CURRENT_USER, L"%NIMBO_CONFIG_TEST_HOME%\\user"));

    FoldersUnderTest machine;
    machine.config.adminInstalled = 1;
    EXPECT_EQ(machine.config.PrepareFolders(), 0);
    EXPECT_EQ(machine.config.homePath, home / L"machine\\Applications");

    // The user's value is taken literally: a folder of that very name below the current folder
    // cannot be made from a relative text, so the run stops.
    FoldersUnderTest user;
    EXPECT_EQ(user.config.PrepareFolders(), 10);
    EXPECT_EQ(user.config.homePath, L"%NIMBO_CONFIG_TEST_HOME%\\user\\Applications");
    EXPECT_TRUE(
        user.Logged(L"Failed to create the directory (%NIMBO_CONFIG_TEST_HOME%\\user\\Applications)\n"))
        << user.Log();
    SetEnvironmentVariableW(L"NIMBO_CONFIG_TEST_HOME", nullptr);
}

TEST(PrepareFolders, WithoutAStringValueTheFallbackIsUsedAsItIs) {
    RegistryScope registry;
    ASSERT_TRUE(registry.Active());
    wchar_t localAppData[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, localAppData)));
    const std::wstring fallback = std::wstring(localAppData) + L"\\NimboLauncher";

    FoldersUnderTest missing;
    EXPECT_EQ(missing.config.PrepareFolders(), 0);
    EXPECT_EQ(missing.config.homePath, fallback) << "no \"Applications\" below the fallback";
    EXPECT_EQ(missing.config.appPath, fallback + L"\\srv_sales");

    ASSERT_TRUE(RegistryScope::SetHome(HKEY_CURRENT_USER, L"C:\\expandable", REG_EXPAND_SZ));
    FoldersUnderTest expandable;
    EXPECT_EQ(expandable.config.PrepareFolders(), 0);
    EXPECT_EQ(expandable.config.homePath, fallback) << "only REG_SZ counts";
}

TEST(PrepareFolders, AHomeThatCannotBeCreatedStopsWithTen) {
    RegistryScope registry;
    TempFolder scratch;
    ASSERT_TRUE(nimbo_test::WriteFileText(scratch / L"blocker", "a file, not a folder"));
    ASSERT_TRUE(RegistryScope::SetHome(HKEY_CURRENT_USER, scratch / L"blocker"));
    FoldersUnderTest t;
    EXPECT_EQ(t.config.PrepareFolders(), 10);
    EXPECT_TRUE(t.Logged(L" ERROR [")) << t.Log();
    EXPECT_TRUE(t.Logged(L"Failed to create the directory (" + scratch / L"blocker\\Applications)\n"))
        << t.Log();
    EXPECT_EQ(t.config.appPath, L"");
}

// A home folder named by a network-style path is tested by writing a probe file into it; a probe
// file that another program holds open makes the folder count as not writable.
TEST(PrepareFolders, AHomeTheUserMayNotWriteStopsWithEight) {
    RegistryScope registry;
    TempFolder home;
    const std::wstring applications = home / L"Applications";
    ASSERT_TRUE(CreateDirectoryW(applications.c_str(), nullptr));
    const std::wstring probe = applications + L"\\TestRemotePathAccess.txt.dll";
    ASSERT_TRUE(nimbo_test::WriteFileText(probe, "held"));
    NimboNS::FileHandle held(CreateFileW(probe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    const std::wstring networkStyle = L"\\\\?\\" + home.path();
    ASSERT_TRUE(RegistryScope::SetHome(HKEY_CURRENT_USER, networkStyle));

    FoldersUnderTest t;
    EXPECT_EQ(t.config.PrepareFolders(), 8);
    EXPECT_TRUE(t.Logged(L"The current user does not have read-write permissions on the path (" +
                         networkStyle + L"\\Applications).\n"))
        << t.Log();
    EXPECT_EQ(t.config.appPath, L"");

    held.reset();
    FoldersUnderTest released;
    EXPECT_EQ(released.config.PrepareFolders(), 0);
}

TEST(PrepareFolders, AnEmptyAppNameLeavesTheFolderEndingAfterTheHost) {
    RegistryScope registry;
    TempFolder home;
    ASSERT_TRUE(RegistryScope::SetHome(HKEY_CURRENT_USER, home.path()));
    FoldersUnderTest t;
    t.config.appName.clear();
    ASSERT_EQ(t.config.PrepareFolders(), 0);
    EXPECT_EQ(t.config.appPath, home / L"Applications\\srv_");
}

}  // namespace
