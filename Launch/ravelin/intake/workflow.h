#pragma once
// The browser request workflow behind the listening socket of one launcher: finds the session
// of the browser that connected, then launches the request here, names the port of the launcher
// that serves the browser's session, or starts the launch in that session.
#include <winsock2.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "iworkflow.h"
#include "launchparts.h"
#include "nimbo/names.h"

namespace NimboNS {

class IServerTcpSocket;
struct ConnectionRecord;

inline constexpr size_t kReplyBufferBytes = 1024;

// The process behind a connection's client end and its Windows session.
struct BrowserOwner {
    DWORD pid = 0;              // 0 when the TCP table has no row (or no owner) for it
    bool sessionKnown = false;  // false when the pid's session could not be read
    DWORD session = 0;
};

// What the workflow works with, replaceable to watch it.
struct WorkflowParts {
    // The owner of the local end `clientPort` of a connection to `boundPort`.
    std::function<BrowserOwner(int boundPort, int clientPort)> findOwner;
    // One launch with its replies on the connection (CRunApp::Launch).
    std::function<int(const wchar_t* text, Connection connection, ReplyFunction reply)> launch;
    // Whether the user lets the page `origin` start `appUrl` (asked once, then remembered).
    std::function<bool(const std::string& origin, const std::wstring& appUrl)> consent;
    // A launch of `text` in another session (StartLauncherInSession); 0 when it succeeded.
    std::function<int(DWORD session, const std::wstring& text)> startInSession;
    // How long a routing question waits for its answer, and the pause after it.
    DWORD answerWaitMs = 5000;
    DWORD answerPauseMs = 2000;
    // The event a routing question waits on; named so that the session's launchers share it.
    std::wstring answerEventName = names::kRecvPortEvent;
};

class CLauncherWorkflow final : public IWorkflow {
public:
    // Parts left empty are the real ones: the TCP table, CRunApp, the consent question with its
    // memory in the registry, StartLauncherInSession.
    explicit CLauncherWorkflow(WorkflowParts parts = {});
    ~CLauncherWorkflow() override;
    CLauncherWorkflow(const CLauncherWorkflow&) = delete;
    CLauncherWorkflow& operator=(const CLauncherWorkflow&) = delete;

    void Release() override { delete this; }
    int HandleConnection(void* connection) override;
    void ReceiveSessionReport(UINT_PTR udpSocket) override;
    void RunSessionReporter(UINT_PTR udpSocket) override;
    int StartAccepting() override;
    int Initialize(int port, DWORD session, RequestHandler handler, int sessionLaunch) override;

    // One request of a connection: `data` is the request line's text (isFrame 0) or the bytes of
    // one client frame (isFrame 1); replies are formatted in `replyBuffer` (kReplyBufferBytes).
    void HandleRequest(ConnectionRecord* connection, const char* data, size_t n, char* replyBuffer,
                       int isFrame);

    // Starts the launcher program in `session` as that session's user with "-u" and `text`; the
    // started launcher's exit code, or -1 when it could not be started.
    int StartLauncherInSession(DWORD session, const std::wstring& text);

    int BoundPort() const { return boundPort_; }
    int ConfiguredPort() const { return configuredPort_; }
    // Copies of the session tables, for looking at them.
    std::map<int, int> PortSessions();
    std::map<int, int> PidSessions();
    // Ends RunSessionReporter at its next turn.
    void StopReporting() { InterlockedExchange(&stopReporting_, 1); }

private:
    void ServeSameSession(ConnectionRecord& connection, const std::string& request, char* reply);
    void ServeInBrowserSession(ConnectionRecord& connection, const std::string& request, DWORD browserSession,
                               char* reply);
    void RouteToSession(ConnectionRecord& connection, const BrowserOwner& owner, char* reply);
    bool AnyLauncherReported();
    // Marks a launch of `text` (for `browserSession` when given) as running; false when the same
    // launch runs already.
    bool ClaimLaunch(const std::wstring& text, const DWORD* browserSession);
    void Reply(ConnectionRecord& connection, char* reply, unsigned id, ...);

    int boundPort_ = 0;
    int configuredPort_ = 0;
    int sessionLaunch_ = 0;
    int lastReportedPid_ = 0;
    int busy_ = 0;
    DWORD ownSession_ = 0;
    HANDLE recvPortEvent_ = nullptr;
    std::wstring lastRequest_;
    IServerTcpSocket* serverSocket_ = nullptr;
    std::map<int, int> pidSessions_;
    std::map<int, int> portSessions_;
    RequestHandler requestHandler_ = nullptr;
    DWORD lastSession_ = 0;

    WorkflowParts parts_;
    std::mutex lock_;  // busy, lastRequest, lastSession, the maps and lastReportedPid
    volatile LONG stopReporting_ = 0;
};

// The owner of a loopback connection from the system's TCP table.
BrowserOwner FindOwnerInTcpTable(int boundPort, int clientPort);

}  // namespace NimboNS
