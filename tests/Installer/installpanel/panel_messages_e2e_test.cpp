// installpanel.exe played by a test installer: progress file, shared-memory answers and every
// message the installer sends, answered the way a person would.
#include <gtest/gtest.h>

#include <functional>

#include "panel_player.h"
#include "scwconv.h"

using namespace installpanel_test;

namespace {

constexpr int kPercent = 1002;

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

// A started panel whose start-up check of the folders has passed without a box.
void StartQuietly(PanelPlayer& panel) {
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.WaitShared(L"0001"));
    ASSERT_TRUE(panel.NoBoxFor(1500)) << NimboNS::WideToUtf8(BoxText(panel.WaitBox(0)));
}

TEST(PanelProgress, FileDrivesTheBarToCompletion) {
    PanelPlayer panel;
    StartQuietly(panel);
    EXPECT_EQ(panel.ItemText(1001), L"Installing...");
    EXPECT_EQ(panel.ItemText(kPercent), L"0%");
    EXPECT_EQ(panel.Setting(L"SetupStatus"), L"");

    panel.WriteProgress("Progress=40\r\nStatus=0\r\n");
    ASSERT_TRUE(nimbo_test::WaitUntil([&] { return panel.ItemText(kPercent) == L"40%"; }))
        << NimboNS::WideToUtf8(panel.ItemText(kPercent));
    panel.WriteProgress("Progress=100\r\nStatus=0\r\n");
    ASSERT_TRUE(panel.WaitExit());
    EXPECT_EQ(panel.Setting(L"SetupStatus"), L"Continue");
}

TEST(PanelProgress, FailureStatusEndsWithExit) {
    PanelPlayer panel;
    StartQuietly(panel);
    panel.WriteProgress("Progress=30\r\nStatus=-1\r\n");
    ASSERT_TRUE(panel.WaitExit());
    EXPECT_EQ(panel.Setting(L"SetupStatus"), L"Exit");
}

TEST(PanelProgress, OverHundredCompletesOnceEvenWhileTheRestartQuestionIsOpen) {
    PanelSetup setup;
    setup.settings[L"NeedRestartPC"] = L"1";
    PanelPlayer panel(setup);
    StartQuietly(panel);
    panel.WriteProgress("Progress=150\r\nStatus=0\r\n");
    HWND restart = panel.WaitBox();
    ASSERT_NE(restart, nullptr);
    EXPECT_EQ(panel.ItemText(kPercent), L"100%");
    const std::wstring text = BoxText(restart);
    EXPECT_TRUE(Contains(text, L"Restart Required!")) << NimboNS::WideToUtf8(text);
    EXPECT_TRUE(Contains(text, L"more than one launcher is already installed")) << NimboNS::WideToUtf8(text);
    wchar_t caption[256] = {};
    GetWindowTextW(restart, caption, 256);
    EXPECT_EQ(caption, panel.title());
    SetForegroundWindow(restart);
    Sleep(300);
    nimbo_test::TakeScreenshot(L"installpanel_restart_offer");

    // The installer keeps writing; the question must not come a second time.
    panel.WriteProgress("Progress=150\r\nStatus=1\r\n");
    Sleep(1000);
    ASSERT_TRUE(panel.Answer(restart, IDCANCEL));  // "Restart Later"
    ASSERT_TRUE(panel.WaitExit());
    EXPECT_EQ(panel.Setting(L"SetupStatus"), L"Continue");
}

TEST(PanelProgress, DoneAndFailedInOneReadingOffersRestartThenEndsWithExit) {
    PanelSetup setup;
    setup.settings[L"NeedRestartPC"] = L"1";
    PanelPlayer panel(setup);
    StartQuietly(panel);
    panel.WriteProgress("Progress=100\r\nStatus=-1\r\n");
    HWND restart = panel.WaitBox();
    ASSERT_NE(restart, nullptr);
    EXPECT_TRUE(Contains(BoxText(restart), L"Restart Required!"));
    ASSERT_TRUE(nimbo_test::PressButtonByText(restart, L"Restart Later"));
    ASSERT_TRUE(panel.WaitExit());
    EXPECT_EQ(panel.Setting(L"SetupStatus"), L"Exit");
}

