#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>
#include <thread>

#include "fake_run.h"
#include "forwardpipe.h"
#include "harness.h"

namespace {

using namespace NimboNS;
using launcher_test::FakeRun;
using Calls = std::vector<std::wstring>;

// A pipe name no other process uses.
std::wstring UniquePipeName(const wchar_t* what) {
    static int counter = 0;
    return L"\\\\.\\Pipe\\nimbo-h3-" + std::wstring(what) + L"-" + std::to_wstring(GetCurrentProcessId()) +
           L"-" + std::to_wstring(++counter);
}

struct Args {
    std::vector<std::wstring> values;
    std::vector<wchar_t*> pointers;
    explicit Args(std::vector<std::wstring> v) : values(std::move(v)) {
        for (auto& value : values) pointers.push_back(value.data());
    }
    int argc() const { return static_cast<int>(pointers.size()); }
    wchar_t** argv() { return pointers.data(); }
};

TEST(PipeMessage, FirstArgumentMarkerThenEveryArgumentWithASpace) {
    std::wstring message;
    Args forward({L"launcher.exe", L"-l", L"a b", L"c"});
    EXPECT_TRUE(BuildPipeMessage(forward.argc(), forward.argv(), message));
    EXPECT_EQ(message, L"-l<@>a b c ");
    Args alone({L"launcher.exe", L"-l"});
    EXPECT_TRUE(BuildPipeMessage(alone.argc(), alone.argv(), message));
    EXPECT_EQ(message, L"-l<@>");
}

TEST(PipeMessage, HoldsAtMost4096CharactersWithItsTerminator) {
    std::wstring message;
    Args fits({L"launcher.exe", L"-l", std::wstring(4089, L'x')});  // 2 + 3 + 4089 + 1 + terminator
    EXPECT_TRUE(BuildPipeMessage(fits.argc(), fits.argv(), message));
    Args tooLong({L"launcher.exe", L"-l", std::wstring(4090, L'x')});
    EXPECT_FALSE(BuildPipeMessage(tooLong.argc(), tooLong.argv(), message));
}

TEST(PipeMessage, AcceptsOnlyForwardedRequestsWithText) {
    struct Case {
        const wchar_t* message;
        const wchar_t* text;  // null: ignored
    } cases[] = {
        {L"-l<@>x ", L"x "},
        {L"-L<@>x", L"x"},
        {L"-launcher<@>http://h/a/x ", L"http://h/a/x "},
        {L"-lfoo<@>bar<@>baz", L"bar<@>baz"},
        {L"-l<@>", nullptr},
        {L"-l", nullptr},
        {L"-x<@>y", nullptr},
        {L"l<@>y", nullptr},
        {L"", nullptr},
    };
    for (const auto& c : cases) {
        const wchar_t* text = ForwardedRequestText(c.message);
        if (c.text == nullptr) {
            EXPECT_EQ(text, nullptr) << testing::PrintToString(std::wstring(c.message));
        } else {
            ASSERT_NE(text, nullptr) << testing::PrintToString(std::wstring(c.message));
            EXPECT_STREQ(text, c.text);
        }
    }
}

std::vector<BYTE> CurrentUserSid() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    return std::vector<BYTE>(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
}

// The pipe must not carry a null DACL (anyone could make this user's launcher start programs):
// only the user and SYSTEM are let in.
TEST(PipeSecurity, OnlyTheUserAndSystemMayOpenThePipe) {
    const std::wstring name = UniquePipeName(L"dacl");
    FileHandle pipe = CreateForwardPipeInstance(name.c_str());
    ASSERT_TRUE(pipe);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(pipe.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &dacl, nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(dacl, nullptr) << "a null DACL lets everyone in";
    std::vector<BYTE> user = CurrentUserSid();
    BYTE system[SECURITY_MAX_SID_SIZE];
    DWORD systemSize = sizeof(system);
    CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &systemSize);
    ASSERT_EQ(dacl->AceCount, 2);
    bool sawUser = false, sawSystem = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        ASSERT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        PSID sid = &ace->SidStart;
        sawUser |= EqualSid(sid, user.data()) != FALSE;
        sawSystem |= EqualSid(sid, system) != FALSE;
    }
    EXPECT_TRUE(sawUser);
    EXPECT_TRUE(sawSystem);
    LocalFree(descriptor);
}

class ForwardServing : public testing::Test {
protected:
    void WriteConfig(const std::string& content) { nimbo_test::WriteFileText(config(), content); }
    std::wstring config() const { return folder_ / L"Config.ini"; }

    // Serves one connection on a new pipe while `send` runs; true when the server served it.
    bool ServeWhile(FakeRun& run, const std::function<void(const std::wstring&)>& send) {
        const std::wstring name = UniquePipeName(L"serve");
        bool served = false;
        FileHandle pipe;
        std::thread server([&] { served = ServeOneForward(name.c_str(), pipe, &run, config()); });
        while (!WaitNamedPipeW(name.c_str(), 50)) Sleep(10);
        send(name);
        server.join();
        return served;
    }

