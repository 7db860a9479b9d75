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

}  // namespace
