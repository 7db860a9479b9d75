#include <gtest/gtest.h>

#include "launcher_process.h"

// Two launchers of one user: the second hands its command line to the first over the session's
// pipe and ends with 0; the first runs the text and then starts the local server (which the
// serving launcher started already for itself, so a forwarded request reports the server error).
namespace {

using namespace launcher_e2e;
using Lines = std::vector<std::string>;

class Forwarding : public testing::Test {
protected:
    void SetUp() override {
        if (MachineWideKeyExists()) GTEST_SKIP() << "a machine-wide installation key is present";
    }
    // Starts the serving launcher of `folder`'s user.
    std::unique_ptr<LauncherProcess> Serve(const LauncherFolder& folder) {
        auto server = std::make_unique<LauncherProcess>(folder, L"-launcher");
        EXPECT_TRUE(server->started());
        EXPECT_TRUE(WaitUntilServing(folder)) << server->OutputSoFar();
        return server;
    }
    static Result Stop(LauncherProcess& server) {
        server.Quit();
        return server.Wait(10000);
    }
};

TEST_F(Forwarding, TheSecondLauncherForwardsAndTheFirstRunsTheText) {
    LauncherFolder folder(Ravelin::Recording);
    folder.WriteConfig("[Server]\r\nNimboLauncher_Port=0\r\n");  // 0 stands for the default port
    auto server = Serve(folder);

    Result forward = RunLauncher(folder, L"-l http://h/apps/x -cookie c=1");
    EXPECT_TRUE(forward.finished);
    EXPECT_EQ(forward.exitCode, 0u);
    EXPECT_EQ(forward.output, "");
    ASSERT_TRUE(folder.WaitForCalls(4));
    EXPECT_EQ(folder.Calls(), (Lines{"Create", "StartServer|26571|0", "RunApp|http://h/apps/x -cookie c=1 |0",
                                     "StartServer|26571|0"}));

    Result again = RunLauncher(folder, L"-L second");
    EXPECT_EQ(again.exitCode, 0u);
    ASSERT_TRUE(folder.WaitForCalls(6));
    EXPECT_EQ(folder.Calls()[4], "RunApp|second |0");

    Result end = Stop(*server);
    EXPECT_TRUE(end.finished);
    EXPECT_EQ(end.exitCode, 0u);
    EXPECT_EQ(end.output, "connect sucess.\nRun error.\nconnect sucess.\nRun error.\n");
    EXPECT_FALSE(MutexExists(folder.userName()));
}

TEST_F(Forwarding, ConfigSettingsApplyToEachForwardedRequest) {
    struct Case {
        const char* config;
        Lines calls;
        const char* output;
    } cases[] = {
        {"[Server]\r\nNimboLauncher_Port=31999\r\n",
         {"StartServer|31999|0", "RunApp|t |0", "StartServer|31999|0"},
         "connect sucess.\nRun error.\n"},
        {"[Server]\r\nNimboLauncher_NoSocket=1\r\n", {"RunApp|t |0"}, "connect sucess.\n"},
    };
    for (const auto& c : cases) {
        LauncherFolder folder(Ravelin::Recording);
        folder.WriteConfig(c.config);
        auto server = Serve(folder);
        EXPECT_EQ(RunLauncher(folder, L"-l t").exitCode, 0u);
        ASSERT_TRUE(folder.WaitForCalls(1 + c.calls.size())) << c.config;
        Sleep(300);
        Lines calls = folder.Calls();
        EXPECT_EQ(Lines(calls.begin() + 1, calls.end()), c.calls) << c.config;
        EXPECT_EQ(Stop(*server).output, c.output) << c.config;
    }
}

// Messages that are no forwarded request with text are dropped; the forwarder still ends with 0
// and the serving launcher goes on serving.
TEST_F(Forwarding, ForwardsWithoutRequestAreIgnored) {
    LauncherFolder folder(Ravelin::Recording);
    folder.WriteConfig("[Server]\r\nNimboLauncher_NoSocket=1\r\n");
    auto server = Serve(folder);
    for (const wchar_t* arguments : {L"-l", L"-x foo", L"-launcher"}) {
        Result forward = RunLauncher(folder, arguments);
        EXPECT_EQ(forward.exitCode, 0u) << testing::PrintToString(std::wstring(arguments));
        EXPECT_EQ(forward.output, "");
    }
    EXPECT_EQ(RunLauncher(folder, L"-l last").exitCode, 0u);
    ASSERT_TRUE(folder.WaitForCalls(2));
    EXPECT_EQ(folder.Calls(), (Lines{"Create", "RunApp|last |0"}));
    Stop(*server);
}

TEST_F(Forwarding, TwoForwardersAtOnceAreBothServed) {
    LauncherFolder folder(Ravelin::Recording);
    folder.WriteConfig("[Server]\r\nNimboLauncher_NoSocket=1\r\n");
    folder.WriteFakeSettings("RunAppDelayMs=300\r\n");
    auto server = Serve(folder);
    LauncherProcess first(folder, L"-l one");
    LauncherProcess second(folder, L"-l two");
    EXPECT_EQ(first.Wait().exitCode, 0u);
    EXPECT_EQ(second.Wait().exitCode, 0u);
    ASSERT_TRUE(folder.WaitForCalls(3));
    Lines calls = folder.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "RunApp|one |0"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "RunApp|two |0"), 1);
    Stop(*server);
}

