#pragma once
// A browser request workflow listening on a loopback port, with the browser's owner, the
// launch, the consent question and the start in another session replaced by recorders.
#include <winsock2.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "workflow.h"
#include "wsclient.h"

namespace intake_test {

struct Recorded {
    std::mutex lock;
    std::vector<std::wstring> launches;
    std::vector<std::string> consents;  // "<origin>|<app URL>"
    std::vector<std::string> starts;    // "<session>|<text>"
    std::vector<int> ownerQueries;      // client ports asked about
};

class WorkflowFixture {
public:
    // `owner` answers every owner query; the consent answer and the start result are fixed.
    explicit WorkflowFixture(NimboNS::BrowserOwner owner, int sessionLaunch = 0, bool consent = true,
                             int startResult = 0, NimboNS::RequestHandler handler = nullptr);
    ~WorkflowFixture();

    NimboNS::CLauncherWorkflow& workflow() { return *workflow_; }
    int port() const { return workflow_->BoundPort(); }
    Recorded& recorded() { return *recorded_; }
    // While held, launches wait; `LaunchStarted` tells when one waits.
    void HoldLaunches() { ResetEvent(release_); }
    void ReleaseLaunches() { SetEvent(release_); }
    bool LaunchStarted(DWORD waitMs = 10000) {
        return WaitForSingleObject(started_, waitMs) == WAIT_OBJECT_0;
    }
    // Hands `datagram` to the workflow's ReceiveSessionReport; the datagrams it answered with.
    std::vector<std::string> Deliver(const std::string& datagram);
    // A connection that sent `request` in one frame (after a handshake from `origin`); its replies.
    std::vector<std::string> Request(const std::string& request,
                                     const std::string& origin = "http://pages.test");

    static constexpr DWORD kOwnSession = 1;

private:
    std::shared_ptr<Recorded> recorded_ = std::make_shared<Recorded>();
    HANDLE release_ = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    HANDLE started_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    NimboNS::CLauncherWorkflow* workflow_ = nullptr;
    SOCKET receiver_ = INVALID_SOCKET;
    SOCKET reporter_ = INVALID_SOCKET;
};

// A port of its own for each test program (ports of one run do not meet).
int TestPort();

}  // namespace intake_test
