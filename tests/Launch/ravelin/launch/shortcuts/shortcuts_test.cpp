#include <gtest/gtest.h>

#include "../prepare/stage_fixture.h"
#include "fs/fsutil.h"
#include "prepare/launchlog.h"
#include "shortcuts/shelllink.h"
#include "shortcuts/shortcuts.h"

// Shortcuts made through the shell's link objects in a desktop and a Programs folder of the test
// (never the user's), read back as .lnk files.
namespace {

using namespace NimboNS;
using namespace stage_test;
using nimbo_test::FileExists;
using nimbo_test::FolderExists;

// An app folder with a program, the way an update leaves it.
struct App {
    App(const StageFolders& folders, const std::wstring& name, const std::wstring& start = L"MyApp.exe")
        : folder(folders.root / name) {
        CreateDirectoryW(folder.c_str(), nullptr);
        settings.appFolder = folder;
        settings.startFile = start;
        settings.startupFile = start;
        nimbo_test::WriteFileText(program(), "MZ");
    }
    std::wstring program() const { return folder + L"\\" + settings.startupFile; }
    std::wstring folder;
    LaunchSettings settings;
};

class Shortcuts : public testing::Test {
protected:
    std::wstring Desktop(const std::wstring& name) const { return folders.desktop + L"\\" + name; }
    std::wstring Programs(const std::wstring& name) const { return folders.programs + L"\\" + name; }
    void MakeDesktop(App& app) { MakeDesktopShortcut(app.settings, folders.desktop, log); }
    void MakeStartMenu(App& app) { MakeStartMenuEntries(app.settings, folders.programs, log); }

