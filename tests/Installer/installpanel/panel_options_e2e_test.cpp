// installpanel.exe's options: the folder rows, their checks and Start Install, the language of the
// window, and screenshots of the window collapsed and expanded.
#include <gtest/gtest.h>

#include <functional>

#include "panel_player.h"
#include "scwconv.h"

using namespace installpanel_test;

namespace {

constexpr int kAdvanced = 1010, kStart = 1011, kLauncherEdit = 2016, kAppsEdit = 2019, kLauncherBrowse = 2017;

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

RECT ItemRect(HWND window, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(window, id), &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int BaseTop(HWND window) {
    return ItemRect(window, 1026).top;
}

bool NoRunnerCopyIn(const std::wstring& folder) {
    return !nimbo_test::FileExists(folder + L"\\elevhost_bak.exe");
}

TEST(PanelOptions, CollapsedAndExpandedWindow) {
    PanelPlayer panel;
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.NoBoxFor(1500));
    const int collapsed = panel.ClientHeight();
    EXPECT_EQ(collapsed, BaseTop(panel.window()));
    EXPECT_EQ(panel.ItemText(kAdvanced), L"&Advanced Options");
    EXPECT_EQ(panel.ItemText(kStart), L"Start &Install");
    EXPECT_TRUE(panel.ItemVisible(kStart));
    EXPECT_FALSE(panel.ItemVisible(2022));  // the multi-user question is never offered
    SetForegroundWindow(panel.window());
    Sleep(500);
    nimbo_test::TakeScreenshot(L"installpanel_collapsed");

    ASSERT_TRUE(nimbo_test::PressButton(panel.window(), kAdvanced));
    ASSERT_TRUE(nimbo_test::WaitUntil([&] { return panel.ClientHeight() > collapsed; }));
    const RECT appsEdit = ItemRect(panel.window(), kAppsEdit);
    EXPECT_GT(panel.ClientHeight(), appsEdit.bottom);
    EXPECT_EQ(panel.ClientHeight(), ItemRect(panel.window(), 2021).top);  // where the next row begins
    EXPECT_EQ(panel.ItemText(kLauncherEdit), panel.LauncherFolder());
    EXPECT_EQ(panel.ItemText(kAppsEdit), panel.AppsFolder());
    EXPECT_EQ(panel.ItemText(kLauncherBrowse), L"Browse");
    Sleep(500);
    nimbo_test::TakeScreenshot(L"installpanel_expanded");

    // The button has the focus now: Enter clicks it again, Escape does nothing. Keys reach only
    // the active window, which other windows on the display may take for a moment.
    bool collapsedAgain = false;
    for (int attempt = 0; attempt < 3 && !collapsedAgain; ++attempt) {
        SetForegroundWindow(panel.window());
        PostMessageW(GetDlgItem(panel.window(), kAdvanced), WM_KEYDOWN, VK_RETURN, 0);
        collapsedAgain = nimbo_test::WaitUntil([&] { return panel.ClientHeight() == collapsed; }, 3000);
    }
    ASSERT_TRUE(collapsedAgain);
    SetForegroundWindow(panel.window());
    PostMessageW(GetDlgItem(panel.window(), kAdvanced), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(panel.WaitExit(800));
    EXPECT_EQ(panel.ClientHeight(), collapsed);
}

TEST(PanelOptions, StartInstallWritesTheTrimmedFoldersAndContinues) {
    PanelPlayer panel;
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.NoBoxFor(1500));
    const std::wstring launcher = panel.folder() / L"chosen launcher", apps = panel.folder() / L"chosen apps";
    panel.SetItemText(kLauncherEdit, (L"  " + launcher + L" "));
    panel.SetItemText(kAppsEdit, (apps + L"\t"));
    ASSERT_TRUE(nimbo_test::PressButton(panel.window(), kStart));
    ASSERT_TRUE(nimbo_test::WaitUntil([&] { return panel.Setting(L"SetupStatus") == L"Continue"; }));
    EXPECT_EQ(panel.Setting(L"InstallPath"), launcher);
    EXPECT_EQ(panel.Setting(L"KXAppHome"), apps);
    EXPECT_TRUE(nimbo_test::FolderExists(launcher));
    EXPECT_TRUE(nimbo_test::FolderExists(apps));
    EXPECT_TRUE(NoRunnerCopyIn(launcher));
    EXPECT_TRUE(NoRunnerCopyIn(apps));
    for (int id : {kAdvanced, kStart, kLauncherEdit, kAppsEdit, kLauncherBrowse, 2020, 2022, 2023})
        EXPECT_FALSE(panel.ItemEnabled(id)) << id;
    EXPECT_TRUE(panel.NoBoxFor(500));
}

TEST(PanelOptions, EmptyFolderIsRefusedAndNothingIsWritten) {
    PanelPlayer panel;
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.NoBoxFor(1500));
    panel.SetItemText(kLauncherEdit, L"   ");
    ASSERT_TRUE(nimbo_test::PressButton(panel.window(), kStart));
    HWND box = panel.WaitBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Contains(BoxText(box), L"The path you selected cannot be empty"))
        << NimboNS::WideToUtf8(BoxText(box));
    ASSERT_TRUE(panel.Answer(box, IDOK));
    EXPECT_EQ(panel.Setting(L"SetupStatus"), L"");
    EXPECT_EQ(panel.Setting(L"InstallPath"), panel.LauncherFolder());
    EXPECT_TRUE(panel.ItemEnabled(kStart));
}

