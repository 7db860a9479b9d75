// Version decisions of installed apps against published deployments, with the prompts shown as
// real message boxes and answered the way a person would.
#include <gtest/gtest.h>

#include <future>
#include <memory>

#include "catalog.h"
#include "encrypted_document.h"
#include "published_deployment.h"
#include "testserver.h"

using namespace NimboNS;
using namespace config_test;
using nimbo_test::TempFolder;
using nimbo_test::TestServer;

namespace {

BOOL CALLBACK FindOwnBox(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[32] = {}, title[64] = {};
    GetClassNameW(window, className, 32);
    GetWindowTextW(window, title, 64);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window) || wcscmp(className, L"#32770") != 0 ||
        wcscmp(title, L"Information") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// A visible message box of this process with the caption "Information" (other programs may show
// boxes on the same display).
HWND WaitForOwnBox(DWORD timeoutMs = 20000) {
    HWND found = nullptr;
    for (DWORD waited = 0; waited < timeoutMs && found == nullptr; waited += 100) {
        EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&found));
        if (found == nullptr) Sleep(100);
    }
    return found;
}

class InstalledApp : public testing::Test {
protected:
    void SetUp() override {
        server_ = std::make_unique<TestServer>("nginxserve.py", deployment_.path());
        ASSERT_TRUE(server_->Ready());
    }
    std::wstring Url(const std::wstring& app) { return server_->Url(L"/" + app); }

    // Installs the newest online version of `app` as a first installation would.
    void Install(const std::wstring& app) {
        ConfiguredRun first(Url(app));
        ASSERT_EQ(first.config.LoadLocalConfig(), 0);
        ASSERT_EQ(first.config.CheckForUpdate(), 0) << first.Log();
        ASSERT_TRUE(first.Install());
    }

    PrivateHome home_;
    TempFolder deployment_;
    std::unique_ptr<TestServer> server_;
};

TEST_F(InstalledApp, SameVersionStaysSameUntilItIsRepublished) {
    ASSERT_TRUE(PublishApp(deployment_.path(), "Guid", "1.0.0"));
    Install(L"Guid");

    ConfiguredRun same(Url(L"Guid"));
    ASSERT_EQ(same.config.LoadLocalConfig(), 0);
    EXPECT_EQ(same.config.updateType, SameVersion);
    EXPECT_EQ(same.config.version, L"1.0.0");
    ASSERT_EQ(same.config.CheckForUpdate(), 0);
    EXPECT_EQ(same.config.updateType, SameVersion);
    EXPECT_TRUE(
        same.Logged(L"App version: 1.0.0, update strategy[Always,Connect,Never]: 0, update "
                    L"type[FirstDownLoad,SameVersion,AcrossVersion]: 1.\n"))
        << same.Log();

    ASSERT_TRUE(PublishApp(deployment_.path(), "Guid", "1.0.0"));  // a new UpdateGuid
    ConfiguredRun republished(Url(L"Guid"));
    ASSERT_EQ(republished.config.LoadLocalConfig(), 0);
    ASSERT_EQ(republished.config.CheckForUpdate(), 0);
    EXPECT_EQ(republished.config.updateType, AcrossVersion);
    EXPECT_EQ(republished.config.version, L"1.0.0");
}

TEST_F(InstalledApp, NeverWithoutTheCheckAsksTheServerNothing) {
    ASSERT_TRUE(PublishApp(deployment_.path(), "Quiet", "1.0.0", R"(, "StartMode": "Never")"));
    Install(L"Quiet");
    const size_t before = server_->Log().size();

    ConfiguredRun run(Url(L"Quiet"));
    ASSERT_EQ(run.config.LoadLocalConfig(), 0);
    EXPECT_EQ(run.config.startMode, Never);
    EXPECT_EQ(run.config.isVerOffCheck, 0);
    EXPECT_EQ(run.config.CheckServer(), 1);
    ASSERT_EQ(run.config.CheckForUpdate(), 0);
    EXPECT_TRUE(
        run.Logged(L"App version: 1.0.0, update strategy[Always,Connect,Never]: 1, update "
                   L"type[FirstDownLoad,SameVersion,AcrossVersion]: 1.\n"))
        << run.Log();
    const std::string requests = server_->Log().substr(before);
    EXPECT_EQ(requests.find("deploylist"), std::string::npos) << requests;
    EXPECT_EQ(requests.find("appconfig.json.zip"), std::string::npos) << requests;
}