    StageFolders folders;
    LaunchLog log;
};

TEST_F(Shortcuts, ALinkReadsBackWithItsTargetAndIcon) {
    App app(folders, L"a");
    ASSERT_TRUE(CreateShellLink(app.program(), folders.desktop, L"Sample"));
    EXPECT_EQ(GetLinkTarget(Desktop(L"Sample.lnk")), app.program());
    EXPECT_EQ(GetLinkIcon(Desktop(L"Sample.lnk")), L"");
    EXPECT_TRUE(SetLinkIcon(Desktop(L"Sample.lnk"), app.folder + L"\\app.ico"));
    EXPECT_EQ(GetLinkIcon(Desktop(L"Sample.lnk")), app.folder + L"\\app.ico");
    EXPECT_EQ(GetLinkTarget(Desktop(L"Sample.lnk")), app.program());
    EXPECT_FALSE(CreateShellLink(app.program(), L"", L"Sample"));
    EXPECT_FALSE(SetLinkIcon(Desktop(L"Sample.lnk"), L""));
    EXPECT_EQ(GetLinkTarget(Desktop(L"Missing.lnk")), L"");
}

TEST_F(Shortcuts, WithoutAShortcutNameTheStartFileNamesThem) {
    App app(folders, L"a");
    app.settings.createDesktopShortcut = app.settings.createStartMenuShortcut = 1;
    app.settings.createUninstallShortcut = 1;
    MakeDesktop(app);
    MakeStartMenu(app);
    EXPECT_EQ(GetLinkTarget(Desktop(L"MyApp.exe.lnk")), app.program());
    EXPECT_EQ(GetLinkTarget(Programs(L"MyApp.exe\\MyApp.lnk")), app.program());
    EXPECT_EQ(GetLinkTarget(Programs(L"MyApp.exe\\Uninstall.lnk")), L"");  // Uninstall.exe is not there yet
    EXPECT_TRUE(FileExists(Programs(L"MyApp.exe\\Uninstall.lnk")));
    const LaunchSettings& s = app.settings;
    EXPECT_EQ(s.desktopShortcutExists + s.startMenuShortcutExists + s.uninstallShortcutExists, 3);
    EXPECT_EQ(s.desktopShortcutName, Desktop(L"MyApp.exe.lnk"));
    EXPECT_EQ(s.startMenuShortcutPath, Programs(L"MyApp.exe"));
}

TEST_F(Shortcuts, AStartFileInAFolderOfTheAppNamesThemByItsFileName) {
    App app(folders, L"a", L"MyApp.exe");
    CreateDirectoryW((app.folder + L"\\bin").c_str(), nullptr);
    app.settings.startupFile = app.settings.startFile = L"bin\\MyApp.exe";
    nimbo_test::WriteFileText(app.program(), "MZ");
    app.settings.createDesktopShortcut = app.settings.createStartMenuShortcut = 1;
    MakeDesktop(app);
    MakeStartMenu(app);
    EXPECT_EQ(GetLinkTarget(Desktop(L"MyApp.exe.lnk")), app.program());
    EXPECT_EQ(GetLinkTarget(Programs(L"MyApp.exe\\MyApp.lnk")), app.program());
    EXPECT_EQ(app.settings.desktopShortcutName, Desktop(L"MyApp.exe.lnk"));
    EXPECT_EQ(app.settings.startMenuShortcutPath, Programs(L"MyApp.exe"));
}

TEST_F(Shortcuts, TheUninstallLinkPointsToTheCopiedUninstaller) {
    App app(folders, L"a");
    nimbo_test::WriteFileText(folders.host + L"\\sweeper.exe", "sweeper");
    nimbo_test::WriteFileText(app.folder + L"\\Uninstall.exe", "old");
    CopyUninstallProgram(folders.host + L"\\launcher.exe", app.folder, log);
    EXPECT_EQ(nimbo_test::ReadFileText(app.folder + L"\\Uninstall.exe"), "sweeper");
    app.settings.createUninstallShortcut = 1;
    MakeStartMenu(app);
    EXPECT_EQ(GetLinkTarget(Programs(L"MyApp.exe\\Uninstall.lnk")), app.folder + L"\\Uninstall.exe");
    EXPECT_FALSE(FileExists(Programs(L"MyApp.exe\\MyApp.lnk")));
    EXPECT_EQ(app.settings.startMenuShortcutExists, 1);  // the folder exists for the uninstall link
}

TEST_F(Shortcuts, AMissingUninstallerIsLoggedAndNothingIsCopied) {
    App app(folders, L"a");
    CopyUninstallProgram(folders.host + L"\\launcher.exe", app.folder, log);
    EXPECT_FALSE(FileExists(app.folder + L"\\Uninstall.exe"));
}

TEST_F(Shortcuts, ASecondAppWithTheSameNameGetsTheNextNumber) {
    App first(folders, L"a"), second(folders, L"b"), third(folders, L"c");
    for (App* app : {&first, &second, &third}) {
        app->settings.appShortcutName = L"Sample";
        app->settings.createDesktopShortcut = app->settings.createStartMenuShortcut = 1;
        MakeDesktop(*app);
        MakeStartMenu(*app);
    }
    EXPECT_EQ(GetLinkTarget(Desktop(L"Sample.lnk")), first.program());
    EXPECT_EQ(GetLinkTarget(Desktop(L"Sample (2).lnk")), second.program());
    EXPECT_EQ(GetLinkTarget(Desktop(L"Sample (3).lnk")), third.program());
    EXPECT_EQ(GetLinkTarget(Programs(L"Sample\\Sample.lnk")), first.program());
    EXPECT_EQ(GetLinkTarget(Programs(L"Sample (2)\\Sample.lnk")), second.program());
    EXPECT_EQ(third.settings.startMenuShortcutPath, Programs(L"Sample (3)"));
}

TEST_F(Shortcuts, WhenAllNamesAreTakenNoDesktopLinkIsMade) {
    nimbo_test::WriteFileText(Desktop(L"Sample.lnk"), "");
    for (int n = 2; n <= kShortcutNameCandidates; ++n)
        nimbo_test::WriteFileText(Desktop(L"Sample (" + std::to_wstring(n) + L").lnk"), "");
    EXPECT_EQ(FreeShortcutPath(folders.desktop, L"Sample", L".lnk"), L"");
    App app(folders, L"a");
    app.settings.appShortcutName = L"Sample";
    app.settings.createDesktopShortcut = 1;
    MakeDesktop(app);
    EXPECT_EQ(app.settings.desktopShortcutExists, 0);
    EXPECT_EQ(app.settings.desktopShortcutName, L"");
}

TEST_F(Shortcuts, AChangedShortcutNameRenamesTheDesktopLink) {
    App app(folders, L"a");
    app.settings.createDesktopShortcut = 1;
    app.settings.appShortcutName = L"Old Name";
    MakeDesktop(app);
    ASSERT_TRUE(FileExists(Desktop(L"Old Name.lnk")));
    app.settings.appShortcutName = L"New Name";
    MakeDesktop(app);
    EXPECT_FALSE(FileExists(Desktop(L"Old Name.lnk")));
    EXPECT_EQ(GetLinkTarget(Desktop(L"New Name.lnk")), app.program());
    EXPECT_EQ(app.settings.desktopShortcutName, Desktop(L"New Name.lnk"));
    // The refresh gives it the program's own icon when the app names no image.
    EXPECT_EQ(GetLinkIcon(Desktop(L"New Name.lnk")), app.program());
}

TEST_F(Shortcuts, ARenameNeverReplacesAnotherLink) {
    App app(folders, L"a");
    app.settings.createDesktopShortcut = 1;
    app.settings.appShortcutName = L"Mine";
    MakeDesktop(app);
    nimbo_test::WriteFileText(Desktop(L"Theirs.lnk"), "someone else's");
    app.settings.appShortcutName = L"Theirs";
    MakeDesktop(app);
    EXPECT_EQ(nimbo_test::ReadFileText(Desktop(L"Theirs.lnk")), "someone else's");
    EXPECT_EQ(app.settings.desktopShortcutName, Desktop(L"Mine.lnk"));
    EXPECT_TRUE(FileExists(Desktop(L"Mine.lnk")));
}

TEST_F(Shortcuts, ADesktopLinkTheUserDeletedOrChangedIsLeftAlone) {
    App app(folders, L"a"), other(folders, L"b");
    app.settings.createDesktopShortcut = 1;
    MakeDesktop(app);
    const std::wstring link = app.settings.desktopShortcutName;
    ASSERT_TRUE(DeleteFileW(link.c_str()));
    app.settings.appShortcutName = L"Renamed";
    MakeDesktop(app);
    EXPECT_FALSE(FileExists(link));
    EXPECT_FALSE(FileExists(Desktop(L"Renamed.lnk")));
    EXPECT_EQ(app.settings.desktopShortcutExists, 1);
    // A link at the recorded place that points elsewhere is not renamed either.
    ASSERT_TRUE(CreateShellLink(other.program(), folders.desktop, L"MyApp.exe"));
    MakeDesktop(app);
    EXPECT_EQ(GetLinkTarget(link), other.program());
    EXPECT_FALSE(FileExists(Desktop(L"Renamed.lnk")));
}

TEST_F(Shortcuts, OnlyAnIcoImageOfTheAppFolderBecomesTheIcon) {
    const struct {
        const wchar_t* image;
        bool present;
        bool used;
    } cases[] = {
        {L"app.ico", true, true},
        {L"APP.ICO", true, true},
        {L"app.png", true, false},
        {L"missing.ico", false, false},
    };
    int n = 0;
    for (const auto& c : cases) {
        App app(folders, L"app" + std::to_wstring(++n));
        if (c.present) nimbo_test::WriteFileText(app.folder + L"\\" + c.image, "icon");
        app.settings.appShortcutName = L"Icon " + std::to_wstring(n);
        app.settings.appShortcutImage = c.image;
        app.settings.createDesktopShortcut = app.settings.createStartMenuShortcut = 1;
        MakeDesktop(app);
        MakeStartMenu(app);
        const std::wstring expected = c.used ? app.folder + L"\\" + c.image : L"";
        EXPECT_EQ(GetLinkIcon(app.settings.desktopShortcutName), expected) << c.image;
        EXPECT_EQ(GetLinkIcon(app.settings.startMenuShortcutPath + L"\\Icon " + std::to_wstring(n) + L".lnk"),
                  expected)
            << c.image;
    }
}

TEST_F(Shortcuts, AFolderNamedAfterItsLinkIsMadeAgainAtEveryLaunch) {
    App named(folders, L"a"), plain(folders, L"b", L"Plain.exe");
    named.settings.appShortcutName = L"Named";
    for (App* app : {&named, &plain}) {
        app->settings.createStartMenuShortcut = app->settings.createUninstallShortcut = 1;
        MakeStartMenu(*app);
        nimbo_test::WriteFileText(app->settings.startMenuShortcutPath + L"\\marker.txt", "x");
        MakeStartMenu(*app);
    }
    EXPECT_FALSE(FileExists(Programs(L"Named\\marker.txt")));
    EXPECT_EQ(GetLinkTarget(Programs(L"Named\\Named.lnk")), named.program());
    EXPECT_TRUE(FileExists(Programs(L"Named\\Uninstall.lnk")));
    EXPECT_TRUE(FileExists(Programs(L"Plain.exe\\marker.txt")));
    EXPECT_EQ(GetLinkTarget(Programs(L"Plain.exe\\Plain.lnk")), plain.program());
}

TEST_F(Shortcuts, ALinkThatCannotBeSavedRemovesTheFolderAndClearsTheStates) {
    App app(folders, L"a");
    app.settings.createStartMenuShortcut = app.settings.createUninstallShortcut = 1;
    // A folder where the uninstall link belongs: it can be neither deleted as a file nor saved over.
    ASSERT_TRUE(CreateDirectoryW(Programs(L"MyApp.exe").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Programs(L"MyApp.exe\\Uninstall.lnk").c_str(), nullptr));
    app.settings.startMenuShortcutPath = Programs(L"MyApp.exe");
    MakeStartMenu(app);
    EXPECT_FALSE(FolderExists(Programs(L"MyApp.exe")));
    EXPECT_EQ(app.settings.startMenuShortcutExists, 0);
    EXPECT_EQ(app.settings.uninstallShortcutExists, 0);
    EXPECT_EQ(app.settings.createUninstallShortcut, 0);
    // The next launch makes them anew.
    app.settings.createUninstallShortcut = 1;
    MakeStartMenu(app);
    EXPECT_EQ(GetLinkTarget(Programs(L"MyApp.exe\\MyApp.lnk")), app.program());
    EXPECT_TRUE(FileExists(Programs(L"MyApp.exe\\Uninstall.lnk")));
}

TEST_F(Shortcuts, ARecordedFolderOutsideTheProgramsFolderIsNeverTaken) {
    App app(folders, L"a");
    const std::wstring elsewhere = folders.root / L"documents";
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    nimbo_test::WriteFileText(elsewhere + L"\\keep.txt", "mine");
    ASSERT_TRUE(CreateShellLink(app.program(), elsewhere, L"documents"));
    app.settings.startMenuShortcutPath = elsewhere;
    app.settings.startMenuShortcutExists = 1;
    app.settings.createStartMenuShortcut = 1;
    MakeStartMenu(app);
    EXPECT_TRUE(FileExists(elsewhere + L"\\keep.txt"));
    EXPECT_EQ(app.settings.startMenuShortcutPath, Programs(L"MyApp.exe"));
    EXPECT_EQ(GetLinkTarget(Programs(L"MyApp.exe\\MyApp.lnk")), app.program());
}

TEST_F(Shortcuts, AStartMenuFolderTheUserDeletedIsMadeAgainWithItsLinks) {
    App app(folders, L"a");
    app.settings.createStartMenuShortcut = app.settings.createUninstallShortcut = 1;
    MakeStartMenu(app);
    ASSERT_TRUE(DeleteTree(Programs(L"MyApp.exe")));
    MakeStartMenu(app);
    EXPECT_EQ(GetLinkTarget(Programs(L"MyApp.exe\\MyApp.lnk")), app.program());
    EXPECT_TRUE(FileExists(Programs(L"MyApp.exe\\Uninstall.lnk")));
    EXPECT_EQ(app.settings.startMenuShortcutExists + app.settings.uninstallShortcutExists, 2);
}

TEST_F(Shortcuts, TheStatesAreRecordedInTheSettingsFile) {
    App app(folders, L"a");
    LaunchSettings& s = app.settings;
    s.desktopShortcutExists = 1;
    s.uninstallShortcutExists = 1;
    s.desktopShortcutName = Desktop(L"My \u30a2\u30d7\u30ea.lnk");
    RecordShortcutStates(s);
    EXPECT_EQ(nimbo_test::ReadFileText(app.folder + L"\\kxapp.ini").substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(IniValue(app.folder, L"shortcut", L"appname"), L"MyApp");
    EXPECT_EQ(IniValue(app.folder, L"shortcut", L"desktopshortcut"), L"1");
    EXPECT_EQ(IniValue(app.folder, L"shortcut", L"startmenushortcut"), L"0");
    EXPECT_EQ(IniValue(app.folder, L"shortcut", L"startmenushortcut_uninstall"), L"1");
    EXPECT_EQ(IniValue(app.folder, L"shortcut", L"desktopshortcutname"), s.desktopShortcutName);
    EXPECT_EQ(IniValue(app.folder, L"shortcut", L"startmenushortcutpath"), L"<none>");
    EXPECT_NE(ReadUtf16File(app.folder + L"\\kxapp.ini").find(L"My \u30a2\u30d7\u30ea.lnk"),
              std::wstring::npos);
}

}  // namespace
