// The launcher's self-update from start to end: an older launcher is installed, a newer one is
// published with this build's installer as its package, and a launch of an app downloads the
// installer and hands over to it; the installer updates the launcher behind its panel and starts
// the launcher again with the app URL, which installs and starts the app.
#include <gtest/gtest.h>

#include "installer_run.h"
#include "nimbo/names.h"
#include "scwconv.h"
#include "testserver.h"

namespace {

using namespace installer_test;
namespace names = NimboNS::names;

constexpr wchar_t kOlderVersion[] = L"22.0.0.1";

bool Publish(const std::wstring& arguments) {
    auto result = nimbo_test::RunProgram(
        nimbo_test::Quote(nimbo_test::BinFolder() + L"\\nimbo-publish.exe") + L" " + arguments, 120000);
    if (result.exitCode != 0) std::printf("nimbo-publish %s\n", result.output.c_str());
    return result.finished && result.exitCode == 0;
}

// A runtime of one module, the app "Sales" (the sample program, which closes itself) and the
// launcher of this build.
bool PublishDeployment(const nimbo_test::TempFolder& work, const std::wstring& deployment) {
    const std::wstring runtime = work / L"runtime", app = work / L"app";
    CreateDirectoryW(runtime.c_str(), nullptr);
    CreateDirectoryW((runtime + L"\\core").c_str(), nullptr);
    CreateDirectoryW(app.c_str(), nullptr);
    nimbo_test::WriteFileText(runtime + L"\\core\\core.txt", "runtime 1.0.0");
    nimbo_test::WriteFileText(
        work / L"runtime.json",
        R"({"Version": "1.0.0", "Bitness": 32, "Modules": [{"Name": "Core", "Files": ["core"]}]})");
    nimbo_test::WriteFileText(work / L"app.json", R"({"AppName": "Sales", "Version": "1.0.0",
        "StartupFile": "NimboSample.exe", "RuntimeVersion": "1.0.0", "RuntimeModules": ["Core"],
        "Arguments": "-autoclose=2000", "OnlineTime": "2000-01-01 00:00:00"})");
    if (!CopyFileW((nimbo_test::BinFolder() + L"\\NimboSample.exe").c_str(),
                   (app + L"\\NimboSample.exe").c_str(), FALSE))
        return false;
    const std::wstring to = L" --deployment " + nimbo_test::Quote(deployment);
    return Publish(L"runtime --description " + nimbo_test::Quote(work / L"runtime.json") + L" --source " +
                   nimbo_test::Quote(runtime) + to) &&
           Publish(L"launcher --version " + BuiltVersion() + L" --installer " +
                   nimbo_test::Quote(InstallerPath()) + to) &&
           Publish(L"app --description " + nimbo_test::Quote(work / L"app.json") + L" --source " +
                   nimbo_test::Quote(app) + to);
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

// LauncherSetup.json must not offer more than the installer installs: a launcher would otherwise
// fetch and run the installer again at every start.
TEST(InstallerSelfUpdate, ThePublisherOffersTheVersionTheInstallerInstalls) {
    nimbo_test::TempFolder deployment;
    const std::wstring setup = deployment / L"NimboPublisher\\NimboInstall 22.0\\LauncherSetup.json";
    const std::wstring installer = L" --installer " + nimbo_test::Quote(InstallerPath());
    const std::wstring to = L" --deployment " + nimbo_test::Quote(deployment.path());
    ASSERT_TRUE(Publish(L"launcher" + installer + to));
    EXPECT_NE(
        nimbo_test::ReadFileText(setup).find("\"version\": \"" + NimboNS::WideToUtf8(BuiltVersion()) + "\""),
        std::string::npos)
        << nimbo_test::ReadFileText(setup);
    const std::string published = nimbo_test::ReadFileText(setup);
    EXPECT_FALSE(Publish(L"launcher --version 99.0" + installer + to));
    EXPECT_EQ(nimbo_test::ReadFileText(setup), published);
}

// The text the launcher hands over comes from a server's address: an app whose path looks like
// the installer's switches changes nothing, and without the parameter file no launcher starts.
TEST(InstallerSelfUpdate, AHandOverTextIsNeverTakenForSwitches) {
    ForgetInstallations();
    nimbo_test::TempFolder home, place, other;
    const std::wstring folder = place / L"Launcher";
    ASSERT_EQ(InstallQuietly(L"/HOME=" + nimbo_test::Quote(home.path()) + L" /D=" + folder), 0u);
    ASSERT_TRUE(WriteLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue, kOlderVersion));
    DeleteFileW(TempFile(names::kInstallerParamFile).c_str());