TEST(PanelProgress, WithoutSharedMemoryTheWindowStillWorks) {
    PanelSetup setup;
    setup.withSharedMemory = false;
    PanelPlayer panel(setup);
    ASSERT_TRUE(panel.Start());
    panel.PostThread(0x800D);  // the ARM question: answered into a memory that is not there
    HWND box = panel.WaitBox();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(panel.Answer(box, IDYES));
    panel.WriteProgress("Progress=100\r\nStatus=0\r\n");
    ASSERT_TRUE(panel.WaitExit());
    EXPECT_EQ(panel.Setting(L"SetupStatus"), L"Continue");
}

// ---- the installer's messages ----

struct MessageCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool toThread;                      // posted to the thread (else to the window)
    std::vector<std::wstring> boxSays;  // empty: no box
    int button;                         // how the box is answered
    std::wstring answer;                // shared memory afterwards
    bool ends;
    std::wstring setupStatus;
};
void PrintTo(const MessageCase& c, std::ostream* os) {
    *os << c.name;
}

class InstallerMessage : public testing::TestWithParam<MessageCase> {};

// "{launcher}" and "{apps}" stand for the panel's folders.
std::wstring Expand(const std::wstring& text, const PanelPlayer& panel) {
    std::wstring out = text;
    for (const auto& [key, value] :
         {std::pair<std::wstring, std::wstring>{L"{launcher}", panel.LauncherFolder()},
          {L"{apps}", panel.AppsFolder()}}) {
        for (size_t at = out.find(key); at != std::wstring::npos; at = out.find(key))
            out.replace(at, key.size(), value);
    }
    return out;
}

TEST_P(InstallerMessage, IsAnsweredAsTheInstallerExpects) {
    const MessageCase& c = GetParam();
    PanelPlayer panel;
    StartQuietly(panel);
    panel.WriteShared(L"junk");
    if (c.toThread) {
        panel.PostThread(c.message, c.wParam, c.lParam);
    } else {
        panel.PostWindow(c.message, c.wParam, c.lParam);
    }
    if (!c.boxSays.empty()) {
        HWND box = panel.WaitBox();
        ASSERT_NE(box, nullptr);
        const std::wstring text = BoxText(box);
        for (const std::wstring& part : c.boxSays)
            EXPECT_TRUE(Contains(text, Expand(part, panel))) << NimboNS::WideToUtf8(text);
        wchar_t caption[256] = {};
        GetWindowTextW(box, caption, 256);
        EXPECT_EQ(caption, panel.title());
        ASSERT_TRUE(panel.Answer(box, c.button));
    } else {
        EXPECT_TRUE(panel.NoBoxFor(800));
    }
    EXPECT_TRUE(panel.WaitShared(c.answer)) << NimboNS::WideToUtf8(panel.Shared());
    if (c.ends) {
        ASSERT_TRUE(panel.WaitExit());
    } else {
        EXPECT_FALSE(panel.WaitExit(300));
    }
    EXPECT_EQ(panel.Setting(L"SetupStatus"), c.setupStatus);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, InstallerMessage,
    testing::Values(
        MessageCase{"FileInUseNo",
                    0x8008,
                    0,
                    0,
                    true,
                    {L"following file is in use: \nVazErazovuv_A2.exe \n",
                     L"terminate the VazErazovuv_A2.exe process"},
                    IDNO,
                    L"no",
                    false,
                    L""},
        MessageCase{"FileInUseYes",
                    0x8008,
                    1,
                    0,
                    true,
                    {L"ZozEdurazozIvever_I2.exe \n", L"terminate the ZozEdurazozIvever_I2.exe process"},
                    IDYES,
                    L"yes",
                    false,
                    L""},
        MessageCase{"ArmYes", 0x800D, 0, 0, true, {L"your CPU is ARM"}, IDYES, L"yes", false, L""},
        MessageCase{"ArmNo", 0x800D, 0, 0, false, {L"your CPU is ARM"}, IDNO, L"no", false, L""},
        MessageCase{"DirNotAccessBoth",
                    0x8009,
                    3,
                    0,
                    true,
                    {L"cannot be accessed", L"Path(s):\n    {launcher}\n    {apps}\n"},
                    IDOK,
                    L"abort",
                    false,
                    L""},
        MessageCase{
            "DirNotAccessApps", 0x8009, 2, 0, false, {L"Path(s):\n    {apps}\n"}, IDOK, L"abort", false, L""},
        MessageCase{"DirNotAccessNothingNamed", 0x8009, 0, 0, true, {}, 0, L"abort", false, L""},
        MessageCase{"LauncherCannotRun",
                    0x800C,
                    1,
                    0,
                    true,
                    {L"cannot be started", L"Path:\n{launcher}\n"},
                    IDOK,
                    L"ok",
                    false,
                    L""},
        MessageCase{"LauncherCannotRunFromSettings",
                    0x800C,
                    3,
                    1,
                    true,
                    {L"Path:\n{launcher}\n{apps}\n"},
                    IDOK,
                    L"ok",
                    false,
                    L""},
        MessageCase{"NeedAdmin",
                    0x8005,
                    5,
                    6,
                    true,
                    {L"requires administrator rights"},
                    IDOK,
                    L"0009",
                    true,
                    L"Exit"},
        MessageCase{"ClearShared", 0x8007, 0, 0, true, {}, 0, L"", false, L""},
        MessageCase{"Abort", 0x8004, 1, 2, true, {}, 0, L"junk", true, L"Continue"},
        MessageCase{"ClosePrgUi", 0x8006, 0, 0, true, {}, 0, L"junk", true, L""},
        MessageCase{"SetupDone", 0x8002, 0, 0, false, {}, 0, L"junk", true, L"Continue"},
        MessageCase{"CloseFromTheInstaller", WM_CLOSE, 0, 0, true, {}, 0, L"junk", true, L"Exit"},
        MessageCase{"UnknownMessageChangesNothing", 0x8050, 1, 1, true, {}, 0, L"junk", false, L""}));

