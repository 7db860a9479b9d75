// sweeper.exe itself under Wine: started the way a user starts it, its boxes answered the way
// a user answers them.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <winternl.h>

#include <algorithm>

#include "app_fixture.h"
#include "nimbo/handle.h"
#include "scwconv.h"

namespace {

using namespace nimbo_test;
using NimboNS::Handle;
using sweeper_test::AppFolder;
using sweeper_test::ListTree;
using sweeper_test::UniqueName;

const std::wstring kDone = L"The application is uninstalled successfully.";

std::wstring SweeperExe() {
    return BinFolder() + L"\\sweeper.exe";
}

std::wstring Question(const std::wstring& appName) {
    return L"Are you sure you want to completely remove " + appName + L" and all of its components?";
}

struct BoxSearch {
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    wchar_t text[512] = {};
    if (!IsWindowVisible(window) || !GetClassNameW(window, text, 512) || std::wstring(text) != L"#32770")
        return TRUE;
    GetWindowTextW(window, text, 512);
    if (*search->caption != text || GetDlgItem(window, IDOK) == nullptr) return TRUE;
    search->found = window;
    return FALSE;
}

// A message box with this caption that says `saying` (the question and the final box share
// their caption).
HWND WaitForBox(const std::wstring& caption, const std::wstring& saying, DWORD timeoutMs = 30000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        BoxSearch search{&caption, nullptr};
        EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
        if (search.found && DialogText(search.found).find(saying) != std::wstring::npos) return search.found;
        Sleep(50);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

// A process a test started; one still running when the test ends (a failed test leaves a
// box open) is ended with it.
class Started {
public:
    explicit Started(HANDLE process) : process_(process) {}
    ~Started() {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.get(), 1);
    }
    Started(Started&&) = default;
    HANDLE get() const { return process_.get(); }
    explicit operator bool() const { return static_cast<bool>(process_); }

private:
    Handle process_;
};

Started StartSweeper(const std::wstring& folder) {
    return Started(StartProgram(Quote(SweeperExe()) + L" " + Quote(folder)));
}

bool Ends(HANDLE process, DWORD& exitCode) {
    if (WaitForSingleObject(process, 20000) != WAIT_OBJECT_0) {
        TerminateProcess(process, 259);
        return false;
    }
    GetExitCodeProcess(process, &exitCode);
    return true;
}

enum class IconColour { None, Red, Blue };

void PrintTo(IconColour colour, std::ostream* os) {
    *os << (colour == IconColour::Red ? "red" : colour == IconColour::Blue ? "blue" : "none");
}

BOOL CALLBACK FindIcon(HWND child, LPARAM param) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (_wcsicmp(cls, L"Static") != 0 || (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
        return TRUE;
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
}

// What a person sees of a box's icon: the error icon is red, the information icon blue.
IconColour BoxIconColour(HWND box) {
    HWND icon = nullptr;
    EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&icon));
    if (icon == nullptr) return IconColour::None;
    SetForegroundWindow(box);
    Sleep(300);
    RECT rect{};
    GetWindowRect(icon, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    int red = 0, blue = 0;
    for (int i = 0; i < width * height; ++i) {
        const BYTE* pixel = static_cast<const BYTE*>(bits) + i * 4;  // blue, green, red
        if (pixel[2] > 150 && pixel[1] < 110 && pixel[0] < 110) ++red;
        if (pixel[0] > 150 && pixel[2] < 110) ++blue;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (red > 20 && red > blue) return IconColour::Red;
    if (blue > 20) return IconColour::Blue;
    return IconColour::None;
}

// What a watcher of the progress dialog saw while the worker ran.
struct DialogWatch {
    bool seen = false;
    std::wstring title;
    int range = 0;
    int lastPosition = 0;
    std::vector<std::wstring> texts;
    std::wstring screenshotName;  // taken once the files are gone and the folders are next
    std::wstring screenshot;
};

// Watches the dialog until the final box shows up; takes one screenshot while it works.
HWND WatchDialogUntilFinalBox(const std::wstring& appName, const std::wstring& finalText,
                              DialogWatch& watch) {
    const std::wstring caption = L"Uninstall " + appName;
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (GetTickCount64() < deadline) {
        HWND dialog = FindWindowW(L"#32770", (L"Uninstalling " + appName).c_str());
        if (dialog != nullptr) {
            watch.seen = true;
            watch.title = L"Uninstalling " + appName;
            HWND bar = GetDlgItem(dialog, 1002);
            DWORD_PTR value = 0;
            if (SendMessageTimeoutW(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 2000, &value))
                watch.range = static_cast<int>(value);
            if (SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &value))
                watch.lastPosition = static_cast<int>(value);
            wchar_t text[1024] = {};
            GetDlgItemTextW(dialog, 1001, text, 1024);
            if (text[0] && (watch.texts.empty() || watch.texts.back() != text)) watch.texts.push_back(text);
            if (!watch.screenshotName.empty() && watch.screenshot.empty() && watch.range == 6 &&
                watch.lastPosition >= 3)
                watch.screenshot = TakeScreenshot(watch.screenshotName);
        }
        BoxSearch search{&caption, nullptr};
        EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
        if (search.found && DialogText(search.found).find(finalText) != std::wstring::npos)
            return search.found;
        Sleep(dialog ? 5 : 20);
    }
    return nullptr;
}

// Answers the question with OK and returns the final box (caption "Uninstall <name>").
HWND ConfirmAndWait(const AppFolder& app, const std::wstring& finalText, DialogWatch* watch = nullptr) {
    HWND question = WaitForBox(L"Uninstall " + app.AppName(), Question(app.AppName()));
    if (question == nullptr) return nullptr;
    PressButton(question, IDOK);
    DialogWatch ignored;
    return WatchDialogUntilFinalBox(app.AppName(), finalText, watch ? *watch : ignored);
}

TEST(SweeperProgram, RemovesTheAppWithItsShortcutsAndShowsItsProgress) {
    AppFolder app(UniqueName(L"SweepAll"));
    app.AddContent(1000);  // enough in one folder to watch the dialog at work
    app.AddShortcuts(L"1", L"1");
    Started sweeper = StartSweeper(app.Path());
    ASSERT_TRUE(sweeper);

    DialogWatch watch;
    watch.screenshotName = L"sweeper_progress";
    HWND done = ConfirmAndWait(app, kDone, &watch);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(BoxIconColour(done), IconColour::Blue) << "an information box";
    PressButton(done, IDOK);
    DWORD exitCode = 1;
    ASSERT_TRUE(Ends(sweeper.get(), exitCode));

    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(watch.seen);
    EXPECT_EQ(watch.range, 6) << "3 files and 2 folders beside the program, and the app folder";
    EXPECT_FALSE(watch.screenshot.empty());
    ASSERT_FALSE(watch.texts.empty());
    EXPECT_NE(std::find(watch.texts.begin(), watch.texts.end(),
                        L"Deleting the folder \"" + (app / L"bin") + L"\"..."),
              watch.texts.end());
    EXPECT_FALSE(FolderExists(app.Path()));
    EXPECT_FALSE(FileExists(app.DesktopLink()));
    EXPECT_FALSE(FolderExists(app.StartMenuFolder()));
}

// A click on the close box while files are being deleted does not cut the removal short.
TEST(SweeperProgram, CloseBoxWaitsUntilTheAppIsRemoved) {
    AppFolder app(UniqueName(L"SweepClose"));
    app.AddContent(1000);
    Started sweeper = StartSweeper(app.Path());
    ASSERT_TRUE(sweeper);
    HWND question = WaitForBox(L"Uninstall " + app.AppName(), Question(app.AppName()));
    ASSERT_NE(question, nullptr);
    PressButton(question, IDOK);

    HWND dialog = WaitForWindow(L"#32770", L"Uninstalling " + app.AppName(), 30000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0));
    HWND done = WaitForBox(L"Uninstall " + app.AppName(), kDone, 60000);
    ASSERT_NE(done, nullptr);
    PressButton(done, IDOK);
    DWORD exitCode = 1;
    ASSERT_TRUE(Ends(sweeper.get(), exitCode));

    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(FolderExists(app.Path()));
}

