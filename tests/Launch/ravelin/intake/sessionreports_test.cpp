#include <winsock2.h>  // before windows.h

#include <gtest/gtest.h>

#include <thread>

#include "sessiondatagram.h"
#include "udpsockets.h"
#include "workflow_fixture.h"

// The datagrams between launchers: the main receiver's tables and the reporting loop.
namespace {

using namespace intake_test;
using namespace NimboNS;
using Table = std::map<int, int>;

TEST(SessionDatagrams, ParseAndFormat) {
    EXPECT_EQ(SessionReport(3, 26572), "#SESS#3#SESS#26572");
    EXPECT_EQ(ProcessReport(2, 4711), "#PROC#2#PROC#4711");
    const struct {
        const char* text;
        SessionDatagram::Kind kind;
        int session, port, pid;
    } cases[] = {
        {"#SESS#3#SESS#26572", SessionDatagram::Session, 3, 26572, 0},
        {"#sess#4#Sess#26573", SessionDatagram::Session, 4, 26573, 0},
        {"#PROC#2#PROC#4711", SessionDatagram::Process, 2, 0, 4711},
        {"#SESS#3", SessionDatagram::Other, 0, 0, 0},
        {"#SESS#3#SESS#70000", SessionDatagram::Other, 0, 0, 0},
        {"4711", SessionDatagram::Other, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const SessionDatagram d = ParseSessionDatagram(c.text);
        EXPECT_EQ(d.kind, c.kind) << c.text;
        EXPECT_EQ(d.session, c.session) << c.text;
        EXPECT_EQ(d.port, c.port) << c.text;
        EXPECT_EQ(d.pid, c.pid) << c.text;
    }
}

TEST(SessionReports, ASessionsNewPortReplacesItsOldOne) {
    WorkflowFixture fixture(BrowserOwner{});
    fixture.Deliver("#SESS#3#SESS#26580");
    fixture.Deliver("#SESS#4#SESS#26590");
    EXPECT_EQ(fixture.workflow().PortSessions(), (Table{{26580, 3}, {26590, 4}}));
    fixture.Deliver("#sess#3#sess#26581");
    EXPECT_EQ(fixture.workflow().PortSessions(), (Table{{26580, 0}, {26581, 3}, {26590, 4}}));
}

TEST(SessionReports, ARepeatedProcessAnswerIsIgnored) {
    WorkflowFixture fixture(BrowserOwner{});
    fixture.Deliver("#PROC#2#PROC#777");
    fixture.Deliver("#PROC#5#PROC#777");
    EXPECT_EQ(fixture.workflow().PidSessions(), (Table{{777, 2}}));
    fixture.Deliver("#PROC#6#PROC#778");
    fixture.Deliver("#PROC#5#PROC#777");
    EXPECT_EQ(fixture.workflow().PidSessions(), (Table{{777, 5}, {778, 6}}));
    fixture.Deliver("#PROC#1#PROC#0");
    fixture.Deliver("garbage");
    EXPECT_EQ(fixture.workflow().PidSessions(), (Table{{777, 5}, {778, 6}}));
}

// A second launcher on the next port reports its session and port to the first over UDP.
TEST(SessionReports, ASecondLauncherReportsToTheFirst) {
    WorkflowFixture main(BrowserOwner{});
    const int port = main.port();
    auto* second = new CLauncherWorkflow();
    ASSERT_EQ(second->Initialize(port, 4, nullptr, 0), 1);
    EXPECT_EQ(second->BoundPort(), port + 1);

    CServerUdpSocket receiver;
    receiver.SetHandler(&main.workflow());
    ASSERT_EQ(receiver.Startup(), 1);
    ASSERT_EQ(receiver.Create(), 1);
    ASSERT_EQ(receiver.Bind(port), 1);
    std::thread receiving([&] { receiver.ReceiveLoop(); });
    CClientUdpSocket reporter;
    reporter.SetHandler(second);
    ASSERT_EQ(reporter.Create(), 1);
    std::thread reporting([&] { reporter.Run(); });

    Table seen;
    for (int i = 0; i < 200 && seen.empty(); ++i, Sleep(50)) seen = main.workflow().PortSessions();
    EXPECT_EQ(seen, (Table{{port + 1, 4}}));

    second->StopReporting();
    reporting.join();
    receiver.Cleanup();
    receiving.join();
}

}  // namespace
