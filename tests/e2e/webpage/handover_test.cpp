#include <winsock2.h>  // before windows.h

#include <gtest/gtest.h>

#include "webpage_fixture.h"
#include "wsclient.h"

// Two serving launchers of one session (two users under Wine): the second listens on the next
// port and reports to the first; when the first ends, the second hands over to a new serving
// launcher on the configured port. (Whether the first can then tell a browser's session depends
// on the TCP table's owner pids, which Wine does not always fill in: the routing itself is
// tested with injected sessions in the intake tests.)
namespace {

using namespace webpage_e2e;
using Texts = std::vector<std::string>;

constexpr int kPort = 26581;

Texts Request(int port, const std::string& text) {
    intake_test::WsClient client;
    if (!client.Connect(port) || client.Handshake("/", "http://pages.test").empty()) return {"no connection"};
    client.Send(intake_test::ClientFrame(text));
    return client.ReadTexts(30000);
}

bool Listening(int port, DWORD timeoutMs = 30000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        intake_test::WsClient probe;
        if (probe.Connect(port)) return true;
        Sleep(200);
    } while (GetTickCount64() < deadline);
    return false;
}

// Serving here: 2003, 2004 and the launch's "finish." (a text that is no app URL starts nothing).
bool ServedHere(const Texts& replies) {
    return replies.size() == 3 && replies[2] == "finish.";
}

// A real first and second launcher: when the first ends, the second hands over.
TEST(ServingLaunchers, WhenTheFirstEndsTheSecondHandsOverItsPort) {
    LauncherInstall install(kPort);
    LauncherRun first(install, L"-launcher");
    ASSERT_TRUE(Listening(kPort));
    EXPECT_TRUE(ServedHere(Request(kPort, "hello")));

    LauncherRun second(install, L"-launcher", "nimbo-webpage-second");
    ASSERT_TRUE(second.started());
    ASSERT_TRUE(Listening(kPort + 1)) << "the second launcher takes the next port";

    first.Quit();
    DWORD code = 1;
    EXPECT_TRUE(first.Wait(15000, code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(second.Wait(30000, code)) << "the second launcher hands over and ends";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ChildLaunchers(second.id()).size(), 1u);
    ASSERT_TRUE(Listening(kPort)) << "the new serving launcher listens on the configured port";
    Texts replies;
    for (int i = 0; i < 20 && !ServedHere(replies); ++i, Sleep(500)) replies = Request(kPort, "hello");
    EXPECT_TRUE(ServedHere(replies)) << testing::PrintToString(replies);
}

// The datagrams on the wire: this test holds the configured port as the first launcher would
// and hears what a second launcher reports and answers.
TEST(ServingLaunchers, TheSecondReportsItsSessionAndPortAndAnswersQuestions) {
    intake_test::StartWinsock();
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    SOCKET udp = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    ASSERT_EQ(bind(udp, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    const DWORD waitMs = 20000;
    setsockopt(udp, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&waitMs), sizeof(waitMs));

    LauncherInstall install(kPort);
    LauncherRun launcher(install, L"-launcher", "nimbo-webpage-second");
    ASSERT_TRUE(launcher.started());
    DWORD session = 0;
    ProcessIdToSessionId(launcher.id(), &session);

    char buffer[300] = {};
    sockaddr_in from{};
    int fromSize = sizeof(from);
    int got = recvfrom(udp, buffer, 256, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
    ASSERT_GT(got, 0);
    EXPECT_EQ(std::string(buffer, got),
              "#SESS#" + std::to_string(session) + "#SESS#" + std::to_string(kPort + 1));
    EXPECT_EQ(ntohl(from.sin_addr.s_addr), static_cast<u_long>(INADDR_LOOPBACK));
    // Asked about a process, it names that process's session.
    const std::string question = std::to_string(GetCurrentProcessId());
    DWORD ownSession = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &ownSession);
    const std::string answer = "#PROC#" + std::to_string(ownSession) + "#PROC#" + question;
    std::string heard;
    for (int i = 0; i < 20 && heard != answer; ++i) {
        sendto(udp, question.data(), static_cast<int>(question.size()), 0, reinterpret_cast<sockaddr*>(&from),
               sizeof(from));
        got = recvfrom(udp, buffer, 256, 0, nullptr, nullptr);
        heard = got > 0 ? std::string(buffer, got) : "";
    }
    EXPECT_EQ(heard, answer);

    // The port becomes free: the launcher hands over to a new one and ends.
    closesocket(listener);
    closesocket(udp);
    DWORD code = 1;
    EXPECT_TRUE(launcher.Wait(30000, code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(Listening(kPort));
}

}  // namespace