struct DesktopCase {
    const wchar_t* state;
    bool removed;
};

void PrintTo(const DesktopCase& c, std::ostream* os) {
    *os << NimboNS::WideToUtf8(c.state);
}

class DesktopShortcutState : public testing::TestWithParam<DesktopCase> {};

TEST_P(DesktopShortcutState, OnlyOneMeansTheLauncherMadeIt) {
    AppFolder app(UniqueName(L"SweepLink"));
    app.AddContent();
    app.AddShortcuts(GetParam().state, L"0");
    Started sweeper = StartSweeper(app.Path());
    ASSERT_TRUE(sweeper);

    HWND done = ConfirmAndWait(app, kDone);
    ASSERT_NE(done, nullptr);
    PressButton(done, IDOK);
    DWORD exitCode = 1;
    ASSERT_TRUE(Ends(sweeper.get(), exitCode));

    EXPECT_EQ(FileExists(app.DesktopLink()), !GetParam().removed);
    EXPECT_TRUE(FolderExists(app.StartMenuFolder()));
    EXPECT_FALSE(FolderExists(app.Path()));
}

INSTANTIATE_TEST_SUITE_P(Values, DesktopShortcutState,
                         testing::Values(DesktopCase{L"1", true}, DesktopCase{L"true", false},
                                         DesktopCase{L"01", false}),
                         [](const testing::TestParamInfo<DesktopCase>& info) {
                             return std::string("state_") + NimboNS::WideToAnsi(info.param.state);
                         });