// Folders that cannot be used are reported as soon as the window shows.
struct StartCheckCase {
    const char* name;
    std::function<void(PanelSetup&, const nimbo_test::TempFolder&)> prepare;
    std::vector<std::wstring> boxSays;  // "{launcher}", "{apps}", "{blocked}", "{file}" are replaced
    bool expands;
};
void PrintTo(const StartCheckCase& c, std::ostream* os) {
    *os << c.name;
}
class StartCheck : public testing::TestWithParam<StartCheckCase> {};

TEST_P(StartCheck, ReportsTheFolderAtOnce) {
    const StartCheckCase& c = GetParam();
    nimbo_test::TempFolder scratch;
    nimbo_test::WriteFileText(scratch / L"plainfile", "x");
    CreateDirectoryW((scratch / L"blocked").c_str(), nullptr);
    // A folder named like the copy of the runner: nothing can be copied to it or run from it.
    CreateDirectoryW((scratch / L"blocked\\elevhost_bak.exe").c_str(), nullptr);
    PanelSetup setup;
    c.prepare(setup, scratch);
    PanelPlayer panel(setup);
    ASSERT_TRUE(panel.Start());
    HWND box = panel.WaitBox();
    ASSERT_NE(box, nullptr);
    const std::wstring text = BoxText(box);
    for (std::wstring part : c.boxSays) {
        for (const auto& [key, value] :
             {std::pair<std::wstring, std::wstring>{L"{launcher}", panel.LauncherFolder()},
              {L"{apps}", panel.AppsFolder()},
              {L"{blocked}", scratch / L"blocked"},
              {L"{file}", scratch / L"plainfile\\launcher"}}) {
            for (size_t at = part.find(key); at != std::wstring::npos; at = part.find(key))
                part.replace(at, key.size(), value);
        }
        EXPECT_TRUE(Contains(text, part))
            << NimboNS::WideToUtf8(text) << "\nwanted: " << NimboNS::WideToUtf8(part);
    }
    if (c.expands) {
        EXPECT_TRUE(nimbo_test::WaitUntil([&] { return panel.ClientHeight() > BaseTop(panel.window()); }));
    } else {
        EXPECT_EQ(panel.ClientHeight(), BaseTop(panel.window()));
    }
    ASSERT_TRUE(panel.Answer(box, IDOK));
    EXPECT_TRUE(panel.NoBoxFor(800));
    EXPECT_TRUE(NoRunnerCopyIn(panel.LauncherFolder()));
    EXPECT_EQ(panel.Setting(L"SetupStatus"), L"");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartCheck,
    testing::Values(StartCheckCase{"NotAccessible",
                                   [](PanelSetup& s, const nimbo_test::TempFolder& t) {
                                       s.settings[L"InstallPath"] = t / L"plainfile\\launcher";
                                   },
                                   {L"cannot be accessed", L"Path(s):\n    {file}\n"},
                                   true},
                    StartCheckCase{
                        "NoCommandRunner",
                        [](PanelSetup& s, const nimbo_test::TempFolder&) { s.withCommandRunner = false; },
                        {L"lacks the permission to run .exe files", L"Path(s):\n{launcher}\n{apps}\n"},
                        false},
                    StartCheckCase{"ProgramsCannotRunInOneFolder",
                                   [](PanelSetup& s, const nimbo_test::TempFolder& t) {
                                       s.settings[L"KXAppHome"] = t / L"blocked";
                                   },
                                   {L"lacks the permission to run .exe files", L"Path(s):\n{blocked}\n"},
                                   false}));

TEST(PanelOptions, ExistingLauncherInTheChosenFolderIsRefused) {
    PanelPlayer panel;
    // The clash needs the panel's own launcher folder in the settings, so write it before the start.
    WritePrivateProfileStringW(L"KXAppSetting", L"NblDirNotBeSame", (L"2|" + panel.LauncherFolder()).c_str(),
                               (panel.folder() / L"LauncherCfg.ini").c_str());
    ASSERT_TRUE(panel.Start());
    HWND box = panel.WaitBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Contains(BoxText(box), L"Nimbo Launcher.\nPath:  " + panel.LauncherFolder()))
        << NimboNS::WideToUtf8(BoxText(box));
    ASSERT_TRUE(panel.Answer(box, IDOK));
}

