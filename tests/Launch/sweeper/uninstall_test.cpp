// The uninstall worker on its own: a window of the test receives what the dialog would.
#include <gtest/gtest.h>

#include <algorithm>

#include "app_fixture.h"
#include "nimbo/handle.h"
#include "scwconv.h"
#include "uninstall.h"

namespace {

using namespace NimboNS;
using sweeper_test::AppFolder;
using sweeper_test::ListTree;

struct WorkerRun {
    std::vector<std::wstring> statuses;
    std::vector<std::pair<WPARAM, LPARAM>> ranges;
    int steps = 0;
    UINT end = 0;
    std::wstring finalText;
    int errorCode = -1;
    bool secondStartRefused = false;
};

WorkerRun RunWorker(const std::wstring& folder) {
    WorkerRun run;
    HWND sink = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    IUninstall* uninstall = GetUninstall();
    uninstall->SetWindow(sink);
    uninstall->SetFolder(folder);
    EXPECT_TRUE(uninstall->Start());
    run.secondStartRefused = !uninstall->Start();
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (run.end == 0 && GetTickCount64() < deadline) {
        MSG message;
        if (!PeekMessageW(&message, sink, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            continue;
        }
        if (message.message == UM_STATUS) run.statuses.push_back(uninstall->PopMessage());
        if (message.message == UM_PROGRESS && message.lParam != 0)
            run.ranges.emplace_back(message.wParam, message.lParam);
        if (message.message == UM_PROGRESS && message.lParam == 0) ++run.steps;
        if (message.message == UM_DONE || message.message == UM_FAILED) run.end = message.message;
    }
    run.finalText = uninstall->PopMessage();
    run.errorCode = uninstall->GetErrorCode();
    EXPECT_EQ(uninstall->PopMessage(), L"") << "one final text, nothing after it";
    uninstall->Release();
    DestroyWindow(sink);
    return run;
}

std::wstring DeletingFile(const std::wstring& path) {
    return L"Deleting the file \"" + path + L"\"...";
}
std::wstring DeletingFolder(const std::wstring& path) {
    return L"Deleting the folder \"" + path + L"\"...";
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

FileHandle HoldOpen(const std::wstring& path) {
    return FileHandle(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

TEST(UninstallWorker, RemovesProgramShortcutsAndEveryEntryStepByStep) {
    AppFolder app(L"Demo");
    app.AddContent();
    app.AddShortcuts(L"1", L"1");

    WorkerRun run = RunWorker(app.Path());

    EXPECT_EQ(run.end, UM_DONE);
    EXPECT_EQ(run.errorCode, 0);
    EXPECT_EQ(run.finalText, L"The application is uninstalled successfully.");
    EXPECT_TRUE(run.secondStartRefused);
    // kxapp.ini, readme.txt and data.bin, the folders bin and data, and the app folder itself.
    ASSERT_EQ(run.ranges.size(), 1u);
    EXPECT_EQ(run.ranges[0], std::make_pair(WPARAM{0}, LPARAM{6}));
    EXPECT_EQ(run.steps, 6);
    ASSERT_EQ(run.statuses.size(), 7u);
    EXPECT_EQ(run.statuses[0], L"Initializing environment...");
    EXPECT_EQ(Sorted({run.statuses.begin() + 1, run.statuses.begin() + 4}),
              Sorted({DeletingFile(app / L"kxapp.ini"), DeletingFile(app / L"readme.txt"),
                      DeletingFile(app / L"data.bin")}));
    EXPECT_EQ(Sorted({run.statuses.begin() + 4, run.statuses.begin() + 6}),
              Sorted({DeletingFolder(app / L"bin"), DeletingFolder(app / L"data")}));
    EXPECT_EQ(run.statuses[6], DeletingFolder(app.Path()));
    EXPECT_FALSE(nimbo_test::FolderExists(app.Path()));
    EXPECT_FALSE(nimbo_test::FileExists(app.DesktopLink()));
    EXPECT_FALSE(nimbo_test::FolderExists(app.StartMenuFolder()));
}

struct ShortcutCase {
    const wchar_t* desktop;  // nullptr: no value recorded
    const wchar_t* startMenu;
    bool desktopRemoved;
    bool startMenuRemoved;
};

class ShortcutStates : public testing::TestWithParam<ShortcutCase> {};

std::string StateName(const wchar_t* state) {
    if (state == nullptr) return "none";
    return *state ? NimboNS::WideToUtf8(state) : std::string("empty");
}

std::string CaseName(const ShortcutCase& c) {
    return "desktop_" + StateName(c.desktop) + "_startmenu_" + StateName(c.startMenu);
}

void PrintTo(const ShortcutCase& c, std::ostream* os) {
    *os << CaseName(c);
}

// Only a state of exactly "1" means the launcher made the shortcut; anything else is left.
TEST_P(ShortcutStates, OnlyExactlyOneRemovesTheShortcut) {
    const ShortcutCase& c = GetParam();
    AppFolder app(L"Demo");
    app.AddContent();
    app.AddShortcuts(c.desktop ? c.desktop : L"", c.startMenu ? c.startMenu : L"");
    if (!c.desktop)
        WritePrivateProfileStringW(L"shortcut", L"desktopshortcut", nullptr, (app / L"kxapp.ini").c_str());
    if (!c.startMenu)
        WritePrivateProfileStringW(L"shortcut", L"startmenushortcut", nullptr, (app / L"kxapp.ini").c_str());

    WorkerRun run = RunWorker(app.Path());

    EXPECT_EQ(run.end, UM_DONE);
    EXPECT_EQ(nimbo_test::FileExists(app.DesktopLink()), !c.desktopRemoved);
    EXPECT_EQ(nimbo_test::FolderExists(app.StartMenuFolder()), !c.startMenuRemoved);
    EXPECT_FALSE(nimbo_test::FolderExists(app.Path()));
}

INSTANTIATE_TEST_SUITE_P(
    Values, ShortcutStates,
    testing::Values(ShortcutCase{L"1", L"1", true, true}, ShortcutCase{L"true", L"01", false, false},
                    ShortcutCase{L"01", L"true", false, false}, ShortcutCase{L"0", L"0", false, false},
                    ShortcutCase{nullptr, nullptr, false, false}, ShortcutCase{L"1", L"yes", true, false},
                    ShortcutCase{L"TRUE", L"1", false, true}),
    [](const testing::TestParamInfo<ShortcutCase>& info) { return CaseName(info.param); });

TEST(UninstallWorker, ProgramInUseStopsBeforeAnythingElseIsRemoved) {
    AppFolder app(L"Demo");
    app.AddContent();
    app.AddShortcuts(L"1", L"1");
    app.AddCleanupScript();
    const auto before = ListTree(app.Path());
    FileHandle held = HoldOpen(app.Program());
    ASSERT_TRUE(held);

    WorkerRun run = RunWorker(app.Path());

    EXPECT_EQ(run.end, UM_FAILED);
    EXPECT_EQ(run.errorCode, kUninstallFileInUse);
    EXPECT_EQ(run.finalText, L"The folder or file is occupied by another program: " + app.Program() + L".");
    EXPECT_EQ(run.statuses, std::vector<std::wstring>{L"Initializing environment..."});
    EXPECT_TRUE(run.ranges.empty());
    EXPECT_EQ(ListTree(app.Path()), before);
    EXPECT_TRUE(nimbo_test::FileExists(app.DesktopLink()));
    EXPECT_TRUE(nimbo_test::FolderExists(app.StartMenuFolder()));
    EXPECT_FALSE(app.ScriptOutput().empty()) << "the clean-up script runs before the program is deleted";
}

TEST(UninstallWorker, EmptyAppNameFindsNoAppAndTouchesNothing) {
    AppFolder app(L"Demo");
    app.AddContent();
    app.AddCleanupScript();
    app.SetValue(L"appname", L"");
    const auto before = ListTree(app.Path());

    WorkerRun run = RunWorker(app.Path());

    EXPECT_EQ(run.end, UM_FAILED);
    EXPECT_EQ(run.errorCode, kUninstallAppNotFound);
    EXPECT_EQ(run.finalText, L"The application that needs to be uninstalled is not found.");
    EXPECT_EQ(ListTree(app.Path()), before);
    EXPECT_TRUE(app.ScriptOutput().empty());
}

// A program that is already gone is not "occupied": the rest of the app is still removed.
TEST(UninstallWorker, MissingProgramDoesNotHoldTheAppBack) {
    AppFolder app(L"Demo");
    app.AddContent();
    ASSERT_TRUE(DeleteFileW(app.Program().c_str()));

    WorkerRun run = RunWorker(app.Path());

    EXPECT_EQ(run.end, UM_DONE);
    EXPECT_EQ(run.errorCode, 0);
    EXPECT_FALSE(nimbo_test::FolderExists(app.Path()));
}

TEST(UninstallWorker, ReadOnlyProgramIsRemoved) {
    AppFolder app(L"Demo");
    app.AddContent();
    SetFileAttributesW(app.Program().c_str(), FILE_ATTRIBUTE_READONLY);

    WorkerRun run = RunWorker(app.Path());

    EXPECT_EQ(run.end, UM_DONE);
    EXPECT_FALSE(nimbo_test::FolderExists(app.Path()));
}

// Entries that cannot be deleted are passed over without a word: no step for them, and the
// app folder that still holds them stays.
TEST(UninstallWorker, EntryInUseIsSkippedAndTheRunStillSucceeds) {
    AppFolder app(L"Demo");
    app.AddContent();
    FileHandle held = HoldOpen(app / L"readme.txt");
    ASSERT_TRUE(held);

    WorkerRun run = RunWorker(app.Path());

    EXPECT_EQ(run.end, UM_DONE);
    EXPECT_EQ(run.finalText, L"The application is uninstalled successfully.");
    ASSERT_EQ(run.ranges.size(), 1u);
    EXPECT_EQ(run.ranges[0].second, 6);
    EXPECT_EQ(run.steps, 4);
    EXPECT_EQ(ListTree(app.Path()), std::vector<std::wstring>{L"readme.txt"});
}

TEST(UninstallWorker, CleanupScriptRunsInTheAppFolderBeforeTheProgramGoes) {
    AppFolder app(L"Demo", L"Demo & Co (x86)");
    app.AddContent();
    app.AddCleanupScript();

    WorkerRun run = RunWorker(app.Path());

    EXPECT_EQ(run.end, UM_DONE);
    const auto lines = app.ScriptOutput();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(_wcsicmp(NimboNS::Utf8ToWide(lines[0]).c_str(), app.Path().c_str()), 0) << lines[0];
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (wow64) {
        EXPECT_EQ(lines[1], "AMD64") << "a 32-bit sweeper runs the script with the 64-bit interpreter";
    }
    EXPECT_EQ(lines[2], "Demo.exe");
    EXPECT_FALSE(nimbo_test::FolderExists(app.Path()));
}

}  // namespace