TEST(SweeperProgram, RunningAppKeepsEverythingAndSaysWhatHoldsIt) {
    AppFolder app(UniqueName(L"SweepBusy"));
    app.AddContent();
    app.AddShortcuts(L"1", L"1");
    app.AddCleanupScript();
    ASSERT_TRUE(CopyFileW((TestsFolder() + L"\\sweeper_test_app.exe").c_str(), app.Program().c_str(), FALSE));
    const std::wstring running = app.Root() + L"\\running.txt";
    Started appProcess(StartProgram(Quote(app.Program()) + L" " + Quote(running)));
    ASSERT_TRUE(appProcess);
    for (int i = 0; i < 200 && !FileExists(running); ++i) Sleep(50);
    ASSERT_TRUE(FileExists(running));
    const auto before = ListTree(app.Path());

    Started sweeper = StartSweeper(app.Path());
    ASSERT_TRUE(sweeper);
    const std::wstring occupied =
        L"The folder or file is occupied by another program: " + app.Program() + L".";
    HWND failed = ConfirmAndWait(app, occupied);
    TerminateProcess(appProcess.get(), 0);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(DialogText(failed).find(kDone), std::wstring::npos);
    EXPECT_EQ(BoxIconColour(failed), IconColour::Red) << "an error box";
    PressButton(failed, IDOK);
    DWORD exitCode = 1;
    ASSERT_TRUE(Ends(sweeper.get(), exitCode));

    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(ListTree(app.Path()), before);
    EXPECT_TRUE(FileExists(app.DesktopLink()));
    EXPECT_TRUE(FolderExists(app.StartMenuFolder()));
    EXPECT_FALSE(app.ScriptOutput().empty()) << "the clean-up script has run";
}

TEST(SweeperProgram, CancelAtTheQuestionRemovesNothing) {
    AppFolder app(UniqueName(L"SweepCancel"));
    app.AddContent();
    app.AddShortcuts(L"1", L"1");
    app.AddCleanupScript();
    const auto before = ListTree(app.Path());
    Started sweeper = StartSweeper(app.Path());
    ASSERT_TRUE(sweeper);

    HWND question = WaitForBox(L"Uninstall " + app.AppName(), Question(app.AppName()));
    ASSERT_NE(question, nullptr);
    PressButton(question, IDCANCEL);
    DWORD exitCode = 1;
    ASSERT_TRUE(Ends(sweeper.get(), exitCode));

    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(ListTree(app.Path()), before);
    EXPECT_TRUE(FileExists(app.DesktopLink()));
    EXPECT_TRUE(FolderExists(app.StartMenuFolder()));
    EXPECT_TRUE(app.ScriptOutput().empty());
}

std::wstring LongPath(const std::wstring& path) {
    wchar_t full[MAX_PATH] = {};
    DWORD length = GetLongPathNameW(path.c_str(), full, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(full, length) : path;
}

// Read from the process's own parameter block, as a process viewer does.
std::wstring CommandLineOf(HANDLE process) {
    using Query = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    auto query =
        reinterpret_cast<Query>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess"));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) return {};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (!ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), nullptr) ||
        !ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters), nullptr))
        return {};
    std::wstring text(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!ReadProcessMemory(process, parameters.CommandLine.Buffer, text.data(), parameters.CommandLine.Length,
                           nullptr))
        return {};
    return text;
}

