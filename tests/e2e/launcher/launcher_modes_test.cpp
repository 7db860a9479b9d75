#include <gtest/gtest.h>

#include "launcher_process.h"

// The run modes of an ordinary user, watched through a recording ravelin.dll: exit codes, the
// diagnostics on standard output and what the run object was asked.
namespace {

using namespace launcher_e2e;
using Lines = std::vector<std::string>;

class UserModes : public testing::Test {
protected:
    void SetUp() override {
        if (MachineWideKeyExists()) GTEST_SKIP() << "a machine-wide installation key is present";
    }
};

struct ModeCase {
    const char* name;
    const wchar_t* arguments;
    const char* fakeSettings;
    DWORD exitCode;
    const char* output;
    Lines calls;
};

TEST_F(UserModes, CommandLinesGiveTheirExitCodesAndTexts) {
    const ModeCase cases[] = {
        {"no argument", L"", "", kFailed, "Invalid Parameter.\n", {}},
        {"service control is not for users",
         L"-start",
         "",
         kFailed,
         "parameter error.",
         {"Create", "Release"}},
        {"-create with more", L"-create now", "", kFailed, "parameter error.", {"Create", "Release"}},
        {"anything else", L"-x foo", "", kFailed, "parameter error.", {"Create", "Release"}},
        {"-debug keeps it here but only -u runs it",
         L"foo -debug",
         "",
         kFailed,
         "parameter error.",
         {"Create", "Release"}},
        {"-u runs in this process",
         L"-u http://h/apps/x -cookie c=1",
         "",
         0,
         "",
         {"Create", "RunApp|http://h/apps/x -cookie c=1|0", "Release"}},
        {"-u in any case, quotes joined away",
         L"-Uxyz \"a b\" c",
         "",
         0,
         "",
         {"Create", "RunApp|a b c|0", "Release"}},
        {"a lone -u has nothing to run", L"-u", "", kFailed, "Run userapp error.", {"Create", "Release"}},
        {"a failed run",
         L"-u x",
         "RunAppResult=-1\r\n",
         kFailed,
         "Run userapp error.",
         {"Create", "RunApp|x|0", "Release"}},
        {"any other run result is success",
         L"-u x",
         "RunAppResult=5\r\n",
         0,
         "",
         {"Create", "RunApp|x|0", "Release"}},
    };
    for (const auto& c : cases) {
        LauncherFolder folder(Ravelin::Recording);
        folder.WriteFakeSettings(c.fakeSettings);
        Result result = RunLauncher(folder, c.arguments);
        ASSERT_TRUE(result.finished) << c.name;
        EXPECT_EQ(result.exitCode, c.exitCode) << c.name;
        EXPECT_EQ(WithoutPipeNote(result.output), c.output) << c.name;
        EXPECT_EQ(folder.Calls(), c.calls) << c.name;
    }
}

// Beside a "-u" run the pipe thread finds no pipe name (nothing was forwarded) and says so.
TEST_F(UserModes, TheRunsPipeThreadReportsItHasNoPipe) {
    LauncherFolder folder(Ravelin::Recording);
    folder.WriteFakeSettings("RunAppDelayMs=500\r\n");
    Result result = RunLauncher(folder, L"-u x");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.output, "CreatenamePipe failed.\n");
}

TEST_F(UserModes, ARunningInstanceSilencesEverythingButRequestsToRunHere) {
    HANDLE instance = CreateMutexW(nullptr, FALSE, L"Global\\ravelin");
    ASSERT_NE(instance, nullptr);
    {
        LauncherFolder folder(Ravelin::Recording);
        Result other = RunLauncher(folder, L"-x foo");
        EXPECT_EQ(other.exitCode, 0u);
        EXPECT_EQ(other.output, "");
        EXPECT_TRUE(folder.Calls().empty());
        Result none = RunLauncher(folder, L"");
        EXPECT_EQ(none.exitCode, 0u);
        EXPECT_EQ(none.output, "");
        Result run = RunLauncher(folder, L"-u x");
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(folder.Calls(), (Lines{"Create", "RunApp|x|0", "Release"}));
    }
    CloseHandle(instance);
}

TEST_F(UserModes, WithoutRavelinTheLauncherEndsQuietly) {
    LauncherFolder folder(Ravelin::Missing);
    for (const wchar_t* arguments : {L"-x foo", L"-u x"}) {
        Result result = RunLauncher(folder, arguments);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(WithoutPipeNote(result.output), "");
    }
}

// With no run object the launcher keeps its user-name mutex and waits for WM_QUIT.
TEST_F(UserModes, NoRunObjectWaitsForQuitHoldingTheUserMutex) {
    LauncherFolder folder(Ravelin::Recording);
    folder.WriteFakeSettings("ReturnNull=1\r\n");
    LauncherProcess process(folder, L"-x foo");
    ASSERT_TRUE(process.started());
    ASSERT_TRUE(folder.WaitForCalls(1));
    Sleep(300);
    EXPECT_TRUE(MutexExists(folder.userName()));
    process.Quit();
    Result result = process.Wait(10000);
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.output, "");
    EXPECT_FALSE(MutexExists(folder.userName()));
}

}  // namespace
