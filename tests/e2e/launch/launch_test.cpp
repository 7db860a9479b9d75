#include <algorithm>

#include "launch_fixture.h"
#include "nimbo/names.h"
#include "process_window.h"
#include "scwconv.h"

// launcher.exe -u <app URL> installs NimboSample from nginx and starts it with its arguments and
// cookies; a second launch starts it without fetching files; "-debug" installs without starting.
namespace {

using namespace launch_e2e;
using NimboNS::WideToUtf8;

constexpr char kSample[] = "LaunchSample";

bool IsDeploymentDocument(const std::string& path) {
    for (const char* document : {"/apprun.json", "/deploylist.ini.zip", "/appconfig.json.zip",
                                 "/LauncherSetup.json", "/manifest.json"}) {
        const std::string name = document;
        if (path.size() >= name.size() && path.compare(path.size() - name.size(), name.size(), name) == 0)
            return true;
    }
    return false;
}

class AppLaunch : public LaunchTest {};

TEST_F(AppLaunch, InstallsAndStartsTheAppThenStartsItAgainWithoutFetchingFiles) {
    PublishBaseAndServe();
    ASSERT_TRUE(PublishSample(kSample, "1.0.0", R"(, "Arguments": "-demo -autoclose=1500",
        "ShowStartAnimatedWindow": true, "corvane": {"webapiurl": "http://127.0.0.1:9/api", "modelname": "Model 7"})"));
    const std::wstring url = AppUrl(L"LaunchSample");
    const std::wstring app = AppFolder(L"LaunchSample");

    auto process = StartLaunch(url + L"?user=7 -cookie sid=abc; theme=dark");
    const DWORD launcherId = process->id();
    Result first = process->Wait(90000);
    ASSERT_TRUE(first.finished) << first.output;
    EXPECT_EQ(first.exitCode, 0u) << first.output << LauncherLog();

    auto report = ReportOnceReady(app);
    EXPECT_EQ(report["version"], "1.0.0");
    EXPECT_EQ(report["arguments"], "-demo -autoclose=1500 user=7");
    EXPECT_EQ(report["cookies"], "sid=abc; theme=dark");
    EXPECT_EQ(report["error"], "");
    EXPECT_EQ(report["readyEvent"],
              WideToUtf8(NimboNS::names::kReadyEventPrefix) + std::to_string(launcherId));
    EXPECT_EQ(report["signalled"], "1");
    EXPECT_NE(LauncherLog().find("The app signalled that it is ready."), std::string::npos) << LauncherLog();

    IniSections ini;
    ASSERT_TRUE(ReadUtf16Ini(app + L"\\kxapp.ini", ini))
        << "kxapp.ini is not UTF-16LE with a byte-order mark";
    auto& launch = ini[L"dwcenter"];
    EXPECT_EQ(launch[L"appname"], L"NimboSample");
    EXPECT_EQ(launch[L"url"], url + L"/1.0.0");
    EXPECT_EQ(launch[L"shellPath"], LauncherPath());
    EXPECT_EQ(launch[L"startParam"], url);
    EXPECT_EQ(launch[L"appdeployversion"], L"1.0.0");
    EXPECT_EQ(launch[L"showStartPage"], L"1");
    EXPECT_EQ(launch[L"webapiurl"], L"http://127.0.0.1:9/api");
    EXPECT_EQ(launch[L"modelname"], L"Model 7");
    const std::string guid = InstalledUpdateGuid(app);
    EXPECT_FALSE(guid.empty());
    EXPECT_EQ(WideToUtf8(launch[L"preloadEvent_Executed"]), guid);
    auto& shortcut = ini[L"shortcut"];
    EXPECT_EQ(shortcut[L"appname"], L"NimboSample");
    EXPECT_EQ(shortcut[L"desktopshortcut"], L"0");
    EXPECT_EQ(shortcut[L"startmenushortcut"], L"0");
    EXPECT_EQ(shortcut[L"startmenushortcut_uninstall"], L"0");
    EXPECT_EQ(shortcut.count(L"desktopshortcutname"), 0u);

    // The runtime path file beside the program, and the uninstaller.
    const std::wstring home = app.substr(0, app.rfind(L'\\'));
    EXPECT_EQ(nimbo_test::ReadFileText(app + L"\\NimboSample.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n<Application>\r\n\t<RuntimePath>" +
                  WideToUtf8(home) + "\\Runtime\\22.3.0.1</RuntimePath>\r\n</Application>");
    EXPECT_EQ(nimbo_test::ReadFileText(app + L"\\Uninstall.exe"),
              nimbo_test::ReadFileText(nimbo_test::BinFolder() + L"\\sweeper.exe"));
    EXPECT_FALSE(nimbo_test::FileExists(app + L"\\NimboSample.offline.download.finished"));
    ASSERT_TRUE(WaitForProgramsToEnd(app));

    // The first launch fetched the app's files; nothing changed on the server since, so the
    // second launch reads the documents and starts the app.
    const size_t mark = LogSize();
    const auto installing = RequestsSince(0);
    EXPECT_NE(std::find_if(installing.begin(), installing.end(),
                           [](const std::string& line) {
                               return RequestPath(line) == "/LaunchSample/1.0.0/NimboSample.exe.zip";
                           }),
              installing.end());
    DeleteFileW((app + L"\\NimboSample.report.txt").c_str());
    Result second = Launch(url + L" -cookie sid=second");
    EXPECT_EQ(second.exitCode, 0u) << second.output << LauncherLog();
    report = ReportOnceReady(app);
    EXPECT_EQ(report["version"], "1.0.0");
    EXPECT_EQ(report["arguments"], "-demo -autoclose=1500");
    EXPECT_EQ(report["cookies"], "sid=second");
    EXPECT_EQ(report["signalled"], "1");
    const auto requests = RequestsSince(mark);
    EXPECT_FALSE(requests.empty());
    for (const std::string& line : requests) {
        // The server check asks with HEAD; everything fetched is a document.
        if (line.rfind("HEAD ", 0) == 0) continue;
        EXPECT_TRUE(IsDeploymentDocument(RequestPath(line))) << line;
    }
}

TEST_F(AppLaunch, ADebugLaunchInstallsTheAppButDoesNotStartIt) {
    PublishBaseAndServe();
    ASSERT_TRUE(PublishSample("LaunchDebug", "1.0.0",
                              R"(, "Arguments": "-autoclose=500", "CreateDesktopShortcut": true)"));
    // A launcher newer than any installed one: only a launch without "-debug" would fetch it.
    ASSERT_TRUE(deployment.PublishLauncher("99.0", "99.0", "installer 99.0"));
    const std::wstring app = AppFolder(L"LaunchDebug");

    Result run = Launch(AppUrl(L"LaunchDebug") + L" -debug");
    EXPECT_EQ(run.exitCode, 0u) << run.output << LauncherLog();
    EXPECT_EQ(nimbo_test::ReadFileText(app + L"\\NimboSample.exe"), SampleFiles("1.0.0")[0].bytes);
    IniSections ini;
    ASSERT_TRUE(ReadUtf16Ini(app + L"\\kxapp.ini", ini));
    EXPECT_EQ(ini[L"dwcenter"][L"appdeployversion"], L"1.0.0");
    // The shortcut states are recorded although the app did not start.
    EXPECT_EQ(ini[L"shortcut"][L"desktopshortcut"], L"1");
    EXPECT_EQ(ini[L"shortcut"][L"desktopshortcutname"], user_->desktop() + L"\\NimboSample.exe.lnk");

    Sleep(1500);  // an app started by mistake would have written its report by now
    EXPECT_FALSE(nimbo_test::FileExists(app + L"\\NimboSample.report.txt"));
    EXPECT_TRUE(WaitForProgramsToEnd(app, 0));
    for (const std::string& line : RequestsSince(0)) {
        EXPECT_EQ(line.find("LauncherSetup.json"), std::string::npos) << line;
        EXPECT_EQ(line.find("NimboLauncher_Installer.exe"), std::string::npos) << line;
    }
}

// App names may hold "-debug" and "-cookie": only the launcher's own options count as options.
TEST_F(AppLaunch, AnAppNamedLikeTheOptionsStartsWithItsCookies) {
    PublishBaseAndServe();
    ASSERT_TRUE(PublishSample("Launch-debug-cookie", "1.0.0", R"(, "Arguments": "-autoclose=300")"));
    const std::wstring app = AppFolder(L"Launch-debug-cookie");
    Result run = Launch(AppUrl(L"Launch-debug-cookie") + L" -cookie sid=7");
    EXPECT_EQ(run.exitCode, 0u) << run.output << LauncherLog();
    auto report = ReportOnceReady(app);
    EXPECT_EQ(report["version"], "1.0.0");
    EXPECT_EQ(report["cookies"], "sid=7");
    EXPECT_EQ(report["signalled"], "1");
}

// The machine's processor decides: a 64-bit program starts on 64-bit Windows, and on 32-bit
// Windows the launch refuses it with a message box, which the user closes.
TEST_F(AppLaunch, A64BitProgramStartsOnlyOnA64BitSystem) {
    const std::wstring program = nimbo_test::TestsFolder() + L"\\stage_app64.exe";
    if (!nimbo_test::FileExists(program)) GTEST_SKIP() << "no 64-bit compiler built stage_app64.exe";
    const std::string image = nimbo_test::ReadFileText(program);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    const auto* header = reinterpret_cast<const IMAGE_FILE_HEADER*>(image.data() + dos->e_lfanew + 4);
    ASSERT_EQ(header->Machine, IMAGE_FILE_MACHINE_AMD64);
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    const bool system64 = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;

    PublishBaseAndServe();
    ASSERT_TRUE(deployment.PublishApp("LaunchWide", "1.0.0", {{L"stage_app64.exe", image}},
                                      R"(, "Arguments": "-stay=200")", "stage_app64.exe"));
    const std::wstring app = AppFolder(L"LaunchWide");
    auto process = StartLaunch(AppUrl(L"LaunchWide"));
    if (!system64) {
        HWND box = e2e::WaitForProcessWindow(process->id(), L"#32770", L"Error", 60000);
        ASSERT_NE(box, nullptr);
        EXPECT_NE(nimbo_test::DialogText(box).find(L"Failed to start the program, the current system is "
                                                   L"32-bit and cannot load 64-bit programs."),
                  std::wstring::npos);
        EXPECT_TRUE(nimbo_test::PressButton(box, IDOK));
    }
    Result run = process->Wait(90000);
    EXPECT_EQ(run.exitCode, 0u) << run.output << LauncherLog();
    const std::wstring seen = ReadUtf16Text(app + L"\\stage_app.txt");
    if (system64) {
        EXPECT_NE(seen.find(L"\nsignalled\n"), std::wstring::npos) << LauncherLog();
    } else {
        EXPECT_TRUE(seen.empty());
        EXPECT_FALSE(nimbo_test::FileExists(app + L"\\kxapp.ini"));
    }
}

}  // namespace