TEST(SweeperProgram, StartedFromTheAppFolderItHandsOverToACopyInTheTemporaryFolder) {
    AppFolder app(UniqueName(L"SweepRelaunch"), UniqueName(L"Relaunch App "));
    app.AddContent();
    const std::wstring uninstaller = app / L"Uninstall.exe";
    ASSERT_TRUE(CopyFileW(SweeperExe().c_str(), uninstaller.c_str(), FALSE));
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring copy = std::wstring(temp) + L"Uninstall.exe";
    DeleteFileW(copy.c_str());

    ProgramResult first = RunProgram(Quote(uninstaller), 30000, app.Path());
    ASSERT_TRUE(first.finished) << "the first instance ends once the copy runs";
    EXPECT_EQ(first.exitCode, 0u);
    ASSERT_TRUE(FileExists(copy));
    EXPECT_EQ(ReadFileText(copy), ReadFileText(SweeperExe()));

    HWND question = WaitForBox(L"Uninstall " + app.AppName(), Question(app.AppName()));
    ASSERT_NE(question, nullptr);
    DWORD copyId = 0;
    GetWindowThreadProcessId(question, &copyId);
    Started copyProcess(OpenProcess(
        PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, copyId));
    ASSERT_TRUE(copyProcess);
    wchar_t image[MAX_PATH] = {};
    DWORD imageLength = MAX_PATH;
    ASSERT_TRUE(QueryFullProcessImageNameW(copyProcess.get(), 0, image, &imageLength));
    EXPECT_EQ(_wcsicmp(LongPath(image).c_str(), LongPath(copy).c_str()), 0);
    const std::wstring commandLine = CommandLineOf(copyProcess.get());
    EXPECT_NE(commandLine.find(L" " + Quote(app.Path())), std::wstring::npos)
        << NimboNS::WideToUtf8(commandLine);

    PressButton(question, IDOK);
    DialogWatch watch;
    HWND done = WatchDialogUntilFinalBox(app.AppName(), kDone, watch);
    ASSERT_NE(done, nullptr);
    PressButton(done, IDOK);
    DWORD exitCode = 1;
    ASSERT_TRUE(Ends(copyProcess.get(), exitCode));

    EXPECT_FALSE(FolderExists(app.Path())) << "the app folder goes with the Uninstall.exe in it";
    EXPECT_TRUE(FileExists(copy)) << "the copy in the temporary folder stays";
}

struct SilentCase {
    const char* name;
    // Prepares the app folder and returns the argument to give; empty: none, started from
    // a copy inside the app folder.
    std::wstring (*prepare)(AppFolder&);
};

void PrintTo(const SilentCase& c, std::ostream* os) {
    *os << c.name;
}

class SilentExit : public testing::TestWithParam<SilentCase> {};

// Nothing to uninstall: no box, no change, exit code 0.
TEST_P(SilentExit, EndsWithoutAWord) {
    AppFolder app(UniqueName(L"SweepQuiet"));
    app.AddContent();
    const std::wstring argument = GetParam().prepare(app);
    std::wstring command = Quote(SweeperExe()) + L" " + Quote(argument);
    if (argument.empty()) {
        ASSERT_TRUE(CopyFileW(SweeperExe().c_str(), (app / L"Uninstall.exe").c_str(), FALSE));
        command = Quote(app / L"Uninstall.exe");
    }
    const auto before = ListTree(app.Path());

    ProgramResult result = RunProgram(command, 15000);

    ASSERT_TRUE(result.finished) << "a box would keep it waiting";
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(ListTree(app.Path()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, SilentExit,
                         testing::Values(SilentCase{"missing_folder",
                                                    [](AppFolder& app) { return app / L"gone"; }},
                                         SilentCase{"no_settings_file",
                                                    [](AppFolder& app) {
                                                        DeleteFileW((app / L"kxapp.ini").c_str());
                                                        return app.Path();
                                                    }},
                                         SilentCase{"empty_app_name",
                                                    [](AppFolder& app) {
                                                        app.SetValue(L"appname", L"");
                                                        return app.Path();
                                                    }},
                                         SilentCase{"started_inside_without_app_name",
                                                    [](AppFolder& app) {
                                                        app.SetValue(L"appname", L"");
                                                        return std::wstring();
                                                    }}),
                         [](const testing::TestParamInfo<SilentCase>& info) { return info.param.name; });

}  // namespace