    nimbo_test::TempFolder folder_;
};

TEST_F(ForwardServing, AForwardFromTheSameUserRunsAndStartsTheServerOnTheConfiguredPort) {
    WriteConfig("[Server]\r\nNimboLauncher_Port=31555\r\n");
    FakeRun run;
    Args args({L"launcher.exe", L"-l", L"http://h/apps/x", L"-debug"});
    EXPECT_TRUE(ServeWhile(
        run, [&](const std::wstring& name) { SendForward(name.c_str(), args.argc(), args.argv()); }));
    EXPECT_EQ(run.Calls(), (Calls{L"RunApp|http://h/apps/x -debug |0", L"StartServer|31555|0"}));
}

TEST_F(ForwardServing, NoSocketRunsTheRequestWithoutAServer) {
    WriteConfig("[Server]\r\nNimboLauncher_NoSocket=1\r\nNimboLauncher_Port=0\r\n");
    FakeRun run;
    Args args({L"launcher.exe", L"-L", L"text"});
    EXPECT_TRUE(ServeWhile(
        run, [&](const std::wstring& name) { SendForward(name.c_str(), args.argc(), args.argv()); }));
    EXPECT_EQ(run.Calls(), Calls{L"RunApp|text |0"});
}

TEST_F(ForwardServing, TheLongestMessageArrivesWhole) {
    FakeRun run;
    const std::wstring longText(4000, L'y');
    Args args({L"launcher.exe", L"-l", longText});
    EXPECT_TRUE(ServeWhile(
        run, [&](const std::wstring& name) { SendForward(name.c_str(), args.argc(), args.argv()); }));
    EXPECT_EQ(run.Calls(), (Calls{L"RunApp|" + longText + L" |0", L"StartServer|26571|0"}));
}

TEST_F(ForwardServing, MessagesThatAreNoForwardedRequestAreIgnored) {
    for (std::vector<std::wstring> values : {std::vector<std::wstring>{L"launcher.exe", L"-x", L"text"},
                                             std::vector<std::wstring>{L"launcher.exe", L"-l"}}) {
        FakeRun run;
        Args args(values);
        EXPECT_TRUE(ServeWhile(
            run, [&](const std::wstring& name) { SendForward(name.c_str(), args.argc(), args.argv()); }));
        EXPECT_TRUE(run.Calls().empty());
    }
}

TEST_F(ForwardServing, AMessageThatDoesNotFitIsNotSentCut) {
    FakeRun run;
    Args args({L"launcher.exe", L"-l", std::wstring(5000, L'z')});
    EXPECT_TRUE(ServeWhile(
        run, [&](const std::wstring& name) { SendForward(name.c_str(), args.argc(), args.argv()); }));
    EXPECT_TRUE(run.Calls().empty());
}

TEST(ForwardClient, TwoForwardersAtOnceAreServedOneAfterTheOther) {
    auto* run = new FakeRun();  // the server thread outlives the test case
    const std::wstring name = UniquePipeName(L"two");
    SetForwardPipeName(name.c_str());
    CloseHandle(CreateThread(nullptr, 0, PipeServerThread, run, 0, nullptr));
    while (!WaitNamedPipeW(name.c_str(), 50)) Sleep(10);
    Args first({L"launcher.exe", L"-l", L"first"});
    Args second({L"launcher.exe", L"-l", L"second"});
    std::thread a([&] { SendForward(name.c_str(), first.argc(), first.argv()); });
    std::thread b([&] { SendForward(name.c_str(), second.argc(), second.argv()); });
    a.join();
    b.join();
    ASSERT_TRUE(run->WaitForCalls(4));
    Calls calls = run->Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"RunApp|first |0"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"RunApp|second |0"), 1);
}

TEST(ForwardClient, ForwardsOnlyWhenTheUserMutexExistedAndAlwaysNamesTheSessionPipe) {
    Args args({L"launcher.exe", L"-l", L"x"});
    SetForwardPipeName(L"");
    EXPECT_EQ(ForwardRequest(nullptr, true, args.argc(), args.argv()), 0);
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    EXPECT_EQ(std::wstring(ForwardPipeName()), L"\\\\.\\Pipe\\lanucherpipe" + std::to_wstring(session));
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    EXPECT_EQ(ForwardRequest(mutex, false, args.argc(), args.argv()), 0);
    CloseHandle(mutex);
}

TEST(ForwardClient, WithoutAServerTheForwarderGivesUp) {
    const std::wstring name = UniquePipeName(L"none");
    Args args({L"launcher.exe", L"-l", L"x"});
    auto done = std::async(std::launch::async, [&] { SendForward(name.c_str(), args.argc(), args.argv()); });
    EXPECT_EQ(done.wait_for(std::chrono::seconds(20)), std::future_status::ready);
}

}  // namespace
