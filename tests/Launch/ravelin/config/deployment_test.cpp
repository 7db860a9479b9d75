// The server check and the deployment documents against deployments written by nimbo-publish,
// served by nginx, and against the fault server and a port where nothing listens.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "catalog.h"
#include "published_deployment.h"
#include "testserver.h"

using namespace NimboNS;
using namespace config_test;
using nimbo_test::TempFolder;
using nimbo_test::TestServer;

namespace {

enum class Server { Nginx, Refused, Stalling, SlowToAnswer };
enum class App { Intact, NoApprun, BadApprun, NoList, BadList, Missing };

// What the deployment folder holds for each kind of app; only the app a test needs is published.
::testing::AssertionResult PrepareApp(const std::wstring& deployment, App app, std::wstring& name) {
    const char* names[] = {"Sales", "NoApprun", "BadApprun", "NoList", "BadList", "Missing"};
    name = Utf8ToWide(names[static_cast<int>(app)]);
    if (app == App::Missing) return ::testing::AssertionSuccess();
    auto published =
        PublishApp(deployment, names[static_cast<int>(app)], "1.0.0",
                   R"(, "DeploymentUrls": {"web_api": "https://api.example/v1", "runtime": "rt/custom/",
                                    "launcher": "HTTPS://cdn.example/launcher/"})");
    if (!published) return published;
    const std::wstring folder = deployment + L"\\" + name;
    switch (app) {
        case App::NoApprun:
            DeleteFileW((folder + L"\\apprun.json").c_str());
            break;
        case App::BadApprun:
            nimbo_test::WriteFileText(folder + L"\\apprun.json", "launcher=somewhere\n");
            break;
        case App::NoList:
            DeleteFileW((folder + L"\\deploylist.ini.zip").c_str());
            break;
        case App::BadList:
            nimbo_test::WriteFileText(folder + L"\\deploylist.ini.zip",
                                      "[Public]\r\nMinimumValidVersion=1.0.0\r\n");
            break;
        default:
            break;
    }
    return ::testing::AssertionSuccess();
}

class Deployment : public testing::Test {
protected:
    // The app URL of `app` on `server`.
    std::wstring AppUrl(Server server, App app) {
        std::wstring name;
        EXPECT_TRUE(PrepareApp(deployment_.path(), app, name));
        switch (server) {
            case Server::Nginx:
                if (!nginx_) nginx_ = std::make_unique<TestServer>("nginxserve.py", deployment_.path());
                EXPECT_TRUE(nginx_->Ready());
                return nginx_->Url(L"/" + name);
            case Server::Stalling:
            case Server::SlowToAnswer:
                if (!faults_) faults_ = std::make_unique<TestServer>("faultserver.py", deployment_.path());
                EXPECT_TRUE(faults_->Ready());
                // A stalled body times out a download; a probe needs the headers to be late.
                return faults_->Url(server == Server::Stalling ? L"/stall/" + name : L"/slow/5000");
            case Server::Refused:
                break;
        }
        return L"http://127.0.0.1:" + std::to_wstring(RefusingPort()) + L"/" + name;
    }

    PrivateHome home_;
    TempFolder deployment_;
    std::unique_ptr<TestServer> nginx_, faults_;
};

enum class Expect { Nothing, ApprunNotFound, ListNotFound, ListBadFormat, ApprunRefused, ApprunTimedOut };

struct FailureCase {
    const char* name;
    Server server;
    App app;
    const wchar_t* runtimeVersion;  // of the installed app, for the old-server rule
    int startMode;
    int result;
    Expect logged;
};

// The error line a case must leave in the log, or empty.
std::wstring ExpectedError(const FailureCase& c, const CUpdateConfig& config) {
    const std::wstring apprun = config.appUrl + L"/apprun.json";
    const std::wstring list = config.appUrl + L"/deploylist.ini.zip";
    const std::wstring download = L"Failed to download the config file ";
    switch (c.logged) {
        case Expect::ApprunNotFound:
            return download + apprun + L"; ErrorCode: 404; Error: ";
        case Expect::ListNotFound:
            return download + list + L"; ErrorCode: 404; Error: ";
        case Expect::ListBadFormat:
            return L"The server config file has an incorrect file format (" + list + L").\n";
        case Expect::ApprunRefused:
            return download + apprun +
                   L"; ErrorCode: 12029; Error: Failed to connect to the server for the operation.";
        case Expect::ApprunTimedOut:
            return download + apprun + L"; ErrorCode: 12002; Error: The operation has timed out.";
        case Expect::Nothing:
            break;
    }
    return L"";
}