// The installed version was withdrawn while a newer one is online: the user is asked.
TEST_F(InstalledApp, AnExpiredVersionIsUpgradedOnlyWhenTheUserAgrees) {
    ASSERT_TRUE(PublishApp(deployment_.path(), "Expiry", "1.0.0"));
    Install(L"Expiry");
    ASSERT_TRUE(PublishApp(deployment_.path(), "Expiry", "2.0.0"));
    ASSERT_TRUE(Publish(L"schedule --deployment " + nimbo_test::Quote(deployment_.path()) +
                        L" --app Expiry --version 1.0.0 --offline now"));
    Sleep(1100);  // the withdrawal second is over

    for (int answer : {IDCANCEL, IDOK}) {
        ConfiguredRun run(Url(L"Expiry"));
        ASSERT_EQ(run.config.LoadLocalConfig(), 0);
        auto check = std::async(std::launch::async, [&] { return run.config.CheckForUpdate(); });
        HWND box = WaitForOwnBox();
        ASSERT_NE(box, nullptr) << run.Log();
        EXPECT_NE(nimbo_test::DialogText(box).find(GetLocalizedMessage(msg::kLocalExpiredAskUpgrade)),
                  std::wstring::npos);
        if (answer == IDCANCEL) {
            Sleep(500);  // let the box paint its text
            nimbo_test::TakeScreenshot(L"config_expired_prompt");
        }
        ASSERT_TRUE(nimbo_test::PressButton(box, answer));
        const int result = check.get();

        if (answer == IDCANCEL) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(run.config.reportFailure, 0) << "the user declined: no further error report";
            EXPECT_EQ(run.config.version, L"1.0.0");
            EXPECT_TRUE(run.Logged(L"The app cannot run, because the local version is expired.\n"))
                << run.Log();
        } else {
            EXPECT_EQ(result, 0) << run.Log();
            EXPECT_EQ(run.config.version, L"2.0.0");
            EXPECT_EQ(run.config.updateType, AcrossVersion);
            EXPECT_EQ(run.config.GetStartupFile(), L"app.exe");
            EXPECT_TRUE(
                run.Logged(L"Current server version: 2.0.0; latest version: 2.0.0, minimum compatible "
                           L"version: 1.0.0.\n"))
                << run.Log();
            EXPECT_TRUE(run.Logged(L"The config file " + run.config.appUrl +
                                   L"/2.0.0/appconfig.json.zip is downloaded successfully.\n"));
        }
    }
}

TEST_F(InstalledApp, ANewerVersionIsOfferedWithYesAndNo) {
    ASSERT_TRUE(PublishApp(deployment_.path(), "Newer", "1.0.0"));
    Install(L"Newer");
    ASSERT_TRUE(PublishApp(deployment_.path(), "Newer", "1.1.0"));

    for (const wchar_t* button : {L"No", L"Yes"}) {
        ConfiguredRun run(Url(L"Newer"));
        ASSERT_EQ(run.config.LoadLocalConfig(), 0);
        auto check = std::async(std::launch::async, [&] { return run.config.CheckForUpdate(); });
        HWND box = WaitForOwnBox();
        ASSERT_NE(box, nullptr) << run.Log();
        EXPECT_NE(nimbo_test::DialogText(box).find(GetLocalizedMessage(msg::kNewerVersionAskUpgrade)),
                  std::wstring::npos);
        ASSERT_TRUE(nimbo_test::PressButtonByText(box, button));
        EXPECT_EQ(check.get(), 0) << run.Log();
        const bool yes = wcscmp(button, L"Yes") == 0;
        EXPECT_EQ(run.config.version, yes ? L"1.1.0" : L"1.0.0");
        EXPECT_EQ(run.config.updateType, yes ? AcrossVersion : SameVersion);
    }
}

struct HostileDocumentCase {
    const char* name;
    const char* members;
    const wchar_t* logged;
};

class HostileServerDocument : public InstalledApp, public testing::WithParamInterface<HostileDocumentCase> {};

// A server document naming files outside the app folder stops the update before any download.
TEST_P(HostileServerDocument, StopsTheUpdateCheck) {
    const HostileDocumentCase& c = GetParam();
    ASSERT_TRUE(PublishApp(deployment_.path(), "Evil", "1.0.0"));
    ASSERT_TRUE(WriteConfigDocument(deployment_ / L"Evil\\1.0.0\\appconfig.json.zip",
                                    std::string(R"({"StartupFile": "app.exe", "RuntimeVersion": "22.3.0.1",
        "PredownloadFiles": [{"Name": "app.exe", "Path": "", "HashCode": "h"},
                             {"Name": "assets.zip", "Path": "", "Extractable": true, "HashCode": "p"}])") +
                                        c.members + "}"));
    ConfiguredRun run(Url(L"Evil"));
    ASSERT_EQ(run.config.LoadLocalConfig(), 0);
    EXPECT_EQ(run.config.CheckForUpdate(), 1);
    EXPECT_TRUE(run.Logged(std::wstring(L" ERROR [")) && run.Logged(c.logged)) << run.Log();
    EXPECT_FALSE(run.Logged(L"App version: ")) << "the check stops before its summary";
}

const HostileDocumentCase kHostileDocuments[] = {
    {"InstantFileAboveTheAppFolder",
     R"(, "InstantDownloadFiles": [{"Name": "evil.dll", "Path": "..\\..\\Windows", "HashCode": "h"}])",
     L"The path (..\\..\\Windows\\evil.dll) is invalid.\n"},
    {"PackageContentOnAnotherDrive",
     R"(, "Packages": {"assets.zip": [{"Name": "evil.dll", "Path": "D:\\", "HashCode": "h"}]})",
     L"The path (D:\\\\evil.dll) is invalid.\n"},
    {"RegisteredComponentAbove", R"(, "RegisterFiles": ["..\\evil.ocx"])",
     L"The path (..\\evil.ocx) is invalid.\n"},
};

INSTANTIATE_TEST_SUITE_P(Table, HostileServerDocument, testing::ValuesIn(kHostileDocuments),
                         [](const testing::TestParamInfo<HostileDocumentCase>& info) {
                             return info.param.name;
                         });

}  // namespace
