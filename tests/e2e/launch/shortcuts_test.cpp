#include <algorithm>

#include "launch_fixture.h"
#include "scwconv.h"

// The launch makes the desktop shortcut, the Start-menu folder with the app's link and the
// uninstall link once, pointing to the app's own program; a new AppShortcutName renames them;
// a desktop shortcut the user deleted is not made again.
namespace {

using namespace launch_e2e;
using NimboNS::WideToUtf8;

std::string Description(const std::string& shortcutName) {
    return R"(, "Arguments": "-autoclose=300", "CreateDesktopShortcut": true, "CreateStartMenuShortcut": true,
        "CreateAppUninstallShortcut": true, "AppShortcutImage": "sample.ico", "AppShortcutName": ")" +
           shortcutName + "\"";
}

class LaunchShortcuts : public LaunchTest {
protected:
    void LaunchApp() {
        DeleteFileW((app() + L"\\NimboSample.report.txt").c_str());
        Result run = Launch(AppUrl(L"LaunchLinks"));
        EXPECT_EQ(run.exitCode, 0u) << run.output << LauncherLog();
        EXPECT_EQ(ReportOnceReady(app())["signalled"], "1");
        WaitForProgramsToEnd(app());
    }
    std::wstring app() const { return AppFolder(L"LaunchLinks"); }
    std::wstring program() const { return app() + L"\\NimboSample.exe"; }

    // The links of one name: on the desktop, and in a Start-menu folder of that name with the
    // uninstall link; the states and paths recorded in kxapp.ini.
    void ExpectLinksNamed(const std::wstring& name) {
        const std::wstring desktopLink = user_->desktop() + L"\\" + name + L".lnk";
        const std::wstring folder = user_->programs() + L"\\" + name;
        EXPECT_EQ(FilesIn(user_->desktop()), std::vector<std::wstring>{name + L".lnk"});
        EXPECT_EQ(FilesIn(user_->programs()), std::vector<std::wstring>{name});
        EXPECT_EQ(FilesIn(folder), (std::vector<std::wstring>{name + L".lnk", L"Uninstall.lnk"}));
        const struct {
            std::wstring link, target, icon;
        } links[] = {
            {desktopLink, program(), app() + L"\\sample.ico"},
            {folder + L"\\" + name + L".lnk", program(), app() + L"\\sample.ico"},
            {folder + L"\\Uninstall.lnk", app() + L"\\Uninstall.exe", L""},
        };
        for (const auto& expected : links) {
            Link link;
            ASSERT_TRUE(ReadLink(expected.link, link)) << WideToUtf8(expected.link);
            EXPECT_EQ(_wcsicmp(link.target.c_str(), expected.target.c_str()), 0)
                << WideToUtf8(expected.link) << " points to " << WideToUtf8(link.target);
            EXPECT_EQ(_wcsicmp(link.icon.c_str(), expected.icon.c_str()), 0)
                << WideToUtf8(expected.link) << " has the icon " << WideToUtf8(link.icon);
        }
        EXPECT_TRUE(nimbo_test::FileExists(app() + L"\\Uninstall.exe"));
        IniSections ini;
        ASSERT_TRUE(ReadUtf16Ini(app() + L"\\kxapp.ini", ini));
        auto& recorded = ini[L"shortcut"];
        EXPECT_EQ(recorded[L"desktopshortcut"], L"1");
        EXPECT_EQ(recorded[L"startmenushortcut"], L"1");
        EXPECT_EQ(recorded[L"startmenushortcut_uninstall"], L"1");
        EXPECT_EQ(recorded[L"desktopshortcutname"], desktopLink);
        EXPECT_EQ(recorded[L"startmenushortcutpath"], folder);
    }
};

TEST_F(LaunchShortcuts, AreMadeOnceAndRenamedWithTheShortcutName) {
    PublishBaseAndServe();
    ASSERT_TRUE(PublishSample("LaunchLinks", "1.0.0", Description("Nimbo Links")));
    LaunchApp();
    ExpectLinksNamed(L"Nimbo Links");

    LaunchApp();
    ExpectLinksNamed(L"Nimbo Links");

    // The same version published anew under another shortcut name.
    ASSERT_TRUE(PublishSample("LaunchLinks", "1.0.0", Description("Nimbo Renamed")));
    LaunchApp();
    ExpectLinksNamed(L"Nimbo Renamed");

    // The user deletes the desktop shortcut: it stays deleted.
    ASSERT_TRUE(DeleteFileW((user_->desktop() + L"\\Nimbo Renamed.lnk").c_str()));
    LaunchApp();
    EXPECT_EQ(FilesIn(user_->desktop()), std::vector<std::wstring>{});
    IniSections ini;
    ASSERT_TRUE(ReadUtf16Ini(app() + L"\\kxapp.ini", ini));
    EXPECT_EQ(ini[L"shortcut"][L"desktopshortcut"], L"1");
}

// A program in a folder of the app: its links are named after its file.
TEST_F(LaunchShortcuts, OfAProgramInAFolderOfTheAppAreNamedAfterItsFile) {
    PublishBaseAndServe();
    ASSERT_TRUE(deployment.PublishApp(
        "LaunchNested", "1.0.0",
        {{L"bin\\NimboSample.exe", SampleFiles("1.0.0")[0].bytes}, {L"bin\\version.txt", "1.0.0\r\n"}},
        R"(, "Arguments": "-autoclose=300", "CreateDesktopShortcut": true, "CreateStartMenuShortcut": true)",
        "bin/NimboSample.exe"));
    const std::wstring nested = AppFolder(L"LaunchNested") + L"\\bin";
    Result run = Launch(AppUrl(L"LaunchNested"));
    EXPECT_EQ(run.exitCode, 0u) << run.output << LauncherLog();
    EXPECT_EQ(ReportOnceReady(nested)["signalled"], "1");
    WaitForProgramsToEnd(nested);

    EXPECT_EQ(FilesIn(user_->desktop()), std::vector<std::wstring>{L"NimboSample.exe.lnk"}) << LauncherLog();
    EXPECT_EQ(FilesIn(user_->programs() + L"\\NimboSample.exe"),
              std::vector<std::wstring>{L"NimboSample.lnk"});
    // What the uninstaller will remove.
    IniSections ini;
    ASSERT_TRUE(ReadUtf16Ini(AppFolder(L"LaunchNested") + L"\\kxapp.ini", ini));
    EXPECT_EQ(ini[L"shortcut"][L"desktopshortcutname"], user_->desktop() + L"\\NimboSample.exe.lnk");
    EXPECT_EQ(ini[L"shortcut"][L"startmenushortcutpath"], user_->programs() + L"\\NimboSample.exe");
    for (const std::wstring& path : {user_->desktop() + L"\\NimboSample.exe.lnk",
                                     user_->programs() + L"\\NimboSample.exe\\NimboSample.lnk"}) {
        Link link;
        ASSERT_TRUE(ReadLink(path, link)) << WideToUtf8(path);
        std::replace(link.target.begin(), link.target.end(), L'/', L'\\');
        EXPECT_EQ(_wcsicmp(link.target.c_str(), (nested + L"\\NimboSample.exe").c_str()), 0)
            << WideToUtf8(path) << " points to " << WideToUtf8(link.target);
    }
}

}  // namespace