const FailureCase kFailures[] = {
    {"IntactAlways", Server::Nginx, App::Intact, L"", Always, 0, Expect::Nothing},
    {"IntactConnect", Server::Nginx, App::Intact, L"", Connect, 0, Expect::Nothing},
    {"IntactNeverWithCheck", Server::Nginx, App::Intact, L"", Never, 0, Expect::Nothing},
    {"ApprunMissingOnOldServer", Server::Nginx, App::NoApprun, L"22.1.0.2559", Always, 0, Expect::Nothing},
    {"ApprunMissingTextuallyOlderRuntime", Server::Nginx, App::NoApprun, L"22.0.0.1", Always, 0,
     Expect::Nothing},
    {"ApprunMissingFirstInstall", Server::Nginx, App::NoApprun, L"", Always, 0, Expect::Nothing},
    {"ApprunMissingNewServerAlways", Server::Nginx, App::NoApprun, L"22.2.0.1", Always, 1,
     Expect::ApprunNotFound},
    {"ApprunMissingTextuallyNewerRuntime", Server::Nginx, App::NoApprun, L"3.0", Always, 1,
     Expect::ApprunNotFound},
    {"ApprunMissingNewServerNever", Server::Nginx, App::NoApprun, L"22.2.0.1", Never, 0,
     Expect::ApprunNotFound},
    {"ApprunMissingNewServerConnect", Server::Nginx, App::NoApprun, L"22.2.0.1", Connect, 0,
     Expect::ApprunNotFound},
    {"ApprunNotJsonAlways", Server::Nginx, App::BadApprun, L"", Always, 0, Expect::Nothing},
    {"ApprunNotJsonConnect", Server::Nginx, App::BadApprun, L"", Connect, 0, Expect::Nothing},
    {"DeployListMissingAlways", Server::Nginx, App::NoList, L"", Always, 1, Expect::ListNotFound},
    {"DeployListMissingNever", Server::Nginx, App::NoList, L"", Never, 0, Expect::ListNotFound},
    {"DeployListMissingConnect", Server::Nginx, App::NoList, L"", Connect, 0, Expect::ListNotFound},
    {"DeployListWithoutVersionsAlways", Server::Nginx, App::BadList, L"", Always, 1, Expect::ListBadFormat},
    {"DeployListWithoutVersionsNever", Server::Nginx, App::BadList, L"", Never, 0, Expect::ListBadFormat},
    {"DeployListWithoutVersionsConnect", Server::Nginx, App::BadList, L"", Connect, 1, Expect::ListBadFormat},
    {"RefusedAlways", Server::Refused, App::Missing, L"", Always, 1, Expect::ApprunRefused},
    {"RefusedNever", Server::Refused, App::Missing, L"", Never, 0, Expect::ApprunRefused},
    {"RefusedConnect", Server::Refused, App::Missing, L"", Connect, 0, Expect::ApprunRefused},
    {"TimedOutAlways", Server::Stalling, App::Intact, L"", Always, 1, Expect::ApprunTimedOut},
    {"TimedOutNever", Server::Stalling, App::Intact, L"", Never, 0, Expect::ApprunTimedOut},
    {"TimedOutConnect", Server::Stalling, App::Intact, L"", Connect, 1, Expect::ApprunTimedOut},
};

class UpdateCheck : public Deployment, public testing::WithParamInterface<FailureCase> {};

