// The runtime manifest, the launcher setup document and the runtime assemblies.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "catalog.h"
#include "config_fixture.h"

using namespace NimboNS;
using config_test::ConfigUnderTest;
using nimbo_test::TempFolder;

namespace {

const char kManifest[] = R"({"version": "22.3.0.1", "modules": [
  {"name": "CoreModule", "files": [
    {"name": "core.dll", "path": "bin", "size": 10, "isneedextract": false, "action": "add", "hashcode": "c1",
     "packagename": ""},
    {"name": "Ostrander.Tessellate.db.dll", "path": "", "packagename": "Core.zip"},
    {"name": "other.dll", "packagename": "Core.zip"},
    {"name": "Core.zip", "isneedextract": true, "size": 99}]},
  {"name": "Core", "files": [{"name": "second.dll"}, {"name": "Ostrander.Tessellate.DbExt.dll",
    "packagename": "Core.zip"}]},
  {"name": "Web", "files": [{"name": "..\\evil.dll"}]}]})";

struct ManifestRun : ConfigUnderTest {
    ManifestRun() {
        EXPECT_EQ(config.LoadDocumentFromMemory(kManifest, int(sizeof(kManifest) - 1), L"manifest.json"), 1);
    }
};

std::vector<std::wstring> Names(const std::vector<RuntimeFileRecord>& records) {
    std::vector<std::wstring> names;
    for (const RuntimeFileRecord& record : records) names.emplace_back(record.Name);
    return names;
}

TEST(Manifest, ModuleFilesAreThoseOfTheFirstMatchingModuleOutsidePackages) {
    ManifestRun t;
    std::vector<RuntimeFileRecord> files;
    EXPECT_EQ(t.config.ReadModuleFiles(L"Core", files), 1);
    EXPECT_EQ(Names(files), (std::vector<std::wstring>{L"core.dll", L"Core.zip"}));
    EXPECT_STREQ(files[0].Path, L"bin");
    EXPECT_STREQ(files[0].Action, L"add");
    EXPECT_STREQ(files[0].HashCode, L"c1");
    EXPECT_EQ(files[0].Size, 10);
    EXPECT_EQ(files[1].Extract, 1);
    EXPECT_TRUE(t.config.runtimeAssemblies.empty());

    files.clear();
    EXPECT_EQ(t.config.ReadModuleFiles(L"Missing", files), 1);
    EXPECT_TRUE(files.empty());
}

TEST(Manifest, PackageFilesNoteTheRuntimeAssemblies) {
    ManifestRun t;
    RuntimeFileRecord package;
    wcscpy(package.Name, L"Core.zip");
    std::vector<RuntimeFileRecord> files;
    EXPECT_EQ(t.config.ReadPackageFiles(files, package), 1);
    EXPECT_EQ(Names(files), (std::vector<std::wstring>{L"Ostrander.Tessellate.db.dll", L"other.dll",
                                                       L"Ostrander.Tessellate.DbExt.dll"}));
    EXPECT_EQ(t.config.runtimeAssemblies,
              (std::vector<std::wstring>{L"Ostrander.Tessellate.Db.dll", L"Ostrander.Tessellate.DbExt.dll"}));
}

TEST(Manifest, ARecordLeavingTheRuntimeFolderIsRefused) {
    ManifestRun t;
    std::vector<RuntimeFileRecord> files;
    EXPECT_EQ(t.config.ReadModuleFiles(L"Web", files), 0);
    EXPECT_TRUE(files.empty());
    EXPECT_TRUE(t.Logged(L"The path (..\\evil.dll) is invalid.\n")) << t.Log();
}

TEST(Manifest, WithoutADocumentNothingIsListed) {
    ConfigUnderTest t;
    std::vector<RuntimeFileRecord> files;
    EXPECT_EQ(t.config.ReadModuleFiles(L"Core", files), 1);
    EXPECT_TRUE(files.empty());
    t.config.runtimeVersion = L"22.3.0.1";
    EXPECT_EQ(t.config.CheckManifestRuntimeVersion(), 0);
}

TEST(Manifest, RuntimeVersionMustMatchExactly) {
    ManifestRun t;
    t.config.runtimeVersion = L"22.3.0.1";
    EXPECT_EQ(t.config.CheckManifestRuntimeVersion(), 1);
    EXPECT_FALSE(t.Logged(L"ERROR"));
    t.config.runtimeVersion = L"22.3.0.01";
    EXPECT_EQ(t.config.CheckManifestRuntimeVersion(), 0);
    EXPECT_TRUE(
        t.Logged(L"The runtime version in the manifest.json file does not match the version configured in "
                 L"AppConfig. \n"))
        << t.Log();
}

