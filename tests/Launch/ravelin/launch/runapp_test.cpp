#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"
#include "launch_doubles.h"
#include "runapp.h"

namespace {

using namespace NimboNS;
using namespace launch_test;
using Strings = std::vector<std::string>;

constexpr char kCheck[] = "Begin to check for updates.";
constexpr char kDownloaded[] = "Successfully downloaded the update files.";
constexpr char kLauncherNext[] = "Ready to download the app launcher..";
constexpr char kFailed[] = "Failed to download the update files.";
constexpr char kFinish[] = "finish.";

struct Scenario {
    int updateResult = 0;
    bool update = true;
    bool cookies = true;
    bool preparation = true;
    bool start = true;
    int bitness = 1;
    int settings = 1;
    bool installerKnown = true;
    bool installerOpens = true;
};

struct HandOver {
    std::wstring file;
    std::wstring parameters;
    int endedWith = -1;
};

LaunchParts MakeParts(Probe& probe, const Scenario& setup, HandOver& handOver) {
    LaunchParts parts;
    if (setup.update) parts.update = new FakeUpdate(probe, setup.updateResult);
    if (setup.cookies) parts.cookies = new FakeCookies(probe);
    if (setup.preparation) parts.preparation = new FakePreparation(probe, setup.bitness, setup.settings);
    if (setup.start) parts.start = new FakeStart(probe);
    if (setup.installerKnown) {
        parts.launcherInstaller = [](LauncherInstaller& installer) {
            installer.installerPath = L"C:\\Download\\NimboLauncherSetup.exe";
            installer.appUrl = L"http://h/apps/x?ticket=1";
            installer.extraParameters = L"/S";
            return true;
        };
    }
    parts.openInstaller = [&handOver, opens = setup.installerOpens](const std::wstring& file,
                                                                    const std::wstring& parameters) {
        handOver.file = file;
        handOver.parameters = parameters;
        return opens;
    };
    parts.endProcess = [&handOver](UINT code) { handOver.endedWith = static_cast<int>(code); };
    return parts;
}

int Launch(Probe& probe, const Scenario& setup, const wchar_t* text, HandOver* handOver = nullptr,
           int admin = 0) {
    HandOver ignored;
    CRunApp launch(admin, MakeParts(probe, setup, handOver != nullptr ? *handOver : ignored));
    return launch.Launch(text, ConnectionOf(probe), RecordReply);
}

Strings Snapshot(Probe& probe) {
    std::lock_guard<std::mutex> guard(probe.lock);
    return probe.events;
}

int Count(const Strings& events, const std::string& name) {
    return static_cast<int>(std::count(events.begin(), events.end(), name));
}

Strings Stages(const Strings& events) {
    Strings stages;
    for (const auto& e : events)
        if (e.find("released") == std::string::npos) stages.push_back(e);
    return stages;
}

TEST(CRunAppLaunch, AppUrlGoesThroughEveryStageWithTheSpecifiedReplies) {
    Probe probe;
    int result = Launch(probe, {}, L"http://h:8080/apps/x%20y?p=1 -cookie sid=1; b=2", nullptr, 1);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(probe.replies,
              (Strings{kCheck, kDownloaded, "The app is started successfully: apps.", kFinish}));
    EXPECT_EQ(Stages(probe.events),
              (Strings{"update", "bitness", "settings", "uninstall", "shortcuts", "start", "record"}));
    EXPECT_EQ(probe.updateText, L"http://h:8080/apps/x y?p=1");
    EXPECT_EQ(probe.cookieTexts, (std::vector<std::wstring>{L"sid=1; b=2"}));
    EXPECT_NE(probe.updateCookies, nullptr);
    EXPECT_EQ(probe.startCookies, probe.updateCookies);  // the start gets the same store
    EXPECT_EQ(probe.updateDebug, 0);
    EXPECT_EQ(probe.updateAdmin, 1);
    for (const char* part : {"update released", "cookies released", "preparation released", "start released"})
        EXPECT_EQ(Count(probe.events, part), 1) << part;
}

// The app start may still run when the launch stops waiting for it; what it uses stays alive
// until it ends.
class BlockingStart : public IAppStart {
public:
    BlockingStart(Probe& probe, HANDLE go) : probe_(probe), go_(go) {}
    ~BlockingStart() override { probe_.Add("start released"); }
    void Release() override { delete this; }
    void StartApp(ICookieManager* cookies) override {
        WaitForSingleObject(go_, 10000);
        cookies->SetCookieText(L"late", 1);
        probe_.Add("start done");
    }

private:
    Probe& probe_;
    HANDLE go_;
};

TEST(CRunAppLaunch, AnAppStartThatOutlivesTheWaitKeepsWhatItUses) {
    Probe probe;
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HandOver handOver;
    {
        LaunchParts parts = MakeParts(probe, {.start = false}, handOver);
        parts.start = new BlockingStart(probe, go);
        parts.appStartWaitMs = 200;
        CRunApp launch(0, std::move(parts));
        EXPECT_EQ(launch.Launch(L"http://h/apps/x", ConnectionOf(probe), RecordReply), 0);
    }
    EXPECT_EQ(Count(Snapshot(probe), "record"), 1);  // recorded without waiting for the start
    EXPECT_EQ(Count(Snapshot(probe), "start released"), 0);
    EXPECT_EQ(Count(Snapshot(probe), "cookies released"), 0);
    SetEvent(go);
    for (int i = 0; i < 200 && Count(Snapshot(probe), "cookies released") == 0; ++i) Sleep(25);
    EXPECT_EQ(Count(Snapshot(probe), "start done"), 1);
    EXPECT_EQ(Count(Snapshot(probe), "start released"), 1);
    EXPECT_EQ(Count(Snapshot(probe), "cookies released"), 1);
    EXPECT_EQ(probe.cookieTexts.back(), L"late");
    CloseHandle(go);
}

TEST(CRunAppLaunch, EveryOtherUpdateResultIsAFailedDownload) {
    for (int updateResult : {-1, -2, -3, -4, 1, 3, 5, 6, 7, 8}) {
        Probe probe;
        Scenario setup;
        setup.updateResult = updateResult;
        EXPECT_EQ(Launch(probe, setup, L"http://h/apps/x"), -1) << updateResult;
        EXPECT_EQ(probe.replies, (Strings{kCheck, kFailed, kFinish})) << updateResult;
        EXPECT_EQ(Stages(probe.events), Strings{"update"}) << updateResult;
    }
}

TEST(CRunAppLaunch, DebugUpdatesButDoesNotStartAndStillRecordsShortcuts) {
    Probe probe;
    Scenario setup;
    setup.start = false;  // not needed when nothing is started
    EXPECT_EQ(Launch(probe, setup, L"http://h/apps/x -debug -cookie c=1"), 0);
    EXPECT_EQ(probe.updateDebug, 1);
    EXPECT_EQ(probe.updateText, L"http://h/apps/x ");
    EXPECT_EQ(probe.cookieTexts, (std::vector<std::wstring>{L"c=1"}));
    EXPECT_EQ(Stages(probe.events),
              (Strings{"update", "bitness", "settings", "uninstall", "shortcuts", "record"}));
}

TEST(CRunAppLaunch, AFailedPreparationKeepsTheResultButStartsNothing) {
    struct Case {
        int bitness;
        int settings;
        Strings stages;
    } cases[] = {
        {0, 1, {"update", "bitness"}},
        {1, 0, {"update", "bitness", "settings", "uninstall", "shortcuts"}},
    };
    for (const auto& c : cases) {
        Probe probe;
        Scenario setup;
        setup.bitness = c.bitness;
        setup.settings = c.settings;
        EXPECT_EQ(Launch(probe, setup, L"http://h/apps/x"), 0);
        EXPECT_EQ(Stages(probe.events), c.stages);
        EXPECT_EQ(probe.replies.back(), kFinish);
    }
}

// A stage that this build lacks never lets the launch claim more than happened.
TEST(CRunAppLaunch, AMissingStageFailsTheLaunchHonestly) {
    struct Case {
        const char* name;
        Scenario setup;
        Strings replies;
        Strings stages;
    } cases[] = {
        {"no update engine", {.update = false}, {kCheck, kFailed, kFinish}, {}},
        {"no cookie store", {.cookies = false}, {kCheck, kFailed, kFinish}, {}},
        {"no preparation", {.preparation = false}, {kCheck, kDownloaded, kFinish}, {"update"}},
        {"no app start", {.start = false}, {kCheck, kDownloaded, kFinish}, {"update"}},
    };
    for (const auto& c : cases) {
        Probe probe;
        EXPECT_EQ(Launch(probe, c.setup, L"http://h/apps/x"), -1) << c.name;
        EXPECT_EQ(probe.replies, c.replies) << c.name;
        EXPECT_EQ(Stages(probe.events), c.stages) << c.name;
    }
}

TEST(CRunAppLaunch, LauncherUpdateHandsOverToTheInstallerAndEndsTheProcess) {
    Probe probe;
    Scenario setup;
    setup.updateResult = 2;
    HandOver handOver;
    const std::wstring parameterFile = [] {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        return std::wstring(temp) + L"install_quillmark_nimbolauncher_param.ini";
    }();
    nimbo_test::WriteFileText(parameterFile, "stale");

    EXPECT_EQ(Launch(probe, setup, L"http://h/apps/x -debug", &handOver), 0);
    EXPECT_EQ(handOver.file, L"C:\\Download\\NimboLauncherSetup.exe");
    EXPECT_EQ(handOver.parameters, L"http://h/apps/x /S -debug");
    EXPECT_EQ(handOver.endedWith, 0);
    EXPECT_EQ(probe.replies, (Strings{kCheck, kLauncherNext}));  // the process ends: no "finish."
    wchar_t param[1024] = {};
    GetPrivateProfileStringW(L"Install", L"Param", L"", param, 1024, parameterFile.c_str());
    EXPECT_STREQ(param, L"http://h/apps/x /S -debug");
    EXPECT_EQ(nimbo_test::ReadFileText(parameterFile).find("stale"), std::string::npos);
    DeleteFileW(parameterFile.c_str());
}

TEST(CRunAppLaunch, AHandOverThatCannotStartTheInstallerDoesNotEndAsSuccess) {
    for (bool known : {false, true}) {
        Probe probe;
        Scenario setup;
        setup.updateResult = 2;
        setup.installerKnown = known;
        setup.installerOpens = false;
        HandOver handOver;
        EXPECT_EQ(Launch(probe, setup, L"http://h/apps/x", &handOver), -1);
        EXPECT_EQ(handOver.endedWith, -1);
        EXPECT_EQ(probe.replies, (Strings{kCheck, kLauncherNext, kFinish}));
    }
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    DeleteFileW((std::wstring(temp) + L"install_quillmark_nimbolauncher_param.ini").c_str());
}

TEST(CRunAppLaunch, RepliesNeedBothConnectionAndReplyFunction) {
    Probe probe;
    HandOver handOver;
    CRunApp launch(0, MakeParts(probe, {}, handOver));
    EXPECT_EQ(launch.Launch(L"http://h/apps/x", ConnectionOf(probe), nullptr), 0);
    EXPECT_TRUE(probe.replies.empty());
}

}  // namespace