    HANDLE installer = nimbo_test::StartProgram(nimbo_test::Quote(InstallerPath()) +
                                                L" http://127.0.0.1:9/apps/ALLUSERS/HOME=" + other.path());
    ASSERT_NE(installer, nullptr);
    DWORD code = static_cast<DWORD>(-2);
    if (WaitForSingleObject(installer, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(installer, &code);
    CloseHandle(installer);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue), BuiltVersion());
    EXPECT_EQ(ReadLauncherValue(HKEY_CURRENT_USER, names::kRegistryHomeValue), home.path());
    EXPECT_FALSE(LauncherKeyExists(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(UninstallEntryExists(HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(UninstallQuietly(HKEY_CURRENT_USER));
    ForgetInstallations();
}

TEST(InstallerSelfUpdate, AnOlderLauncherIsReplacedAndStartsTheAppItWasAskedFor) {
    ForgetInstallations();
    ForgetPanelLog();
    ASSERT_TRUE(nimbo_test::FileExists(InstallerPath())) << "the build made no installer";
    nimbo_test::TempFolder home, place, work, deployment;
    const std::wstring folder = place / L"Launcher";
    ASSERT_EQ(InstallQuietly(L"/HOME=" + nimbo_test::Quote(home.path()) + L" /D=" + folder), 0u);
    ASSERT_TRUE(WriteLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue, kOlderVersion));
    ASSERT_TRUE(PublishDeployment(work, deployment.path()));
    nimbo_test::TestServer server("nginxserve.py", deployment.path());
    ASSERT_TRUE(server.Ready());
    const std::wstring appUrl = server.Url(L"/Sales");

    // The older launcher downloads the installer, hands over and ends.
    EXPECT_EQ(RunWithoutBuildPath(nimbo_test::Quote(folder + L"\\launcher.exe") + L" -u " + appUrl, 120000),
              0u);
    EXPECT_EQ(nimbo_test::ReadFileText(home / L"Download\\NimboLauncher_Installer.exe"),
              nimbo_test::ReadFileText(InstallerPath()));

    // The installer updates behind its panel, which asks nothing of an update (it may be gone
    // again before it is seen; its log tells that it ran).
    if (nimbo_test::WaitForWindow(L"#32770", L"Nimbo Launcher Setup", 20000) != nullptr)
        nimbo_test::TakeScreenshot(L"installer_panel_update");
    EXPECT_TRUE(WaitUntil(
        [] { return ReadLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue) == BuiltVersion(); },
        120000));
    EXPECT_TRUE(
        WaitUntil([] { return PanelLog().find(L"SetupStatus=Continue") != std::wstring::npos; }, 60000));
    const std::wstring panelLog = PanelLog();
    EXPECT_NE(panelLog.find(L"name=NimboLauncherSetup_"), std::wstring::npos)
        << NimboNS::WideToUtf8(panelLog);
    EXPECT_EQ(panelLog.find(L"SetupStatus=Exit"), std::wstring::npos) << NimboNS::WideToUtf8(panelLog);

    // The new launcher runs the app's launch: the app is installed and started.
    const std::wstring report = home / L"Applications\\127.0.0.1_Sales\\NimboSample.report.txt";
    EXPECT_TRUE(WaitUntil([&] { return nimbo_test::FileExists(report); }, 120000)) << server.Log();
    EXPECT_NE(nimbo_test::ReadFileText(report).find("version=1.0.0"), std::string::npos)
        << nimbo_test::ReadFileText(report);
    EXPECT_FALSE(nimbo_test::FileExists(TempFile(names::kInstallerParamFile)));
    EXPECT_EQ(ReadUninstallValue(HKEY_CURRENT_USER, L"InstallLocation"), folder);
    // One installer download: the new launcher did not ask for another.
    const std::string log = server.Log();
    size_t downloads = 0;
    for (size_t at = log.find("NimboLauncher_Installer.exe"); at != std::string::npos;
         at = log.find("NimboLauncher_Installer.exe", at + 1))
        ++downloads;
    EXPECT_EQ(downloads, 1u) << log;

    // Let the launcher and the app end before the folder goes.
    WaitUntil([&] { return nimbo_test::ReadFileText(report).find("closed=1") != std::string::npos; }, 30000);
    EXPECT_TRUE(UninstallQuietly(HKEY_CURRENT_USER));
    ForgetInstallations();
}

}  // namespace
