#include <gtest/gtest.h>

#include "nimbo/names.h"
#include "start/startpipes.h"
#include "start_fixture.h"

// The start of real programs: the command line, the standard handles, the ready event named
// with this process's id, the cookie hand-over file, the welcome window and the start lock.
namespace {

using namespace NimboNS;
using namespace stage_test;
using namespace start_test;
using Outcome = CAppStart::Outcome;

class AppStart : public testing::Test {
protected:
    void SetUp() override {
        settings->appFolder = folders.app;
        settings->startFile = L"stage_app.exe";
        ASSERT_TRUE(
            CopyProgram(nimbo_test::TestsFolder() + L"\\stage_app.exe", folders.app + L"\\stage_app.exe"));
        // The launcher's welcome picture beside the host program.
        CopyProgram(nimbo_test::BinFolder() + L"\\loading_ica.gif", folders.host + L"\\loading_ica.gif");
        log->Attach(&config);
    }
    void TearDown() override {
        if (start) EndProcess(start->processId());
        for (const std::wstring& name : cookies.exported)
            if (!name.empty()) DeleteFileW(HandOverFile(name).c_str());
    }
    CAppStart& Start(int adminInstalled = 0) {
        start = std::make_unique<CAppStart>(settings, log, adminInstalled, TestEnvironment(folders, shown));
        return *start;
    }
    void SetShowStartPage(const wchar_t* value) {
        WritePrivateProfileStringW(L"dwcenter", L"showStartPage", value,
                                   (folders.app + L"\\kxapp.ini").c_str());
    }
    std::wstring AppReport() { return ReadUtf16(folders.app + L"\\stage_app.txt"); }
    static std::wstring ReadUtf16(const std::wstring& path) {
        const std::string bytes = nimbo_test::ReadFileText(path);
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    }

