#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "command.h"
#include "harness.h"
#include "nimbo/names.h"
#include "scwconv.h"
#include "sharedmemory.h"

namespace {

using Elevhost::CCommand;
using Elevhost::FailureLogPath;
using Elevhost::InterpreterPrefix;
using Elevhost::RunCommand;
using SharedMemory::CSharedMemory;

std::string Narrow(const std::wstring& text) {
    return NimboNS::WideToAnsi(text);
}

// RunCommand writes its failure log beside this test program, named by this process's id.
class RunCommandTest : public testing::Test {
protected:
    void SetUp() override { DeleteFileW(FailureLogPath().c_str()); }
    void TearDown() override { DeleteFileW(FailureLogPath().c_str()); }
    static std::string Log() { return nimbo_test::ReadFileText(FailureLogPath()); }
    static std::string Record(const std::wstring& command, int code) {
        return Narrow(InterpreterPrefix() + command) + "\r\nExit code: " + std::to_string(code) + "\r\n";
    }
    nimbo_test::TempFolder temp_;
};

TEST_F(RunCommandTest, TheLogIsNamedByTheProcessBesideTheProgram) {
    EXPECT_EQ(FailureLogPath(), nimbo_test::TestsFolder() + L"\\log\\elevhost" +
                                    std::to_wstring(GetCurrentProcessId()) + L".log");
}

TEST_F(RunCommandTest, ASuccessfulCommandRunsAndLeavesNoRecord) {
    std::wstring out = temp_ / L"out.txt";
    EXPECT_EQ(RunCommand(L"echo ran> \"" + out + L"\""), 0);
    EXPECT_EQ(nimbo_test::ReadFileText(out).substr(0, 3), "ran");
    EXPECT_FALSE(nimbo_test::FileExists(FailureLogPath()));
}

TEST_F(RunCommandTest, EachFailureIsAppendedWithItsFullCommandLineAndCode) {
    EXPECT_EQ(RunCommand(L"exit 3"), 3);
    EXPECT_EQ(Log(), Record(L"exit 3", 3));
    EXPECT_EQ(RunCommand(L"exit 0"), 0);
    EXPECT_EQ(RunCommand(L"exit 255"), 255);
    EXPECT_EQ(Log(), Record(L"exit 3", 3) + Record(L"exit 255", 255));
}

TEST_F(RunCommandTest, AnUnknownProgramFailsThroughTheInterpreter) {
    int code = RunCommand(L"nimbo_no_such_program_here.exe /x");
    EXPECT_NE(code, 0);
    EXPECT_NE(code, -1);
    EXPECT_EQ(Log(), Record(L"nimbo_no_such_program_here.exe /x", code));
}

TEST_F(RunCommandTest, TheInterpreterMatchesTheBitnessOfWindows) {
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    if (!wow64) {
        EXPECT_EQ(InterpreterPrefix(), L"cmd /c ");
        return;
    }
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(InterpreterPrefix(), std::wstring(windows) + L"\\SysNative\\cmd.exe /c ");
    // The 64-bit interpreter sees the machine's own architecture, not the 32-bit view.
    EXPECT_EQ(RunCommand(L"if /i \"%PROCESSOR_ARCHITECTURE%\"==\"AMD64\" (exit 0) else (exit 5)"), 0);
}

// elevhost's side of a channel whose client is played by hand.
class PollCommandTest : public testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        name_ = L"pollcmd" + std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(++counter);
        statusName_ = name_ + NimboNS::names::kStatusChannelSuffix;
        ASSERT_TRUE(status_.Create(statusName_.c_str()));
        ASSERT_TRUE(command_.Open(name_));
        DeleteFileW(FailureLogPath().c_str());
    }
    void TearDown() override {
        status_.Close();
        std::wstring folder = status_.GetSharedFileFolder();
        DeleteFileW((folder + L"\\" + statusName_).c_str());
        DeleteFileW(FailureLogPath().c_str());
    }
    std::wstring Status() { return Read(status_); }
    std::wstring Data() {
        CSharedMemory data;
        data.Open(name_);
        return Read(data);
    }
    bool SetData(const std::wstring& text) {
        CSharedMemory data;
        data.Open(name_);
        return data.Write(text.c_str(), static_cast<int>(text.size()));
    }
    bool SetStatus(const std::wstring& text) {
        return status_.Write(text.c_str(), static_cast<int>(text.size()));
    }
    static std::wstring Read(CSharedMemory& channel) {
        const wchar_t* text = nullptr;
        int length = 0;
        return channel.Read(text, length) > 0 ? std::wstring(text, static_cast<size_t>(length)) : L"";
    }
    std::wstring MarkerCommand() { return L"echo polled> \"" + marker_ + L"\""; }

    nimbo_test::TempFolder temp_;
    std::wstring marker_ = temp_ / L"marker.txt";
    std::wstring name_;
    std::wstring statusName_;
    CSharedMemory status_;
    CCommand command_;
};

TEST_F(PollCommandTest, OpenReportsTheServerOnTheStatusChannel) {
    EXPECT_EQ(Status(), L"2");
}

TEST_F(PollCommandTest, ACommandUnderStatusThreeRunsAndItsCodeComesBack) {
    ASSERT_TRUE(SetData(MarkerCommand() + L" & exit 4"));
    ASSERT_TRUE(SetStatus(L"3"));
    EXPECT_EQ(command_.PollCommand(), 0);
    EXPECT_TRUE(nimbo_test::FileExists(marker_));
    EXPECT_EQ(Status(), L"1");
    EXPECT_EQ(Data(), L"4");
    // A result waiting for the client is not a new command.
    DeleteFileW(marker_.c_str());
    EXPECT_EQ(command_.PollCommand(), 0);
    EXPECT_FALSE(nimbo_test::FileExists(marker_));
    EXPECT_EQ(Status(), L"1");
}

// A command text waiting under any status but 3 is never run (an empty text under 3: below).
TEST_F(PollCommandTest, OnlyStatusThreeRunsTheCommand) {
    ASSERT_TRUE(SetData(MarkerCommand()));
    for (const wchar_t* status : {L"1", L"2", L"4", L"30", L"-3"}) {
        ASSERT_TRUE(SetStatus(status));
        EXPECT_EQ(command_.PollCommand(), 0) << status;
        EXPECT_FALSE(nimbo_test::FileExists(marker_)) << status;
        EXPECT_EQ(Status(), status);
        EXPECT_EQ(Data(), MarkerCommand());
    }
}

TEST_F(PollCommandTest, AnEmptyCommandIsLookedAtAgainNextTime) {
    ASSERT_TRUE(SetStatus(L"3"));
    EXPECT_EQ(command_.PollCommand(), 0);
    EXPECT_EQ(Status(), L"3");
    EXPECT_FALSE(nimbo_test::FileExists(marker_));
    ASSERT_TRUE(SetData(MarkerCommand()));
    EXPECT_EQ(command_.PollCommand(), 0);
    EXPECT_TRUE(nimbo_test::FileExists(marker_));
    EXPECT_EQ(Status(), L"1");
    EXPECT_EQ(Data(), L"0");
}

TEST_F(PollCommandTest, TheRunEndsWhenTheClientGoes) {
    EXPECT_EQ(command_.PollCommand(), 0);
    status_.Close();
    EXPECT_EQ(command_.PollCommand(), -1);
    HANDLE data = OpenFileMappingW(FILE_MAP_READ, FALSE, name_.c_str());
    EXPECT_EQ(data, nullptr);
    if (data != nullptr) CloseHandle(data);
}

}  // namespace
