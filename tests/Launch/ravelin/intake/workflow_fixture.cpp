#include "workflow_fixture.h"

#include <ws2tcpip.h>

#include "servertcpsocket.h"
#include "websocket.h"

namespace intake_test {

using namespace NimboNS;

int TestPort() {
    static int next = 21000 + static_cast<int>(GetCurrentProcessId() % 997) * 40;
    const int port = next;
    next += 25;
    return port;
}

WorkflowFixture::WorkflowFixture(BrowserOwner owner, int sessionLaunch, bool consent, int startResult,
                                 RequestHandler handler) {
    StartWinsock();
    WorkflowParts parts;
    auto recorded = recorded_;
    parts.findOwner = [recorded, owner](int, int clientPort) {
        std::lock_guard<std::mutex> hold(recorded->lock);
        recorded->ownerQueries.push_back(clientPort);
        return owner;
    };
    HANDLE release = release_, started = started_;
    parts.launch = [recorded, release, started](const wchar_t* text, Connection connection,
                                                ReplyFunction reply) {
        {
            std::lock_guard<std::mutex> hold(recorded->lock);
            recorded->launches.push_back(text);
        }
        SetEvent(started);
        WaitForSingleObject(release, 30000);
        reply(connection, "launched", 8);
        return 0;
    };
    parts.consent = [recorded, consent](const std::string& origin, const std::wstring& url) {
        std::lock_guard<std::mutex> hold(recorded->lock);
        recorded->consents.push_back(origin + "|" + std::string(url.begin(), url.end()));
        return consent;
    };
    parts.startInSession = [recorded, startResult](DWORD session, const std::wstring& text) {
        std::lock_guard<std::mutex> hold(recorded->lock);
        recorded->starts.push_back(std::to_string(session) + "|" + std::string(text.begin(), text.end()));
        return startResult;
    };
    parts.answerWaitMs = 3000;
    parts.answerPauseMs = 200;
    // Test programs run side by side: an answer meant for another one must not wake this one.
    static int fixtures = 0;
    parts.answerEventName = L"NimboTestRecvPortEvent_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(++fixtures);
    workflow_ = new CLauncherWorkflow(parts);
    workflow_->Initialize(TestPort(), kOwnSession, handler, sessionLaunch);
    workflow_->StartAccepting();

    receiver_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    reporter_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    const sockaddr_in any = LoopbackAddress(0);
    bind(receiver_, reinterpret_cast<const sockaddr*>(&any), sizeof(any));
    bind(reporter_, reinterpret_cast<const sockaddr*>(&any), sizeof(any));
    const DWORD waitMs = 300;
    setsockopt(reporter_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&waitMs), sizeof(waitMs));
}

WorkflowFixture::~WorkflowFixture() {
    ReleaseLaunches();
    closesocket(receiver_);
    closesocket(reporter_);
    // The workflow is not released: like the run object's, its accept and connection threads are
    // never stopped, and they may still be finishing their replies.
    Sleep(200);
}

std::vector<std::string> WorkflowFixture::Deliver(const std::string& datagram) {
    sockaddr_in to{};
    int size = sizeof(to);
    getsockname(receiver_, reinterpret_cast<sockaddr*>(&to), &size);
    sendto(reporter_, datagram.data(), static_cast<int>(datagram.size()), 0, reinterpret_cast<sockaddr*>(&to),
           sizeof(to));
    workflow_->ReceiveSessionReport(receiver_);
    std::vector<std::string> answers;
    char buffer[300];
    int got;
    while ((got = recv(reporter_, buffer, sizeof(buffer), 0)) > 0) answers.emplace_back(buffer, got);
    return answers;
}

std::vector<std::string> WorkflowFixture::Request(const std::string& request, const std::string& origin) {
    WsClient client;
    if (!client.Connect(port()) || client.Handshake("/", origin).empty()) return {"no connection"};
    client.Send(ClientFrame(request));
    return client.ReadTexts();
}

}  // namespace intake_test