TEST(RuntimeAssemblies, AreCopiedIntoTheAppFolderAndMissingOnesReported) {
    ConfigUnderTest t;
    TempFolder home;
    t.config.homePath = home.path();
    t.config.appPath = home / L"srv_sales";
    t.config.runtimeVersion = L"22.3.0.1";
    t.config.is64Bit = 1;
    const std::wstring runtime = home / L"Runtime\\22.3.0.1\\x64";
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, runtime.c_str(), nullptr), ERROR_SUCCESS);
    ASSERT_TRUE(CreateDirectoryW(t.config.appPath.c_str(), nullptr));
    ASSERT_TRUE(nimbo_test::WriteFileText(runtime + L"\\Ostrander.Tessellate.Db.dll", "db"));
    ASSERT_TRUE(nimbo_test::WriteFileText(runtime + L"\\Ostrander.Tessellate.Db2.dll", "db2"));
    t.config.runtimeAssemblies = {L"Ostrander.Tessellate.DbExt.dll", L"Ostrander.Tessellate.Db.dll"};

    EXPECT_EQ(t.config.CopyRuntimeAssemblies(), 1);
    EXPECT_EQ(nimbo_test::ReadFileText(t.config.appPath + L"\\Ostrander.Tessellate.Db.dll"), "db")
        << "the others are still copied";
    EXPECT_TRUE(t.Logged(L"The path (" + runtime + L"\\Ostrander.Tessellate.DbExt.dll) is invalid.\n"))
        << t.Log();
    EXPECT_TRUE(t.config.runtimeAssemblies.empty());
    EXPECT_EQ(t.config.CopyRuntimeAssemblies(), 0) << "nothing left to copy";
}

struct LocationCase {
    const char* name;
    std::wstring runtimeUrl, launcherUrl;
    int is64Bit;
    std::wstring folder, manifest, setup;
};

TEST(Locations, FollowApprunOrTheBuiltInFolders) {
    const std::wstring base = L"http://srv:80/apps";
    const LocationCase cases[] = {
        {"BuiltIn32", L"", L"", 0, base + L"/NimboPublisher/runtime/22.3.0.1",
         base + L"/NimboPublisher/runtime/22.3.0.1/manifest.json",
         base + L"/NimboPublisher/NimboInstall 22.0/LauncherSetup.json"},
        {"BuiltIn64", L"", L"", 1, base + L"/NimboPublisher/runtime/22.3.0.1/x64",
         base + L"/NimboPublisher/runtime/22.3.0.1/x64/manifest.json",
         base + L"/NimboPublisher/NimboInstall 22.0/LauncherSetup.json"},
        {"Published32", L"http://cdn/rt", L"http://cdn/launcher", 0, L"http://cdn/rt",
         L"http://cdn/rt/manifest.json", L"http://cdn/launcher/LauncherSetup.json"},
        {"Published64", L"http://cdn/rt", L"", 1, L"http://cdn/rt/x64", L"http://cdn/rt/x64/manifest.json",
         base + L"/NimboPublisher/NimboInstall 22.0/LauncherSetup.json"},
    };
    for (const LocationCase& c : cases) {
        ConfigUnderTest t;
        t.config.baseUrl = base;
        t.config.runtimeVersion = L"22.3.0.1";
        t.config.runtimeUrl = c.runtimeUrl;
        t.config.launcherUrl = c.launcherUrl;
        t.config.is64Bit = c.is64Bit;
        EXPECT_EQ(t.config.GetRuntimeServerFolder(), c.folder) << c.name;
        EXPECT_EQ(t.config.GetRuntimeManifestUrl(), c.manifest) << c.name;
        EXPECT_EQ(t.config.GetLauncherSetupUrl(), c.setup) << c.name;
    }
}

TEST(LauncherSetup, NamesThePackageAndItsLocalPlace) {
    ConfigUnderTest t;
    t.config.homePath = L"C:\\Nimbo\\Applications";
    EXPECT_EQ(t.config.GetLauncherPackageName(), L"");
    const std::string json =
        R"({"package": "NimboLauncher_Installer.exe", "nimboshell": {"version": "22.1"}})";
    ASSERT_EQ(t.config.LoadDocumentFromMemory(json.data(), int(json.size()), L"LauncherSetup.json"), 1);
    EXPECT_EQ(t.config.GetLauncherPackageName(), L"NimboLauncher_Installer.exe");
    EXPECT_EQ(t.config.GetLauncherPackagePath(), L"C:\\Nimbo\\Download\\NimboLauncher_Installer.exe");
}

}  // namespace
