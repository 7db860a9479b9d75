// Update as the launch calls it, against nginx serving deployments made by nimbo-publish: the
// result of each configuration step that fails, the windows it shows or does not show, and the
// named mutexes that put runs one after another.
#include <gtest/gtest.h>

#include <thread>

#include "catalog.h"
#include "engine/update.h"
#include "nimbo/names.h"
#include "run_fixture.h"
#include "scwconv.h"

namespace {

using namespace NimboNS;
using run_test::RunFixture;

std::string Utf8(const std::wstring& text) {
    return WideToUtf8(text);
}

bool Contains(const std::string& text, const std::wstring& part) {
    return text.find(Utf8(part)) != std::string::npos;
}

struct UpdateRun : ::testing::Test, RunFixture {};

TEST_F(UpdateRun, FirstInstallSucceedsAndTheWindowClosesByItself) {
    ASSERT_TRUE(deployment.PublishStandard());
    ASSERT_TRUE(Serve());
    EXPECT_EQ(RunUpdate(AppUrl()), 0) << Log();
    EXPECT_TRUE(LastSeen().shown);
    EXPECT_TRUE(LastSeen().closedByItself);
    EXPECT_EQ(LastSeen().title, L"Sales");
    EXPECT_EQ(nimbo_test::ReadFileText(AppFolder() + L"\\app.exe"), "program 1.0.0");
    EXPECT_TRUE(Contains(Log(), GetLocalizedMessage(msg::kAppUpdating)));
}

// Each step that fails ends the run with its code and shows the log; the user closes the window.
TEST(RunSteps, EachFailingStepGivesItsResultAndShowsTheLog) {
    struct Case {
        const char* name;
        std::function<void(RunFixture&)> arrange;
        std::function<std::wstring(RunFixture&)> url;
        int result;
        const wchar_t* caption;
        std::wstring logged;
    };
    const Case cases[] = {
        {"url", [](RunFixture&) {}, [](RunFixture&) { return std::wstring(L"ftp://127.0.0.1/Sales"); },
         IUpdate::kParseUrlFailed, L"",
         FormatWide(GetLocalizedMessage(msg::kParseUrlFailed), L"ftp://127.0.0.1/Sales")},
        {"folders",
         [](RunFixture& f) {
             // The home folder lies below a file: it can never be made.
             nimbo_test::WriteFileText(f.Home() + L"\\file", "x");
             config_test::RegistryScope::SetHome(HKEY_CURRENT_USER, f.Home() + L"\\file\\home");
         },
         [](RunFixture& f) { return f.AppUrl(); }, IUpdate::kPrepareFoldersFailed, L"",
         L"Failed to create the directory"},
        {"local config",
         [](RunFixture& f) {
             CreateDirectoryW((f.Home() + L"\\Applications").c_str(), nullptr);
             CreateDirectoryW(f.AppFolder().c_str(), nullptr);
             nimbo_test::WriteFileText(f.AppFolder() + L"\\appconfig.json", "not an encrypted document");
         },
         [](RunFixture& f) { return f.AppUrl(); }, IUpdate::kLoadLocalConfigFailed, L"",
         L"Failed to load the local config file."},
        {"server", [](RunFixture&) {}, [](RunFixture& f) { return f.AppUrl(L"Nothing"); },
         IUpdate::kCheckServerFailed, L"", L"No application was found at the web address"},
        {"deploy list",
         [](RunFixture& f) { DeleteFileW((f.deployment.Folder() + L"\\Sales\\deploylist.ini.zip").c_str()); },
         [](RunFixture& f) { return f.AppUrl(); }, IUpdate::kConfigDocumentFailed, L"Config progress",
         L"Failed to download the config file"},
        {"launcher",
         [](RunFixture& f) {
             DeleteFileW((f.deployment.Folder() + L"\\NimboPublisher\\NimboInstall 22.0\\LauncherSetup.json")
                             .c_str());
         },
         [](RunFixture& f) { return f.AppUrl(); }, IUpdate::kLauncherUpdateFailed, L"Launcher progress",
         L"LauncherSetup.json"},
        {"runtime manifest",
         [](RunFixture& f) {
             DeleteFileW(
                 (f.deployment.Folder() + L"\\NimboPublisher\\runtime\\22.3.0.1\\manifest.json").c_str());
         },
         [](RunFixture& f) { return f.AppUrl(); }, IUpdate::kConfigDocumentFailed, L"Runtime progress",
         GetLocalizedMessage(msg::kParseRuntimeConfigFailed)},
        {"runtime file",
         [](RunFixture& f) {
             DeleteFileW(
                 (f.deployment.Folder() + L"\\NimboPublisher\\runtime\\22.3.0.1\\core\\core.dll").c_str());
         },
         [](RunFixture& f) { return f.AppUrl(); }, IUpdate::kRuntimeUpdateFailed, L"Runtime progress",
         GetLocalizedMessage(msg::kUpdateRuntimeFailed)},
        {"app file",
         [](RunFixture& f) {
             DeleteFileW((f.deployment.Folder() + L"\\Sales\\1.0.0\\bin\\a.dll.zip").c_str());
         },
         [](RunFixture& f) { return f.AppUrl(); }, IUpdate::kAppUpdateFailed, L"Application progress",
         GetLocalizedMessage(msg::kUpdateAppFailed)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunFixture f;
        ASSERT_TRUE(f.deployment.PublishStandard());
        ASSERT_TRUE(f.Serve());
        c.arrange(f);
        EXPECT_EQ(f.RunUpdate(c.url(f)), c.result) << f.Log();
        const run_test::Seen& seen = f.LastSeen();
        EXPECT_TRUE(seen.shown);
        EXPECT_TRUE(seen.paneShown);
        // The pane fills the 165 pixels the window grew by, below the 348 of the progress area.
        EXPECT_EQ(seen.clientHeight, 348 + 165);
        EXPECT_EQ(seen.pane.top, 348);
        EXPECT_EQ(seen.pane.bottom, 348 + 165);
        EXPECT_EQ(seen.caption, c.caption);
        EXPECT_NE(seen.paneText.find(c.logged), std::wstring::npos) << Utf8(seen.paneText);
    }
}

TEST_F(UpdateRun, ConnectWithTheServerGoneStartsTheInstalledVersionWithoutAWindow) {
    ASSERT_TRUE(deployment.PublishStandard(R"(, "StartMode": "Connect")"));
    ASSERT_TRUE(Serve());
    const std::wstring url = AppUrl();
    ASSERT_EQ(RunUpdate(url), 0) << Log();
    StopServer();
    EXPECT_EQ(RunUpdate(url), 0) << Log();
    EXPECT_FALSE(LastSeen().shown);
}

TEST_F(UpdateRun, NeverWithoutExpiryCheckAsksTheServerNothing) {
    ASSERT_TRUE(deployment.PublishStandard(R"(, "StartMode": "Never")"));
    ASSERT_TRUE(Serve());
    ASSERT_EQ(RunUpdate(AppUrl()), 0) << Log();
    const int before = Requests("GET ") + Requests("HEAD ");
    EXPECT_EQ(RunUpdate(AppUrl()), 0) << Log();
    EXPECT_FALSE(LastSeen().shown);
    EXPECT_EQ(Requests("GET ") + Requests("HEAD "), before);
}

TEST_F(UpdateRun, DeclinedVersionPromptEndsQuietlyWithoutAWindow) {
    ASSERT_TRUE(deployment.PublishStandard());
    ASSERT_TRUE(Serve());
    ASSERT_EQ(RunUpdate(AppUrl()), 0) << Log();
    ASSERT_TRUE(deployment.PublishApp("Sales", "1.1.0", run_test::StandardFiles("1.1.0")));
    // The newer-version prompt is answered No: the installed version stays, the run goes on.
    std::thread answer([] {
        HWND box = run_test::WaitForProcessWindow(0, L"#32770", L"Information");
        if (box != nullptr) nimbo_test::PressButton(box, IDNO);
    });
    EXPECT_EQ(RunUpdate(AppUrl()), 0) << Log();
    answer.join();
    EXPECT_EQ(nimbo_test::ReadFileText(AppFolder() + L"\\app.exe"), "program 1.0.0");
    // Withdrawn now, the installed version asks to upgrade; Cancel ends the run with no window.
    ASSERT_TRUE(run_test::Publish(L"schedule --deployment " + nimbo_test::Quote(deployment.Folder()) +
                                  L" --app Sales --version 1.0.0 --offline now"));
    std::thread cancel([] {
        HWND box = run_test::WaitForProcessWindow(0, L"#32770", L"Information");
        if (box != nullptr) nimbo_test::PressButton(box, IDCANCEL);
    });
    EXPECT_EQ(RunUpdate(AppUrl()), IUpdate::kConfigDocumentFailed) << Log();
    cancel.join();
    EXPECT_FALSE(LastSeen().shown);
}

// Holds a named mutex on another thread until released.
class Holder {
public:
    explicit Holder(const std::wstring& name) {
        thread_ = std::thread([this, name] {
            HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
            WaitForSingleObject(mutex, INFINITE);
            held_ = true;
            WaitForSingleObject(release_, INFINITE);
            ReleaseMutex(mutex);
            CloseHandle(mutex);
        });
        while (!held_) Sleep(5);
    }
    ~Holder() { Release(); }
    void Release() {
        SetEvent(release_);
        if (thread_.joinable()) thread_.join();
    }

private:
    HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> held_{false};
    std::thread thread_;
};

TEST(RunSteps, EachNamedMutexHoldsBackItsStepUntilReleased) {
    struct Case {
        std::function<std::wstring(RunFixture&)> name;
        const char* notYet;   // a request the run must not make while the mutex is held
        const char* already;  // a request it makes before (null: none)
    };
    const Case cases[] = {
        {[](RunFixture& f) { return f.AppUrl(); }, "HEAD /Sales", nullptr},
        {[](RunFixture&) { return std::wstring(names::kLauncherDownloadMutex); }, "LauncherSetup.json",
         "appconfig.json.zip"},
        {[](RunFixture&) { return std::wstring(L"22.3.0.1"); }, "manifest.json", "LauncherSetup.json"},
        {[](RunFixture&) { return std::wstring(L"Sales"); }, "app.exe.zip", "core.dll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notYet);
        RunFixture f;
        ASSERT_TRUE(f.deployment.PublishStandard());
        ASSERT_TRUE(f.Serve());
        auto holder = std::make_unique<Holder>(c.name(f));
        int result = -100;
        std::thread run([&f, &result] { result = f.RunUpdate(f.AppUrl()); });
        if (c.already != nullptr) {
            for (int i = 0; i < 300 && f.Requests(c.already) == 0; ++i) Sleep(50);
            EXPECT_GT(f.Requests(c.already), 0);
        }
        Sleep(1500);
        EXPECT_EQ(f.Requests(c.notYet), 0) << f.ServerLog();
        holder->Release();
        run.join();
        EXPECT_EQ(result, 0) << f.Log();
        EXPECT_GT(f.Requests(c.notYet), 0);
    }
}

}  // namespace
