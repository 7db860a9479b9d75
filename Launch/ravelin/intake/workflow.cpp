#include "workflow.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "consent.h"
#include "nimbo/names.h"
#include "objectmodel.h"
#include "ravelin_resources.h"
#include "requesttext.h"
#include "runapp.h"
#include "scwconv.h"
#include "servertcpsocket.h"
#include "websocket.h"

namespace NimboNS {
namespace {

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::string ThreadAnsi(const wchar_t* text, int length) {
    const int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring FromThreadAnsi(const std::string& text) {
    if (text.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

DWORD WINAPI ConnectionThread(void* connection) {
    return ServeConnection(connection);
}

DWORD WINAPI AcceptThread(void* socket) {
    try {
        static_cast<IServerTcpSocket*>(socket)->AcceptLoop();
    } catch (...) {
    }
    return 0;
}

// The app URL a page asks for: the request without its options, decoded.
std::wstring RequestedAppUrl(const std::wstring& text) {
    std::wstring url = PercentDecode(text);
    TakeCookieOption(url);
    TakeDebugOption(url);
    const size_t first = url.find_first_not_of(L" \t");
    const size_t last = url.find_last_not_of(L" \t");
    return first == std::wstring::npos ? std::wstring() : url.substr(first, last - first + 1);
}

}  // namespace

CLauncherWorkflow::CLauncherWorkflow(WorkflowParts parts) : parts_(std::move(parts)) {
    recvPortEvent_ = CreateEventW(nullptr, FALSE, FALSE, parts_.answerEventName.c_str());
    if (!parts_.findOwner) parts_.findOwner = FindOwnerInTcpTable;
    if (!parts_.launch)
        parts_.launch = [](const wchar_t* text, Connection connection, ReplyFunction reply) {
            CRunApp launch(0);
            return launch.Launch(text, connection, reply);
        };
    if (!parts_.consent) parts_.consent = AskPageConsent;
    if (!parts_.startInSession)
        parts_.startInSession = [this](DWORD session, const std::wstring& text) {
            return StartLauncherInSession(session, text);
        };
}

CLauncherWorkflow::~CLauncherWorkflow() {
    StopReporting();
    if (serverSocket_ != nullptr) {
        serverSocket_->Cleanup();
        ReleaseObject(serverSocket_);
    }
    if (recvPortEvent_ != nullptr) CloseHandle(recvPortEvent_);
    // The port watch's timer belongs to the daemon, which ends it.
}

int CLauncherWorkflow::Initialize(int port, DWORD session, RequestHandler handler, int sessionLaunch) {
    configuredPort_ = port;
    ownSession_ = session;
    requestHandler_ = handler;
    sessionLaunch_ = sessionLaunch;
    if (serverSocket_ != nullptr) return 0;
    serverSocket_ = new CServerTcpSocket();
    if (serverSocket_->Startup() == 0 || serverSocket_->Create() == 0) return -1;
    int bound = port;
    const int result = serverSocket_->BindAndListen(bound);
    serverSocket_->SetHandler(this);
    boundPort_ = bound;
    return result;
}

int CLauncherWorkflow::StartAccepting() {
    if (serverSocket_ == nullptr) return 1;
    HANDLE thread = CreateThread(nullptr, 0, AcceptThread, serverSocket_, 0, nullptr);
    if (thread != nullptr) CloseHandle(thread);
    return 0;
}

int CLauncherWorkflow::HandleConnection(void* connection) {
    HANDLE thread = CreateThread(nullptr, 0, ConnectionThread, connection, 0, nullptr);
    if (thread == nullptr) return -1;  // the accept loop closes the socket and keeps the record
    CloseHandle(thread);
    return 0;
}

std::map<int, int> CLauncherWorkflow::PortSessions() {
    std::lock_guard<std::mutex> hold(lock_);
    return portSessions_;
}

std::map<int, int> CLauncherWorkflow::PidSessions() {
    std::lock_guard<std::mutex> hold(lock_);
    return pidSessions_;
}

void CLauncherWorkflow::Reply(ConnectionRecord& connection, char* reply, unsigned id, ...) {
    const wchar_t* resource = nullptr;
    const int length = LoadStringW(ThisModule(), id, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0) return;
    const std::string pattern = ThreadAnsi(resource, length);
    va_list args;
    va_start(args, id);
    std::vsnprintf(reply, kReplyBufferBytes, pattern.c_str(), args);
    va_end(args);
    SendTextFrame(connection.socket, reply, static_cast<int>(std::strlen(reply)));
}

bool CLauncherWorkflow::AnyLauncherReported() {
    std::lock_guard<std::mutex> hold(lock_);
    for (const auto& [port, session] : portSessions_)
        if (session != 0) return true;
    return false;
}

void CLauncherWorkflow::HandleRequest(ConnectionRecord* connection, const char* data, size_t n, char* reply,
                                      int isFrame) {
    if (connection == nullptr || data == nullptr) return;
    const BrowserOwner owner = parts_.findOwner(boundPort_, connection->clientPort);
    const DWORD browserSession = owner.sessionKnown ? owner.session : 0;

    std::string request;
    if (isFrame == 0) {
        request.assign(data, std::min(n, kMaxRequestBytes - 1));
        request.resize(std::strlen(request.c_str()));
    } else {
        const FrameKind kind = DecodeClientFrame(reinterpret_cast<const uint8_t*>(data), n, request);
        if (kind != FrameKind::Text) {
            // A close frame ends the connection; so does a frame too long for a request.
            closesocket(connection->socket);
            connection->socket = INVALID_SOCKET;
            return;
        }
    }

    if (sessionLaunch_ != 0) return ServeInBrowserSession(*connection, request, browserSession, reply);
    // Without a known owner the browser is taken to be in this session, unless other launchers
    // have reported: then the routing decides.
    const bool unknown = owner.pid == 0 || !owner.sessionKnown;
    if (browserSession != ownSession_ && !(unknown && !AnyLauncherReported()))
        return RouteToSession(*connection, owner, reply);
    ServeSameSession(*connection, request, reply);
}

void CLauncherWorkflow::RouteToSession(ConnectionRecord& connection, const BrowserOwner& owner, char* reply) {
    const int pid = static_cast<int>(owner.pid);
    const DWORD browserSession = owner.sessionKnown ? owner.session : 0;
    int session = 0;
    bool ask = false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        auto known = pidSessions_.find(pid);
        if (known != pidSessions_.end() && known->second >= 1) {
            session = known->second;
        } else if (browserSession != 0) {
            pidSessions_[pid] = 0;  // a question for the reporting launchers
            ask = true;
        }
    }
    if (ask) {
        WaitForSingleObject(recvPortEvent_, parts_.answerWaitMs);
        Sleep(parts_.answerPauseMs);
        std::lock_guard<std::mutex> hold(lock_);
        session = pidSessions_[pid];
    }
    int port = 0;
    {
        std::lock_guard<std::mutex> hold(lock_);
        for (const auto& [entryPort, entrySession] : portSessions_) {
            if (entrySession != 0 && entrySession == session) {
                port = entryPort;
                break;
            }
        }
    }
    if (port == 0) return Reply(connection, reply, IDS_NO_ACTIVE_LAUNCHER);
    std::snprintf(reply, kReplyBufferBytes, "%d", port);
    SendTextFrame(connection.socket, reply, static_cast<int>(std::strlen(reply)));
}

bool CLauncherWorkflow::ClaimLaunch(const std::wstring& text, const DWORD* browserSession) {
    std::lock_guard<std::mutex> hold(lock_);
    if (busy_ != 0 && text == lastRequest_ && (browserSession == nullptr || lastSession_ == *browserSession))
        return false;
    if (browserSession != nullptr) lastSession_ = *browserSession;
    busy_ = 1;
    lastRequest_ = text;
    return true;
}

void CLauncherWorkflow::ServeSameSession(ConnectionRecord& connection, const std::string& request,
                                         char* reply) {
    Reply(connection, reply, IDS_CONNECTION_ESTABLISHED, static_cast<int>(connection.clientPort));
    const std::wstring text = FromThreadAnsi(request);
    if (requestHandler_ != nullptr) return requestHandler_(text.c_str());
    if (text.empty()) return;
    if (!ClaimLaunch(text, nullptr)) return Reply(connection, reply, IDS_SAME_PROGRAM_DOWNLOADING);
    Reply(connection, reply, IDS_ACCEPTING_DATA, request.c_str());
    // A page may start an app URL only once the user has allowed it; any other text is refused
    // by the launch itself and never started.
    if (HasWebScheme(text) && !parts_.consent(connection.origin, RequestedAppUrl(text))) {
        Reply(connection, reply, IDS_FINISH);
    } else {
        parts_.launch(text.c_str(), connection.socket, SendTextFrame);
    }
    std::lock_guard<std::mutex> hold(lock_);
    busy_ = 0;
}

void CLauncherWorkflow::ServeInBrowserSession(ConnectionRecord& connection, const std::string& request,
                                              DWORD browserSession, char* reply) {
    Reply(connection, reply, IDS_CONNECTION_ESTABLISHED, static_cast<int>(connection.clientPort));
    const std::wstring text = FromThreadAnsi(request);
    if (requestHandler_ != nullptr) return requestHandler_(text.c_str());
    if (text.empty()) return;
    if (!ClaimLaunch(text, &browserSession)) return Reply(connection, reply, IDS_SAME_PROGRAM_DOWNLOADING);
    Reply(connection, reply, IDS_ACCEPTING_DATA, request.c_str());
    // The launcher started there runs its text as a command line when it is no app URL: only
    // app URLs go.
    const bool started = HasWebScheme(text) && parts_.startInSession(browserSession, text) == 0;
    Reply(connection, reply, started ? IDS_FINISH : IDS_RUN_FAILED);
    std::lock_guard<std::mutex> hold(lock_);
    busy_ = 0;
}

}  // namespace NimboNS
