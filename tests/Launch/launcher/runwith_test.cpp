#include <gtest/gtest.h>

#include "fake_run.h"
#include "runwith.h"

namespace {

using namespace NimboNS;
using launcher_test::FakeRun;
using Calls = std::vector<std::wstring>;

TEST(CRunWithShortCut, RunsItsOwnCopyOfTheTextWithAdminInstalled) {
    for (int admin : {0, 1}) {
        FakeRun run;
        run.runAppResult = 7;
        auto* runWith = new CRunWithShortCut(admin);
        std::wstring text = L"http://h/apps/x";
        EXPECT_EQ(runWith->Initialize(text.c_str(), 1, &run, 1), 0);
        text.assign(L"overwritten");
        EXPECT_EQ(runWith->Run(), 7);
        EXPECT_EQ(run.Calls(), Calls{L"RunApp|http://h/apps/x|" + std::to_wstring(admin)});
        runWith->Release();
    }
}

TEST(CRunWithShortCut, FailsWithoutTextOrRunObject) {
    FakeRun run;
    CRunWithShortCut noText(0);
    noText.Initialize(nullptr, 0, &run, 0);
    EXPECT_EQ(noText.Run(), -1);
    CRunWithShortCut noRun(0);
    noRun.Initialize(L"x", 0, nullptr, 0);
    EXPECT_EQ(noRun.Run(), -1);
    EXPECT_TRUE(run.Calls().empty());
}

void IgnoreRequest(const wchar_t*) {}

TEST(CRunWithWebBrowser, RunsTheRequestThenStartsTheServer) {
    struct Case {
        const char* name;
        const wchar_t* text;
        bool hasRun;
        int noSocket;
        bool handler;
        int runResult;
        int serverResult;
        int expected;
        Calls calls;
    } cases[] = {
        {"request and server", L"t", true, 0, false, -1, 0, 0, {L"RunApp|t|0", L"StartServer|31000|0"}},
        {"server result wins", L"t", true, 0, false, 0, -1, -1, {L"RunApp|t|0", L"StartServer|31000|0"}},
        {"no socket", L"t", true, 1, false, -1, 0, 0, {L"RunApp|t|0"}},
        {"handler takes the text", L"t", true, 0, true, 0, 1, 1, {L"StartServer|31000|0"}},
        {"no text", nullptr, true, 0, false, 0, 0, 0, {L"StartServer|31000|0"}},
        {"no run object", L"t", false, 0, false, 0, 0, -1, {}},
    };
    for (const auto& c : cases) {
        FakeRun run;
        run.runAppResult = c.runResult;
        run.startServerResult = c.serverResult;
        CRunWithWebBrowser runWith;
        if (c.handler) runWith.SetRunHandler(IgnoreRequest);
        runWith.Initialize(c.text, 31000, c.hasRun ? &run : nullptr, c.noSocket);
        EXPECT_EQ(runWith.Run(), c.expected) << c.name;
        EXPECT_EQ(run.Calls(), c.calls) << c.name;
    }
}

}  // namespace
