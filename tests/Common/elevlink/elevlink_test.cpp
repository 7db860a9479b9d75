#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "command.h"
#include "harness.h"
#include "icommand.h"
#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "scwconv.h"

namespace {

using Elevlink::ICommand;

// Each test case runs in a process of its own, and elevlink names the channel by the process id.
std::wstring SharedFile(const std::wstring& suffix) {
    return nimbo_test::TestsFolder() + L"\\" + NimboNS::names::kSharedFileFolder + L"\\" +
           std::to_wstring(GetCurrentProcessId()) + suffix;
}

// The elevhost processes this process has started and that are still running.
std::vector<DWORD> RunningRunners() {
    std::vector<DWORD> found;
    NimboNS::Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId() &&
            _wcsicmp(entry.szExeFile, NimboNS::names::kElevhostExe) == 0)
            found.push_back(entry.th32ProcessID);
    }
    return found;
}

std::wstring RunnerLog(DWORD processId) {
    return nimbo_test::TestsFolder() + L"\\log\\elevhost" + std::to_wstring(processId) + L".log";
}

class ElevlinkTest : public testing::Test {
protected:
    void SetUp() override {
        module_.reset(LoadLibraryW(NimboNS::names::kElevlinkDll));
        ASSERT_TRUE(module_);
        create_ = reinterpret_cast<Elevlink::CreateCommandObjectFn>(
            GetProcAddress(module_.get(), Elevlink::kCreateCommandObjectExport));
        ASSERT_NE(create_, nullptr);
    }
    void TearDown() override {
        if (command_ != nullptr) command_->Release();
        for (DWORD runner : runners_) DeleteFileW(RunnerLog(runner).c_str());
        DeleteFileW(SharedFile(L"").c_str());
        DeleteFileW(SharedFile(NimboNS::names::kStatusChannelSuffix).c_str());
    }
    // Opens a new command object and finds the runner it started.
    bool Open(int flag) {
        command_ = create_();
        if (command_ == nullptr || !command_->Open(flag)) return false;
        std::vector<DWORD> running = RunningRunners();
        if (running.size() != 1) return false;
        runner_.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, running[0]));
        runners_.push_back(running[0]);
        return static_cast<bool>(runner_);
    }
    int Execute(const std::wstring& command) {
        return command_->Execute(command.c_str(), static_cast<int>(command.size()));
    }
    void Release() {
        command_->Release();
        command_ = nullptr;
    }
    // The runner has ended, with exit code 0.
    bool RunnerEnded() {
        if (WaitForSingleObject(runner_.get(), 20000) != WAIT_OBJECT_0) return false;
        DWORD code = 1;
        GetExitCodeProcess(runner_.get(), &code);
        return code == 0;
    }
    static bool ChannelFilesExist() {
        return nimbo_test::FileExists(SharedFile(L"")) ||
               nimbo_test::FileExists(SharedFile(NimboNS::names::kStatusChannelSuffix));
    }

    NimboNS::ModuleHandle module_;
    Elevlink::CreateCommandObjectFn create_ = nullptr;
    ICommand* command_ = nullptr;
    NimboNS::Handle runner_;
    std::vector<DWORD> runners_;
    nimbo_test::TempFolder temp_;
};

TEST_F(ElevlinkTest, RunsCommandsThroughTheRunnerAndEndsItOnClose) {
    ASSERT_TRUE(Open(0));
    const std::wstring out = temp_ / L"out.txt";
    const std::wstring failing = L"echo done> \"" + out + L"\" & exit 3";
    EXPECT_EQ(Execute(failing), 3);
    EXPECT_EQ(nimbo_test::ReadFileText(out).substr(0, 4), "done");
    EXPECT_EQ(Execute(L"exit 0"), 0);
    const std::wstring unknown = L"nimbo_no_such_program.exe /s";
    int unknownCode = Execute(unknown);
    EXPECT_NE(unknownCode, 0);
    EXPECT_NE(unknownCode, -1);

    // The runner's failure log holds the two failures, with the interpreter part.
    auto record = [](const std::wstring& command, int code) {
        return NimboNS::WideToAnsi(Elevhost::InterpreterPrefix() + command) +
               "\r\nExit code: " + std::to_string(code) + "\r\n";
    };
    EXPECT_EQ(nimbo_test::ReadFileText(RunnerLog(runners_.back())),
              record(failing, 3) + record(unknown, unknownCode));

    EXPECT_TRUE(ChannelFilesExist());
    EXPECT_EQ(command_->Close(), 0);
    EXPECT_TRUE(RunnerEnded());
    Release();
    EXPECT_FALSE(ChannelFilesExist());
}

TEST_F(ElevlinkTest, FlagOneStartsTheRunnerWithoutElevation) {
    ASSERT_TRUE(Open(1));
    EXPECT_EQ(Execute(L"exit 7"), 7);
    command_->Close();
    EXPECT_TRUE(RunnerEnded());
    Release();
    EXPECT_FALSE(ChannelFilesExist());
}

TEST_F(ElevlinkTest, ExecuteBeforeOpenFailsAtOnce) {
    command_ = create_();
    ASSERT_NE(command_, nullptr);
    EXPECT_EQ(Execute(L"exit 0"), -1);
    EXPECT_TRUE(RunningRunners().empty());
}