// A "-debug" anywhere keeps the request in the launcher that got it: nothing is forwarded.
TEST_F(Forwarding, DebugRequestsAreNotForwarded) {
    LauncherFolder folder(Ravelin::Recording);
    folder.WriteConfig("[Server]\r\nNimboLauncher_NoSocket=1\r\n");
    auto server = Serve(folder);
    Result result = RunLauncher(folder, L"-l x -debug");
    EXPECT_EQ(result.exitCode, kFailed);
    EXPECT_EQ(result.output, "parameter error.");
    Sleep(500);
    EXPECT_EQ(folder.Calls(), (Lines{"Create", "Create", "Release"}));
    Stop(*server);
}

// A launcher whose first argument starts with "-l" and that found no serving launcher serves
// the session itself: its own request runs as a forwarded one would, and it stays until quit.
TEST_F(Forwarding, AnLauncherThatForwardedNothingServesTheSession) {
    struct Case {
        const wchar_t* arguments;
        const char* config;
        Lines calls;
    } cases[] = {
        {L"-launcher", "", {"Create", "StartServer|26571|0"}},
        {L"-l http://h/apps/x -cookie c=1",
         "[Server]\r\nNimboLauncher_Port=31998\r\n",
         {"Create", "RunApp|http://h/apps/x -cookie c=1|0", "StartServer|31998|0"}},
        {L"-Lx t", "[Server]\r\nNimboLauncher_NoSocket=1\r\n", {"Create", "RunApp|t|0"}},
    };
    for (const auto& c : cases) {
        const std::string name = testing::PrintToString(std::wstring(c.arguments));
        LauncherFolder folder(Ravelin::Recording);
        folder.WriteConfig(c.config);
        LauncherProcess server(folder, c.arguments);
        ASSERT_TRUE(WaitUntilServing(folder)) << name;
        ASSERT_TRUE(folder.WaitForCalls(c.calls.size())) << name;
        Sleep(300);
        EXPECT_EQ(folder.Calls(), c.calls) << name;
        // It serves: a later request is forwarded to it.
        EXPECT_EQ(RunLauncher(folder, L"-l later").exitCode, 0u) << name;
        ASSERT_TRUE(folder.WaitForCalls(c.calls.size() + 1)) << name;
        EXPECT_EQ(folder.Calls()[c.calls.size()], "RunApp|later |0") << name;
        Result end = Stop(server);
        EXPECT_TRUE(end.finished) << name;
        EXPECT_EQ(end.exitCode, 0u) << name;
        EXPECT_FALSE(MutexExists(folder.userName())) << name;
    }
}

}  // namespace
