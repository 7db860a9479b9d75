#include <gtest/gtest.h>

#include "launcher_process.h"

// launcher.exe with the real ravelin.dll: plain command requests start real programs.
namespace {

using namespace launcher_e2e;

bool WaitForFile(const std::wstring& path) {
    for (int i = 0; i < 300 && !nimbo_test::FileExists(path); ++i) Sleep(50);
    return nimbo_test::FileExists(path);
}

class RealRavelin : public testing::Test {
protected:
    void SetUp() override {
        if (MachineWideKeyExists()) GTEST_SKIP() << "a machine-wide installation key is present";
    }
};

TEST_F(RealRavelin, APlainCommandRequestStartsTheProgram) {
    LauncherFolder folder(Ravelin::Real);
    const std::wstring marker = folder / L"started.txt";
    Result result = RunLauncher(folder, L"-u cmd.exe /c echo started> " + marker);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(WithoutPipeNote(result.output), "");
    EXPECT_TRUE(WaitForFile(marker));
}

TEST_F(RealRavelin, ALoneRunArgumentFails) {
    LauncherFolder folder(Ravelin::Real);
    Result result = RunLauncher(folder, L"-u");
    EXPECT_EQ(result.exitCode, kFailed);
    EXPECT_EQ(WithoutPipeNote(result.output), "Run userapp error.");
}

TEST_F(RealRavelin, AProgramThatCannotStartFailsTheRun) {
    LauncherFolder folder(Ravelin::Real);
    Result result = RunLauncher(folder, L"-u no-such-program-h3.exe");
    EXPECT_EQ(result.exitCode, kFailed);
    EXPECT_EQ(WithoutPipeNote(result.output), "Run userapp error.");
}

TEST_F(RealRavelin, AForwardedCommandRunsInTheServingLauncher) {
    LauncherFolder folder(Ravelin::Real);
    folder.WriteConfig("[Server]\r\nNimboLauncher_NoSocket=1\r\n");
    LauncherProcess server(folder, L"-launcher");
    ASSERT_TRUE(WaitUntilServing(folder));
    const std::wstring marker = folder / L"forwarded.txt";
    Result forward = RunLauncher(folder, L"-l cmd.exe /c echo forwarded> " + marker);
    EXPECT_EQ(forward.exitCode, 0u);
    EXPECT_TRUE(WaitForFile(marker));
    server.Quit();
    Result end = server.Wait(10000);
    EXPECT_EQ(end.exitCode, 0u);
    EXPECT_EQ(end.output, "connect sucess.\n");
}

}  // namespace