TEST_F(ElevlinkTest, CommandsTooLongForTheChannelAreRefused) {
    ASSERT_TRUE(Open(0));
    EXPECT_EQ(Execute(L"rem " + std::wstring(600, L'x')), -1);
    // The channel is still usable afterwards.
    EXPECT_EQ(Execute(L"exit 2"), 2);
}

// A status file left by a crashed run still says "2"; the new channel must wait for its own runner.
TEST_F(ElevlinkTest, AStatusFileFromAnEarlierRunDoesNotPassForTheRunner) {
    std::string stale(1024, '\0');
    stale[0] = '2';
    CreateDirectoryW((nimbo_test::TestsFolder() + L"\\" + NimboNS::names::kSharedFileFolder).c_str(),
                     nullptr);
    ASSERT_TRUE(nimbo_test::WriteFileText(SharedFile(NimboNS::names::kStatusChannelSuffix), stale));
    ASSERT_TRUE(Open(0));
    EXPECT_EQ(Execute(L"exit 5"), 5);
    command_->Close();
    EXPECT_TRUE(RunnerEnded());
}

TEST_F(ElevlinkTest, ARunnerThatDiesDuringACommandGivesMinusOne) {
    ASSERT_TRUE(Open(0));
    EXPECT_EQ(Execute(L"taskkill /f /pid " + std::to_wstring(runners_.back())), -1);
    EXPECT_EQ(WaitForSingleObject(runner_.get(), 20000), WAIT_OBJECT_0);
    EXPECT_EQ(Execute(L"exit 0"), -1);
}

// The next channel of the same process may open right after the last one was released: each
// command runs once, by one runner.
TEST_F(ElevlinkTest, AChannelReopenedRightAfterReleaseRunsEachCommandOnce) {
    const std::wstring lines = temp_ / L"lines.txt";
    for (const wchar_t* word : {L"one", L"two"}) {
        ASSERT_TRUE(Open(0)) << word;
        EXPECT_EQ(Execute(L"echo " + std::wstring(word) + L">> \"" + lines + L"\""), 0);
        command_->Close();
        Release();
    }
    EXPECT_EQ(nimbo_test::ReadFileText(lines), "one\r\ntwo\r\n");
    EXPECT_FALSE(ChannelFilesExist());
}

// Both objects of one process would take the same channel name: the second is refused, and the
// first keeps its channel.
TEST_F(ElevlinkTest, ASecondObjectOfTheSameProcessCannotTakeTheOpenChannel) {
    ASSERT_TRUE(Open(0));
    ICommand* second = create_();
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->Open(0));
    EXPECT_EQ(RunningRunners().size(), 1u);
    second->Release();
    EXPECT_EQ(Execute(L"exit 6"), 6);
    EXPECT_TRUE(ChannelFilesExist());
}

TEST_F(ElevlinkTest, ReleaseWithoutCloseStillEndsTheRunnerAndRemovesTheFiles) {
    ASSERT_TRUE(Open(0));
    EXPECT_EQ(Execute(L"exit 0"), 0);
    Release();
    EXPECT_TRUE(RunnerEnded());
    EXPECT_FALSE(ChannelFilesExist());
}

// The probe is a host program in a folder of its own with elevlink beside it.
class ElevlinkHostFolderTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            CopyFileW((nimbo_test::TestsFolder() + L"\\elevlink_probe.exe").c_str(), probe_.c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((nimbo_test::BinFolder() + L"\\elevlink.dll").c_str(),
                              (temp_ / L"elevlink.dll").c_str(), FALSE));
    }
    std::string RunProbe() {
        nimbo_test::ProgramResult result = nimbo_test::RunProgram(nimbo_test::Quote(probe_) + L" run", 60000);
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0u);
        std::string output = result.output;
        while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
        return output;
    }
    std::wstring SharedFolder() { return temp_ / NimboNS::names::kSharedFileFolder; }

    nimbo_test::TempFolder temp_;
    std::wstring probe_ = temp_ / L"elevlink_probe.exe";
};

TEST_F(ElevlinkHostFolderTest, WithoutTheRunnerOpenFailsAndTakesTheStatusFileAlong) {
    EXPECT_EQ(RunProbe(), "open=0 status_file=0 after_release=0");
    // The channel folder was made beside the host program, hidden.
    DWORD attributes = GetFileAttributesW(SharedFolder().c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(ElevlinkHostFolderTest, AnExistingChannelFolderKeepsItsAttributes) {
    ASSERT_TRUE(CreateDirectoryW(SharedFolder().c_str(), nullptr));
    RunProbe();
    DWORD attributes = GetFileAttributesW(SharedFolder().c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_HIDDEN);
}

// A runner that starts but never reports: Open gives up, and Release still removes the status file.
TEST_F(ElevlinkHostFolderTest, ARunnerThatNeverAnswersFailsTheOpen) {
    ASSERT_TRUE(CopyFileW(probe_.c_str(), (temp_ / NimboNS::names::kElevhostExe).c_str(), FALSE));
    EXPECT_EQ(RunProbe(), "open=0 status_file=1 after_release=0");
}

}  // namespace