TEST(PanelOptions, OnlyTheAppsRowMovesUpInPlaceOfTheLauncherRow) {
    PanelSetup setup;
    setup.settings[L"IsCustomInstallPath"] = L"0";
    PanelPlayer panel(setup);
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.NoBoxFor(1500));
    EXPECT_FALSE(panel.ItemVisible(kLauncherEdit));
    EXPECT_FALSE(panel.ItemEnabled(kLauncherEdit));
    EXPECT_EQ(ItemRect(panel.window(), kAppsEdit).top, ItemRect(panel.window(), kLauncherEdit).top);
    ASSERT_TRUE(nimbo_test::PressButton(panel.window(), kAdvanced));
    ASSERT_TRUE(nimbo_test::WaitUntil([&] { return panel.ClientHeight() > BaseTop(panel.window()); }));
    // The window ends where a row after the apps row would begin.
    EXPECT_GT(panel.ClientHeight(), ItemRect(panel.window(), 2020).bottom);
    EXPECT_LT(panel.ClientHeight(), ItemRect(panel.window(), 2021).top);
    ASSERT_TRUE(nimbo_test::PressButton(panel.window(), kStart));
    ASSERT_TRUE(nimbo_test::WaitUntil([&] { return panel.Setting(L"SetupStatus") == L"Continue"; }));
}

TEST(PanelOptions, WithNoFolderRowThereIsNothingToStart) {
    PanelSetup setup;
    setup.settings[L"IsCustomInstallPath"] = L"0";
    setup.settings[L"IsCustomAppHome"] = L"0";
    PanelPlayer panel(setup);
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.NoBoxFor(1500));
    EXPECT_FALSE(panel.ItemVisible(kStart));
    EXPECT_FALSE(panel.ItemVisible(kAdvanced));
    EXPECT_FALSE(panel.ItemEnabled(kStart));
}

TEST(PanelOptions, BrowseTakesTheChosenFolderAfterCheckingIt) {
    PanelPlayer panel;
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.NoBoxFor(1500));
    // A folder the picker can show (the temporary folder is hidden from it).
    const std::wstring chosen = NimboNS::FormatWide(L"C:\\nimbo_ip_browse_%lu", GetCurrentProcessId());
    CreateDirectoryW(chosen.c_str(), nullptr);
    struct Cleanup {
        std::wstring folder;
        ~Cleanup() {
            DeleteFileW((folder + L"\\elevhost_bak.exe").c_str());
            RemoveDirectoryW(folder.c_str());
        }
    } cleanup{chosen};
    ASSERT_TRUE(nimbo_test::PressButton(panel.window(), kAdvanced));
    panel.SetItemText(kLauncherEdit, chosen);
    ASSERT_TRUE(nimbo_test::PressButton(panel.window(), kLauncherBrowse));
    HWND picker = panel.WaitBox();
    ASSERT_NE(picker, nullptr);
    Sleep(500);
    nimbo_test::TakeScreenshot(L"installpanel_browse");
    panel.SetItemText(kLauncherEdit, L"changed meanwhile");
    ASSERT_TRUE(panel.Answer(picker, IDOK));
    EXPECT_TRUE(nimbo_test::WaitUntil([&] {
        return _wcsicmp(panel.ItemText(kLauncherEdit).c_str(), chosen.c_str()) == 0;
    })) << NimboNS::WideToUtf8(panel.ItemText(kLauncherEdit));
}

struct LanguageCase {
    const char* name;
    std::wstring supportLanguage;
    std::wstring advancedOptions;
    std::wstring needAdminSays;
};
void PrintTo(const LanguageCase& c, std::ostream* os) {
    *os << c.name;
}
class PanelLanguage : public testing::TestWithParam<LanguageCase> {};

TEST_P(PanelLanguage, WindowAndMessagesSpeakTheChosenLanguage) {
    PanelSetup setup;
    setup.settings[L"SupportLanguage"] = GetParam().supportLanguage;
    PanelPlayer panel(setup);
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.NoBoxFor(1500));
    EXPECT_EQ(panel.ItemText(kAdvanced), GetParam().advancedOptions);
    panel.PostThread(0x8005);
    HWND box = panel.WaitBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Contains(BoxText(box), GetParam().needAdminSays)) << NimboNS::WideToUtf8(BoxText(box));
    if (GetParam().supportLanguage == L"german") nimbo_test::TakeScreenshot(L"installpanel_german");
    ASSERT_TRUE(panel.Answer(box, IDOK));
    ASSERT_TRUE(panel.WaitExit());
}

INSTANTIATE_TEST_SUITE_P(
    Languages, PanelLanguage,
    testing::Values(LanguageCase{"German", L"german", L"&Erweiterte Optionen", L"Administratorrechte"},
                    LanguageCase{"Spanish", L"Spanish", L"&Opciones avanzadas", L"derechos de administrador"},
                    LanguageCase{"Norwegian", L"Norwegian", L"&Avanserte alternativer",
                                 L"administratorrettigheter"},
                    LanguageCase{"UnknownIsEnglish", L"Esperanto", L"&Advanced Options",
                                 L"requires administrator rights"}));

}  // namespace