TEST_P(UpdateCheck, FollowsTheStrategyOnFailures) {
    const FailureCase& c = GetParam();
    ConfiguredRun run(AppUrl(c.server, c.app));
    ASSERT_NE(run.config.syncDownloader, nullptr) << "kxhttpclient.dll must lie in the bin folder";
    ASSERT_EQ(run.config.LoadLocalConfig(), 0);
    run.config.startMode = c.startMode;
    run.config.runtimeVersion = c.runtimeVersion;

    EXPECT_EQ(run.config.CheckForUpdate(), c.result);
    const std::wstring error = ExpectedError(c, run.config);
    if (error.empty()) {
        EXPECT_FALSE(run.Logged(L" ERROR [")) << run.Log();
    } else {
        EXPECT_TRUE(run.Logged(error)) << WideToUtf8(error) << "\n" << run.Log();
    }
    if (c.logged == Expect::Nothing && c.app == App::NoApprun)
        EXPECT_EQ(run.config.serverReachable, 1) << "an old server publishes no apprun.json";
    if (c.app == App::BadApprun || c.app == App::NoApprun) {
        EXPECT_EQ(run.config.webApiUrl, L"");
        EXPECT_EQ(run.config.runtimeUrl, L"");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, UpdateCheck, testing::ValuesIn(kFailures),
                         [](const testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(Deployment, APublishedAppIsReadCompletely) {
    ConfiguredRun run(AppUrl(Server::Nginx, App::Intact));
    ASSERT_EQ(run.config.LoadLocalConfig(), 0);
    ASSERT_EQ(run.config.CheckServer(), 1);
    ASSERT_EQ(run.config.CheckForUpdate(), 0) << run.Log();

    EXPECT_EQ(run.config.webApiUrl, L"https://api.example/v1");
    EXPECT_EQ(run.config.runtimeUrl, run.config.baseUrl + L"/rt/custom");
    EXPECT_EQ(run.config.launcherUrl, L"HTTPS://cdn.example/launcher");
    EXPECT_EQ(run.config.validVersions, std::vector<std::wstring>{L"1.0.0"});
    EXPECT_EQ(run.config.GetVersion(), L"1.0.0");
    EXPECT_EQ(run.config.minimumValidVersion, L"1.0.0");
    EXPECT_EQ(run.config.updateType, FirstDownLoad);
    EXPECT_EQ(run.config.GetStartupFile(), L"app.exe");
    EXPECT_EQ(run.config.runtimeVersion, L"22.3.0.1");
    EXPECT_EQ(run.config.runtimeModules, std::vector<std::wstring>{L"Core"});
    EXPECT_FALSE(run.config.updateGuid.empty());
    EXPECT_FALSE(run.config.downloadedConfig.empty());
    EXPECT_EQ(run.config.GetResumableDownloadFileSize(), 2097152u);

    const std::wstring& app = run.config.appUrl;
    for (const std::wstring& line : std::vector<std::wstring>{
             L"Application URL: " + app + L".\n",
             std::wstring(L"Application name: Sales.\n"),
             L"The app root path: " + home_.home / L"Applications.\n",
             L"The app runtime path: " + home_.home / L"Applications\\127.0.0.1_Sales.\n",
             L"The config file " + app + L"/apprun.json is downloaded successfully.\n",
             L"The config file " + app + L"/deploylist.ini.zip is downloaded successfully.\n",
             L"Current server version: 1.0.0; latest version: 1.0.0, minimum compatible version: 1.0.0.\n",
             L"The config file " + app + L"/1.0.0/appconfig.json.zip is downloaded successfully.\n",
             L"App version: 1.0.0, update strategy[Always,Connect,Never]: 0, update "
             L"type[FirstDownLoad,SameVersion,AcrossVersion]: 0.\n",
         })
        EXPECT_TRUE(run.Logged(line)) << WideToUtf8(line) << "\n" << run.Log();
    EXPECT_FALSE(run.Logged(L" ERROR [")) << run.Log();
}

TEST_F(Deployment, ApprunRefusedIsTriedThreeTimes) {
    ConfiguredRun run(AppUrl(Server::Refused, App::Missing));
    const auto start = std::chrono::steady_clock::now();
    void* data = nullptr;
    int size = 0;
    EXPECT_EQ(run.config.DownloadConfig(run.config.appUrl + L"/apprun.json", &data, &size), 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4000))
        << "two waits of 2000 ms";
    EXPECT_EQ(run.config.serverReachable, 0);
}

struct ProbeCase {
    const char* name;
    Server server;
    App app;
    int startMode;
    int result;
    int reachable;
    const wchar_t* logged;  // the text after the URL, or null for no line
};

const ProbeCase kProbes[] = {
    {"FoundAlways", Server::Nginx, App::Intact, Always, 1, 1, nullptr},
    {"NotFoundAlways", Server::Nginx, App::Missing, Always, 0, 0, L"]; ErrorCode: 404; Error: "},
    {"NotFoundConnect", Server::Nginx, App::Missing, Connect, 1, 0, L"]; ErrorCode: 404; Error: "},
    {"NeverAsksNothing", Server::Refused, App::Missing, Never, 1, 1, nullptr},
    {"RefusedAlways", Server::Refused, App::Missing, Always, 0, 0,
     L"; ErrorCode: 12029; Error: Failed to connect to the server for the operation.. Learn more at: "},
    {"RefusedConnect", Server::Refused, App::Missing, Connect, 1, 0, L"; ErrorCode: 12029; "},
    {"TimedOutAlways", Server::SlowToAnswer, App::Missing, Always, 0, 1,
     L"; ErrorCode: 12002; Error: The operation has timed out.. Learn more at: "},
    {"TimedOutConnect", Server::SlowToAnswer, App::Missing, Connect, 0, 1, L"; ErrorCode: 12002; "},
};

class ServerProbe : public Deployment, public testing::WithParamInterface<ProbeCase> {};

TEST_P(ServerProbe, DecidesWhetherTheUpdateGoesOn) {
    const ProbeCase& c = GetParam();
    ConfiguredRun run(AppUrl(c.server, c.app));
    run.config.startMode = c.startMode;
    EXPECT_EQ(run.config.CheckServer(), c.result);
    EXPECT_EQ(run.config.serverReachable, c.reachable);
    if (c.logged == nullptr) {
        EXPECT_FALSE(run.Logged(L" ERROR [")) << run.Log();
        return;
    }
    const std::wstring lead =
        c.app == App::Missing && c.server == Server::Nginx
            ? L"No application was found at the web address:[" + run.config.appUrl
            : L"Please make sure the server is running and accessible. URL: " + run.config.appUrl;
    EXPECT_TRUE(run.Logged(lead + c.logged)) << run.Log();
}

INSTANTIATE_TEST_SUITE_P(Table, ServerProbe, testing::ValuesIn(kProbes),
                         [](const testing::TestParamInfo<ProbeCase>& info) { return info.param.name; });

}  // namespace
