#include <winsock2.h>  // before windows.h
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "workflow_fixture.h"

// Browser requests through a real listening socket; the browser's session is injected.
namespace {

using namespace intake_test;
using NimboNS::BrowserOwner;
using Texts = std::vector<std::string>;

const BrowserOwner kSameSession{1234, true, WorkflowFixture::kOwnSession};
const BrowserOwner kOtherSession{4242, true, 2};

std::string Established(u_short port) {
    return "Websocket connection between the app launcher and server is established at port " +
           std::to_string(port);
}
std::string Accepting(const std::string& text) {
    return "App launcher is accepting data: " + text;
}
const char kNoLauncher[] = "Error: No active app launcher process.";
const char kSameProgram[] = "The same program is currently being downloaded. Please refresh the page later.";

TEST(Workflow, APageInThisSessionIsLaunchedHereAfterTheUsersConsent) {
    WorkflowFixture fixture(kSameSession);
    WsClient client;
    ASSERT_TRUE(client.Connect(fixture.port()));
    ASSERT_NE(client.Handshake("/", "https://shop.test").find("s3pPLMBiTxaQ9kYGzzhZRbK+xOo="),
              std::string::npos);
    const std::string request = "http://127.0.0.1:8080/Sales%20App -cookie sid=1 -debug";
    client.Send(ClientFrame(request));
    EXPECT_EQ(client.ReadTexts(), (Texts{Established(client.LocalPort()), Accepting(request), "launched"}));
    auto& r = fixture.recorded();
    EXPECT_EQ(r.ownerQueries, (std::vector<int>{client.LocalPort()}));
    EXPECT_EQ(r.consents, (Texts{"https://shop.test|http://127.0.0.1:8080/Sales App"}));
    ASSERT_EQ(r.launches.size(), 1u);
    EXPECT_EQ(r.launches[0], L"http://127.0.0.1:8080/Sales%20App -cookie sid=1 -debug");
}

TEST(Workflow, TheRequestLineCarriesARequestToo) {
    WorkflowFixture fixture(kSameSession);
    WsClient client;
    ASSERT_TRUE(client.Connect(fixture.port()));
    ASSERT_FALSE(client.Handshake("/http://h/App", "").empty());
    EXPECT_EQ(client.ReadTexts(3000),
              (Texts{Established(client.LocalPort()), Accepting("http://h/App"), "launched"}));
    EXPECT_EQ(fixture.recorded().consents, (Texts{"|http://h/App"}));
}

TEST(Workflow, ARefusedPageStartsNothing) {
    WorkflowFixture fixture(kSameSession, 0, false);
    const Texts replies = fixture.Request("http://h/App");
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[2], "finish.");
    EXPECT_TRUE(fixture.recorded().launches.empty());
}

// Text that is no app URL is never a question for the user; the launch refuses it itself.
TEST(Workflow, TextsThatAreNoAppUrlAskNothing) {
    WorkflowFixture fixture(kSameSession);
    fixture.Request("cmd.exe /c echo x");
    EXPECT_TRUE(fixture.recorded().consents.empty());
    EXPECT_EQ(fixture.recorded().launches, (std::vector<std::wstring>{L"cmd.exe /c echo x"}));
}

TEST(Workflow, TheSameRequestDuringItsLaunchIsTurnedAway) {
    WorkflowFixture fixture(kSameSession);
    fixture.HoldLaunches();
    WsClient first;
    ASSERT_TRUE(first.Connect(fixture.port()));
    first.Handshake();
    first.Send(ClientFrame("http://h/App"));
    ASSERT_TRUE(fixture.LaunchStarted());

    WsClient second;
    ASSERT_TRUE(second.Connect(fixture.port()));
    second.Handshake();
    second.Send(ClientFrame("http://h/App"));
    EXPECT_EQ(second.ReadTexts(), (Texts{Established(second.LocalPort()), kSameProgram}));

    fixture.ReleaseLaunches();
    EXPECT_EQ(first.ReadTexts().back(), "launched");
    // Once it is over the same request launches again.
    EXPECT_EQ(fixture.Request("http://h/App").back(), "launched");
}

