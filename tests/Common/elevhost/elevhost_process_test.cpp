#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "command.h"
#include "harness.h"
#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "scwconv.h"
#include "sharedmemory.h"

namespace {

using SharedMemory::CSharedMemory;

std::wstring Read(CSharedMemory& channel) {
    const wchar_t* text = nullptr;
    int length = 0;
    return channel.Read(text, length) > 0 ? std::wstring(text, static_cast<size_t>(length)) : L"";
}

struct WindowInfo {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK MatchElevhostWindow(HWND window, LPARAM param) {
    auto* info = reinterpret_cast<WindowInfo*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[128] = {};
    GetClassNameW(window, className, 128);
    if (owner != info->processId || std::wstring(className) != NimboNS::names::kElevhostWindowClass)
        return TRUE;
    info->window = window;
    return FALSE;
}

HWND WindowOfProcess(DWORD processId) {
    WindowInfo info{processId, nullptr};
    EnumWindows(MatchElevhostWindow, reinterpret_cast<LPARAM>(&info));
    return info.window;
}

// elevhost copied into a folder of its own, so its channel files and failure log land there.
class ElevhostProcessTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyFileW((nimbo_test::BinFolder() + L"\\elevhost.exe").c_str(), exe_.c_str(), FALSE));
    }
    std::wstring Command(const std::wstring& arguments) { return nimbo_test::Quote(exe_) + L" " + arguments; }

    nimbo_test::TempFolder temp_;
    std::wstring exe_ = temp_ / L"elevhost.exe";
};

struct ArgumentCase {
    const wchar_t* arguments;
    DWORD exitCode;
};

TEST_F(ElevhostProcessTest, ProbeArgumentsEndAtOnceWithTheirCode) {
    const ArgumentCase cases[] = {{L"-check", 0},       {L"-test", 1},    {L"-check -test", 0},
                                  {L"-test -check", 0}, {L"x-checkx", 0}, {L"", 0}};
    for (const auto& c : cases) {
        nimbo_test::ProgramResult result = nimbo_test::RunProgram(Command(c.arguments), 20000);
        ASSERT_TRUE(result.finished) << c.arguments;
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments;
    }
    // None of them served a channel.
    EXPECT_FALSE(nimbo_test::FolderExists(temp_ / NimboNS::names::kSharedFileFolder));
}

TEST_F(ElevhostProcessTest, WithoutAClientItEndsOnItsOwn) {
    nimbo_test::ProgramResult result =
        nimbo_test::RunProgram(Command(L"nobody" + std::to_wstring(GetCurrentProcessId())), 20000);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0u);
}

// The client's side played by hand: one process serves a channel given in upper case under
// its lower-case name, runs commands, logs a failure, and ends once the client goes.
TEST_F(ElevhostProcessTest, ServesItsClientUntilTheClientGoes) {
    const std::wstring name = L"elevproc" + std::to_wstring(GetCurrentProcessId());
    const std::wstring upper = L"ELEVPROC" + std::to_wstring(GetCurrentProcessId());
    CSharedMemory status;
    ASSERT_TRUE(status.Create((name + NimboNS::names::kStatusChannelSuffix).c_str()));
    const std::wstring statusFile = status.GetFilePath();
    NimboNS::Handle process(nimbo_test::StartProgram(Command(upper)));
    ASSERT_TRUE(process);
    const DWORD processId = GetProcessId(process.get());

    ASSERT_TRUE(nimbo_test::WaitUntil([&] { return Read(status) == L"2"; }, 20000));
    // The data channel's file carries the lower-case name, beside elevhost.
    WIN32_FIND_DATAW found{};
    NimboNS::FindHandle search(
        FindFirstFileW((temp_ / NimboNS::names::kSharedFileFolder + L"\\" + upper).c_str(), &found));
    ASSERT_TRUE(search);
    EXPECT_EQ(std::wstring(found.cFileName), name);

    HWND window = WindowOfProcess(processId);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(title, L"MainWindow");

    auto run = [&](const std::wstring& command) {
        CSharedMemory data;
        data.Open(name);
        EXPECT_TRUE(data.Write(command.c_str(), static_cast<int>(command.size())));
        EXPECT_TRUE(status.WriteNumber(3));
        EXPECT_TRUE(nimbo_test::WaitUntil([&] { return Read(status) == L"1"; }, 60000))
            << "no result for " << command.size();
        return Read(data);
    };
    const std::wstring served = temp_ / L"served.txt";
    const std::wstring failing = L"echo served> \"" + served + L"\" & exit 3";
    EXPECT_EQ(run(failing), L"3");
    EXPECT_TRUE(nimbo_test::FileExists(served));
    EXPECT_EQ(run(L"exit 0"), L"0");
    const std::wstring log = temp_ / (L"log\\elevhost" + std::to_wstring(processId) + L".log");
    EXPECT_EQ(nimbo_test::ReadFileText(log),
              NimboNS::WideToAnsi(Elevhost::InterpreterPrefix() + failing) + "\r\nExit code: 3\r\n");

    status.Close();
    ASSERT_EQ(WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    // elevhost leaves the files to its client.
    EXPECT_TRUE(nimbo_test::FileExists(temp_ / NimboNS::names::kSharedFileFolder + L"\\" + name));
    DeleteFileW(statusFile.c_str());
}

}  // namespace