    StageFolders folders;
    FakeConfig config;
    std::shared_ptr<LaunchSettings> settings = std::make_shared<LaunchSettings>();
    std::shared_ptr<LaunchLog> log = std::make_shared<LaunchLog>();
    std::shared_ptr<std::vector<ShownMessage>> shown = std::make_shared<std::vector<ShownMessage>>();
    RecordingCookies cookies;
    std::unique_ptr<CAppStart> start;
};

TEST_F(AppStart, TheAppReadsTheReadyEventNameFromItsInputAndSignalsIt) {
    settings->arguments = L"-wait=200 p=1";
    cookies.SetCookieText(L"a=1", 1);
    Start().StartApp(&cookies);
    EXPECT_EQ(start->outcome(), Outcome::Ready);
    const std::wstring report = AppReport();
    EXPECT_NE(report.find(L"event=" + ReadyEventName() + L"\n"), std::wstring::npos) << report;
    EXPECT_NE(report.find(L"signalled\n"), std::wstring::npos) << report;
    ASSERT_EQ(cookies.exported.size(), 1u);
    EXPECT_NE(report.find(L"commandline=stage_app.exe -wait=200 p=1 -cookies " + cookies.exported[0] + L"\n"),
              std::wstring::npos)
        << report;
    EXPECT_EQ(ReadyEventName(), names::kReadyEventPrefix + std::to_wstring(GetCurrentProcessId()));
    EXPECT_TRUE(config.Logged(L"The app signalled that it is ready."));
}

TEST_F(AppStart, WithoutCookiesTheCommandLineHasNoCookieOption) {
    Start().StartApp(&cookies);
    EXPECT_EQ(start->outcome(), Outcome::Ready);
    EXPECT_NE(AppReport().find(L"commandline=stage_app.exe\n"), std::wstring::npos) << AppReport();
}

TEST_F(AppStart, AProgramNameWithASpaceIsQuoted) {
    ASSERT_TRUE(CopyProgram(folders.app + L"\\stage_app.exe", folders.app + L"\\Stage App.exe"));
    settings->startFile = L"Stage App.exe";
    settings->arguments = L"-x";
    Start().StartApp(&cookies);
    EXPECT_NE(AppReport().find(L"commandline=\"Stage App.exe\" -x\n"), std::wstring::npos) << AppReport();
}

TEST_F(AppStart, TheWelcomeWindowStaysUntilTheAppSignals) {
    settings->arguments = L"-wait=4000";
    StartThread thread([&] { Start().StartApp(&cookies); });
    HWND welcome = nimbo_test::WaitForWindow(L"KxNimboWelcome", L"Welcome", 10000);
    ASSERT_NE(welcome, nullptr);
    Sleep(500);  // a few frames of the animation
    RECT rect{};
    GetWindowRect(welcome, &rect);
    EXPECT_EQ(rect.right - rect.left, 425);
    EXPECT_EQ(rect.bottom - rect.top, 240);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 425) / 2, rect.left);
    EXPECT_TRUE(GetWindowLongW(welcome, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(nimbo_test::TakeScreenshot(L"welcome_window").empty());
    ASSERT_TRUE(thread.Join(30000));
    EXPECT_EQ(start->outcome(), Outcome::Ready);
    EXPECT_FALSE(IsWindow(welcome));
}

TEST_F(AppStart, AnAppThatEndsWithoutSignallingEndsTheWait) {
    settings->arguments = L"-exit=0";
    StartThread thread([&] { Start().StartApp(&cookies); });
    ASSERT_TRUE(thread.Join(30000));
    EXPECT_EQ(start->outcome(), Outcome::Ended);
    EXPECT_TRUE(config.Logged(L"The app ended before it signalled that it is ready."));
}

TEST_F(AppStart, ClosingTheWelcomeWindowEndsTheWait) {
    settings->arguments = L"-nosignal -stay=30000";
    StartThread thread([&] { Start().StartApp(&cookies); });
    HWND welcome = nimbo_test::WaitForWindow(L"KxNimboWelcome", L"Welcome", 10000);
    ASSERT_NE(welcome, nullptr);
    PostMessageW(welcome, WM_CLOSE, 0, 0);
    ASSERT_TRUE(thread.Join(30000));
    EXPECT_EQ(start->outcome(), Outcome::Closed);
}

TEST_F(AppStart, WithoutTheStartPageNoWindowIsShown) {
    SetShowStartPage(L"0");
    settings->arguments = L"-wait=1500";
    StartThread thread([&] { Start().StartApp(&cookies); });
    EXPECT_EQ(nimbo_test::WaitForWindow(L"KxNimboWelcome", L"", 1000), nullptr);
    ASSERT_TRUE(thread.Join(30000));
    EXPECT_EQ(start->outcome(), Outcome::Idle);
}

TEST_F(AppStart, AnAppThatWritesMoreThanThePipeHoldsIsNotStopped) {
    settings->arguments = L"-spam=1048576";
    StartThread thread([&] { Start().StartApp(&cookies); });
    ASSERT_TRUE(thread.Join(60000)) << "the app stopped on its full output pipe";
    EXPECT_EQ(start->outcome(), Outcome::Ready);
    EXPECT_NE(AppReport().find(L"spammed\n"), std::wstring::npos);
}

TEST_F(AppStart, AFailedStartTellsAMachineWideUserWhy) {
    const struct {
        int adminInstalled;
        bool programExists;
        size_t messages;
    } cases[] = {{1, true, 1}, {0, true, 0}, {1, false, 0}};
    for (const auto& c : cases) {
        shown->clear();
        settings->startFile = c.programExists ? L"notaprogram.exe" : L"missing.exe";
        nimbo_test::WriteFileText(folders.app + L"\\notaprogram.exe", "this is text");
        cookies.SetCookieText(L"a=1", static_cast<unsigned>(cookies.exported.size() + 2));
        Start(c.adminInstalled).StartApp(&cookies);
        EXPECT_EQ(start->outcome(), Outcome::StartFailed);
        ASSERT_EQ(shown->size(), c.messages) << c.adminInstalled << c.programExists;
        if (c.messages) {
            EXPECT_NE(shown->at(0).text.find(L"lack permission to run the app .exe"), std::wstring::npos);
            EXPECT_EQ(shown->at(0).caption, L"Error");
            EXPECT_EQ(shown->at(0).flags, static_cast<UINT>(MB_ICONERROR | MB_SYSTEMMODAL));
        }
        // The hand-over file of a start that did not happen is not left behind.
        ASSERT_FALSE(cookies.exported.empty());
        EXPECT_FALSE(nimbo_test::FileExists(HandOverFile(cookies.exported.back())));
    }
    EXPECT_TRUE(config.Logged(L"Failed to start the app"));
}

TEST_F(AppStart, ACommandLineThatWouldNotFitIsRefused) {
    settings->startFile = std::wstring(1010, L's') + L".exe";
    cookies.SetCookieText(L"a=1", 1);
    Start().StartApp(&cookies);
    EXPECT_EQ(start->outcome(), Outcome::Refused);
    EXPECT_EQ(start->processId(), 0u);
    EXPECT_TRUE(config.Logged(L"command line would be longer than 1024 characters"));
    ASSERT_EQ(cookies.exported.size(), 1u);
    EXPECT_FALSE(nimbo_test::FileExists(HandOverFile(cookies.exported[0])));
}

TEST_F(AppStart, StartsInTheSessionWaitForEachOther) {
    Handle lock(CreateMutexW(nullptr, FALSE, names::kAppStartMutex));
    ASSERT_EQ(WaitForSingleObject(lock.get(), 5000), WAIT_OBJECT_0);
    StartThread thread([&] { Start().StartApp(&cookies); });
    EXPECT_FALSE(thread.Join(1500));
    EXPECT_FALSE(nimbo_test::FileExists(folders.app + L"\\stage_app.txt"));
    ReleaseMutex(lock.get());
    ASSERT_TRUE(thread.Join(30000));
    EXPECT_EQ(start->outcome(), Outcome::Ready);
}

TEST_F(AppStart, AStartWithoutAFolderOrProgramDoesNothing) {
    settings->appFolder.clear();
    Start().StartApp(&cookies);
    EXPECT_EQ(start->outcome(), Outcome::Refused);
    EXPECT_TRUE(cookies.exported.empty());
}

}  // namespace