TEST(PanelExistingLauncher, FolderFromTheSharedMemoryIsCheckedAgainstTheLauncherFolder) {
    PanelPlayer panel;
    StartQuietly(panel);
    std::wstring upper = panel.LauncherFolder() + L"\\";
    CharUpperW(upper.data());
    panel.WriteShared(upper);
    panel.PostThread(0x800A, 2, 1);
    ASSERT_TRUE(panel.WaitShared(L""));
    panel.WriteShared(L"junk");
    panel.PostThread(0x800B);
    HWND box = panel.WaitBox();
    ASSERT_NE(box, nullptr);
    const std::wstring text = BoxText(box);
    EXPECT_TRUE(Contains(text, L"already contains another version of Nimbo Launcher.\nPath:  " + upper))
        << NimboNS::WideToUtf8(text);
    ASSERT_TRUE(panel.Answer(box, IDOK));
    EXPECT_TRUE(panel.WaitShared(L"abort"));
}

TEST(PanelExistingLauncher, WithoutAFolderWaitingNothingClashes) {
    PanelPlayer panel;
    StartQuietly(panel);
    panel.WriteShared(panel.LauncherFolder());
    panel.PostThread(0x800A, 1, 0);  // lParam 0: what the memory holds is not a folder for us
    ASSERT_TRUE(panel.WaitShared(L""));
    panel.PostThread(0x800B);
    EXPECT_TRUE(panel.NoBoxFor(800));
    EXPECT_TRUE(panel.WaitShared(L"abort"));
}

TEST(PanelUpgrade, OffersNoOptionsAndChecksNoFolders) {
    PanelSetup setup;
    setup.settings[L"IsUpgrade"] = L"1";
    setup.withCommandRunner = false;  // a check of the folders would complain
    PanelPlayer panel(setup);
    ASSERT_TRUE(panel.Start());
    EXPECT_TRUE(panel.NoBoxFor(2000));
    for (int id : {1010, 1011, 2015, 2016, 2017, 2018, 2019, 2020, 2021, 2022, 2023})
        EXPECT_FALSE(panel.ItemVisible(id)) << id;
    panel.PostWindow(WM_CLOSE);
    ASSERT_TRUE(panel.WaitExit());
    EXPECT_EQ(panel.Setting(L"SetupStatus"), L"Exit");
}

}  // namespace