TEST(Workflow, AFrameTooLongForARequestClosesTheConnection) {
    WorkflowFixture fixture(kSameSession);
    WsClient client;
    ASSERT_TRUE(client.Connect(fixture.port()));
    client.Handshake();
    client.Send(ClientFrame("http://h/" + std::string(1020, 'a')));
    EXPECT_TRUE(client.ReadTexts().empty());
    EXPECT_TRUE(fixture.recorded().launches.empty());
    // Exactly 1024 bytes are still a request.
    const std::string longest = "http://h/" + std::string(1015, 'a');
    EXPECT_EQ(fixture.Request(longest).back(), "launched");
}

// A frame is read whole however the bytes arrive, and however short it is.
TEST(Workflow, AFrameIsReadWholeWhenItArrivesInPieces) {
    const struct {
        const char* request;
        size_t firstPiece;  // bytes sent before a pause
    } cases[] = {{"http://h/App", 1},
                 {"http://h/App", 7},
                 {"http://h/"  // 139 bytes: the 16-bit length form
                  "0123456789012345678901234567890123456789"
                  "01234567890123456789012345678901234567890123456789"
                  "0123456789012345678901234567890123456789",
                  60},
                 {"hi", 3}};
    for (const auto& c : cases) {
        WorkflowFixture fixture(kSameSession);
        WsClient client;
        ASSERT_TRUE(client.Connect(fixture.port()));
        client.Handshake();
        const std::string frame = ClientFrame(c.request);
        client.Send(frame.substr(0, c.firstPiece));
        Sleep(300);
        client.Send(frame.substr(c.firstPiece));
        const Texts replies = client.ReadTexts();
        ASSERT_EQ(replies.size(), 3u) << c.request << " " << c.firstPiece;
        EXPECT_EQ(replies[1], Accepting(c.request));
        EXPECT_EQ(fixture.recorded().launches,
                  (std::vector<std::wstring>{std::wstring(c.request, c.request + std::strlen(c.request))}));
    }
}

TEST(Workflow, AHandlerTakesTheRequestsInsteadOfTheLaunch) {
    static std::wstring handled;
    WorkflowFixture fixture(kSameSession, 0, true, 0, [](const wchar_t* text) { handled = text; });
    EXPECT_EQ(fixture.Request("http://h/App").size(), 1u);
    EXPECT_EQ(handled, L"http://h/App");
    EXPECT_TRUE(fixture.recorded().launches.empty());
}

// Only programs of this machine reach the launcher: the server is not on the machine's other
// addresses.
TEST(Workflow, TheServerListensOnTheLoopbackAddressOnly) {
    WorkflowFixture fixture(kSameSession);
    // The address this machine would send from to the outside (a UDP "connect" sends nothing).
    SOCKET probe = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(9);
    inet_pton(AF_INET, "198.51.100.1", &remote.sin_addr);
    sockaddr_in outside{};
    int size = sizeof(outside);
    const bool routed = connect(probe, reinterpret_cast<sockaddr*>(&remote), sizeof(remote)) == 0 &&
                        getsockname(probe, reinterpret_cast<sockaddr*>(&outside), &size) == 0;
    closesocket(probe);
    if (!routed || outside.sin_addr.s_addr == 0 || (ntohl(outside.sin_addr.s_addr) >> 24) == 127)
        GTEST_SKIP() << "this machine has no address but the loopback one";
    outside.sin_port = htons(static_cast<u_short>(fixture.port()));
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    EXPECT_NE(connect(s, reinterpret_cast<sockaddr*>(&outside), sizeof(outside)), 0);
    closesocket(s);
    WsClient loopback;
    EXPECT_TRUE(loopback.Connect(fixture.port()));
}

