#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include "run.h"

namespace {

using NimboNS::CRun;

void Handler(const wchar_t*) {}

TEST(CRun, RunAppRefusesAMissingOrEmptyText) {
    CRun run;
    EXPECT_EQ(run.RunApp(nullptr, 0), -1);
    EXPECT_EQ(run.RunApp(L"", 1), -1);
}

TEST(CRun, SetRequestHandlerHandsTheHandlerBack) {
    CRun run;
    EXPECT_EQ(run.SetRequestHandler(Handler), &Handler);
    EXPECT_EQ(run.SetRequestHandler(nullptr), nullptr);
}

bool Listening(int port) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    closesocket(s);
    WSACleanup();
    return ok;
}

// A run object reports a server only when one listens, and starts at most one.
TEST(CRun, StartServerNeverClaimsAServerThatDoesNotListen) {
    const int port = 20000 + static_cast<int>(GetCurrentProcessId() % 20000);
    CRun run;
    const int first = run.StartServer(port, 1);
    if (first != -1) {
        EXPECT_TRUE(Listening(port) || Listening(port + 1));
    }
    EXPECT_EQ(run.StartServer(port, 1), -1);
}

// True when a UDP socket can take `port` on the loopback address (no daemon receives there).
bool UdpPortFree(int port) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool free = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    closesocket(s);
    WSACleanup();
    return free;
}

// The run object that gets the port is the main receiver: its daemon takes the session reports
// on the same UDP port. With sessionLaunch 1 there is no daemon. (The run objects are not
// released: their server threads are never stopped.)
TEST(CRun, TheServerOnTheRequestedPortReceivesReportsUnlessItLaunchesInSessions) {
    const int port = 30000 + static_cast<int>(GetCurrentProcessId() % 10000);
    auto* sessions = new CRun();
    EXPECT_EQ(sessions->StartServer(port, 1), 0);
    EXPECT_TRUE(Listening(port));
    EXPECT_TRUE(UdpPortFree(port));

    auto* main = new CRun();
    EXPECT_EQ(main->StartServer(port + 5, 0), 0);
    EXPECT_TRUE(Listening(port + 5));
    bool taken = false;  // the daemon's thread binds it
    for (int i = 0; i < 100 && !taken; ++i, Sleep(50)) taken = !UdpPortFree(port + 5);
    EXPECT_TRUE(taken) << "the main receiver's daemon listens for reports";
    EXPECT_EQ(main->StartServer(port + 5, 0), -1);
}

}  // namespace