// Where a page's request goes, by what is known of the browser and of the other launchers.
TEST(WorkflowRouting, RequestsGoToTheLauncherOfTheBrowsersSession) {
    const struct Case {
        const char* name;
        BrowserOwner owner;
        std::vector<std::string> datagrams;  // reports received before the request
        std::string lastReply;               // "launched" = served here
    } cases[] = {
        {"own session", kSameSession, {}, "launched"},
        {"other session with its launcher",
         kOtherSession,
         {"#SESS#2#SESS#26600", "#PROC#2#PROC#4242"},
         "26600"},
        {"the launcher moved",
         kOtherSession,
         {"#SESS#2#SESS#26600", "#SESS#2#SESS#26605", "#PROC#2#PROC#4242"},
         "26605"},
        {"the reporters name the session",
         {4242, true, 7},
         {"#SESS#2#SESS#26600", "#PROC#2#PROC#4242"},
         "26600"},
        {"no launcher in that session",
         kOtherSession,
         {"#SESS#3#SESS#26600", "#PROC#2#PROC#4242"},
         kNoLauncher},
        {"nobody answers", kOtherSession, {"#SESS#2#SESS#26600"}, kNoLauncher},
        {"no owner, nobody reported", {0, false, 0}, {}, "launched"},
        {"session unknown, nobody reported", {4242, false, 0}, {}, "launched"},
        {"no owner, another launcher reported", {0, false, 0}, {"#SESS#2#SESS#26600"}, kNoLauncher},
    };
    for (const Case& c : cases) {
        WorkflowFixture fixture(c.owner);
        for (const std::string& datagram : c.datagrams) fixture.Deliver(datagram);
        const Texts replies = fixture.Request("http://h/App");
        ASSERT_FALSE(replies.empty()) << c.name;
        EXPECT_EQ(replies.back(), c.lastReply) << c.name;
        if (c.lastReply != "launched") {
            EXPECT_EQ(replies.size(), 1u) << c.name;
        }
        EXPECT_EQ(fixture.recorded().launches.empty(), c.lastReply != "launched") << c.name;
    }
}

// The browser's pid is asked of the reporting launchers; the answer names the session.
TEST(WorkflowRouting, APendingQuestionIsAnsweredByAReporter) {
    WorkflowFixture fixture(kOtherSession);
    Texts replies;
    std::thread page([&] { replies = fixture.Request("http://h/App"); });
    Texts questions;
    for (int i = 0; i < 100 && questions.empty(); ++i) questions = fixture.Deliver("#SESS#2#SESS#26610");
    EXPECT_EQ(questions, (Texts{"4242"}));
    fixture.Deliver("#PROC#2#PROC#4242");
    page.join();
    EXPECT_EQ(replies, (Texts{"26610"}));
    EXPECT_EQ(fixture.workflow().PidSessions(), (std::map<int, int>{{4242, 2}}));
}

TEST(WorkflowSessionLaunch, RequestsStartALauncherInTheBrowsersSession) {
    const struct Case {
        const char* request;
        int startResult;
        std::string lastReply;
        size_t starts;
    } cases[] = {
        {"http://h/App", 0, "finish.", 1},
        {"http://h/App", 3, "Failed to run the application.", 1},
        {"cmd.exe /c echo x", 0, "Failed to run the application.", 0},
    };
    for (const Case& c : cases) {
        WorkflowFixture fixture(kOtherSession, 1, true, c.startResult);
        const Texts replies = fixture.Request(c.request);
        ASSERT_EQ(replies.size(), 3u) << c.request;
        EXPECT_EQ(replies[1], Accepting(c.request));
        EXPECT_EQ(replies[2], c.lastReply) << c.request;
        EXPECT_EQ(fixture.recorded().starts.size(), c.starts) << c.request;
        if (c.starts == 1) {
            EXPECT_EQ(fixture.recorded().starts[0], std::string("2|") + c.request);
        }
    }
}

}  // namespace
