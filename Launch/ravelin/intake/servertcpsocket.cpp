#include "servertcpsocket.h"

#include <ws2tcpip.h>

#include <memory>
#include <vector>

#include "websocket.h"
#include "workflow.h"

namespace NimboNS {

sockaddr_in LoopbackAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

SOCKET NotInherited(SOCKET socket) {
    if (socket != INVALID_SOCKET)
        SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
    return socket;
}

CServerTcpSocket::~CServerTcpSocket() {
    Close();
}

int CServerTcpSocket::Startup() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    started_ = true;
    return 1;
}

int CServerTcpSocket::Create() {
    if (socket_ == INVALID_SOCKET) socket_ = NotInherited(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    return socket_ != INVALID_SOCKET ? 1 : 0;
}

int CServerTcpSocket::BindAndListen(int& port) {
    if (socket_ == INVALID_SOCKET) return -1;
    bool moved = false;
    for (int retry = 0;; ++retry) {
        const sockaddr_in address = LoopbackAddress(port);
        if (bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) break;
        if (WSAGetLastError() != WSAEADDRINUSE || retry >= kPortRetries || port >= 65535)
            return moved ? 1 : -1;
        ++port;
        moved = true;
    }
    port_ = static_cast<u_short>(port);
    if (listen(socket_, SOMAXCONN) != 0) return moved ? 1 : -1;
    return moved ? 1 : 0;
}

void CServerTcpSocket::AcceptLoop() {
    while (stop_ == 0) {
        auto connection = std::make_unique<ConnectionRecord>();
        sockaddr_in peer{};
        int size = sizeof(peer);
        const SOCKET accepted = NotInherited(accept(socket_, reinterpret_cast<sockaddr*>(&peer), &size));
        if (accepted == INVALID_SOCKET) break;
        connection->socket = accepted;
        connection->clientPort = ntohs(peer.sin_port);
        connection->handler = handler_;
        if (handler_ == nullptr || handler_->HandleConnection(connection.get()) != 0) {
            closesocket(accepted);
        } else {
            connection.release();  // the connection thread frees it
        }
        if (socket_ == INVALID_SOCKET) break;
        Sleep(1);
    }
}

int CServerTcpSocket::TryBind(int port) {
    const sockaddr_in address = LoopbackAddress(port);
    return bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ? 0 : 1;
}

void CServerTcpSocket::Close() {
    if (socket_ == INVALID_SOCKET) return;
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

void CServerTcpSocket::Cleanup() {
    InterlockedExchange(&stop_, 1);
    if (started_) WSACleanup();
    started_ = false;
}

void CServerTcpSocket::SetHandler(IWorkflow* workflow) {
    if (workflow != nullptr) handler_ = workflow;
}

namespace {

// Receives until a whole client frame is in `buffer`; its size, or 0 when the peer closed, the
// receive failed or the frame cannot fit.
size_t ReceiveFrame(SOCKET socket, std::vector<char>& buffer) {
    size_t have = 0;
    for (;;) {
        const int got = recv(socket, buffer.data() + have, static_cast<int>(buffer.size() - have), 0);
        if (got <= 0) return 0;
        have += static_cast<size_t>(got);
        const size_t needed = ClientFrameSize(reinterpret_cast<const uint8_t*>(buffer.data()), have);
        // A frame that cannot fit is handed on as it is: the decoder refuses it.
        if (needed != 0 && (have >= needed || needed > buffer.size())) return have;
        if (have == buffer.size()) return have;
    }
}

void Serve(ConnectionRecord& connection, CLauncherWorkflow& workflow) {
    std::vector<char> buffer(kReceiveBufferBytes + 1, '\0');
    const int got = recv(connection.socket, buffer.data(), static_cast<int>(kReceiveBufferBytes), 0);
    if (got <= 0) return;
    const Handshake handshake = ParseHandshake(buffer.data(), static_cast<size_t>(got));
    if (!handshake.hasGet || handshake.key.empty()) return;
    const std::string response = HandshakeResponse(handshake.key);
    if (send(connection.socket, response.data(), static_cast<int>(response.size()), 0) == SOCKET_ERROR)
        return;
    connection.origin = handshake.origin;

    char reply[kReplyBufferBytes] = {};
    if (!handshake.requestText.empty())
        workflow.HandleRequest(&connection, handshake.requestText.data(), handshake.requestText.size(), reply,
                               0);

    std::fill(buffer.begin(), buffer.end(), '\0');
    const size_t frame = ReceiveFrame(connection.socket, buffer);
    if (frame != 0) workflow.HandleRequest(&connection, buffer.data(), frame, reply, 1);
}

// Ends the conversation: the replies already sent reach the page, then the socket goes (a
// socket left open would stay with the process for good).
void Finish(ConnectionRecord& connection) {
    if (connection.socket == INVALID_SOCKET) return;
    shutdown(connection.socket, SD_SEND);
    const DWORD waitMs = 2000;
    setsockopt(connection.socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&waitMs),
               sizeof(waitMs));
    char drain[256];
    while (recv(connection.socket, drain, sizeof(drain), 0) > 0) {
    }
    closesocket(connection.socket);
    connection.socket = INVALID_SOCKET;
}

}  // namespace

DWORD WINAPI ServeConnection(void* param) {
    std::unique_ptr<ConnectionRecord> connection(static_cast<ConnectionRecord*>(param));
    try {
        if (!connection || connection->handler == nullptr) return 0;
        auto* workflow = dynamic_cast<CLauncherWorkflow*>(connection->handler);
        if (workflow != nullptr) Serve(*connection, *workflow);
    } catch (...) {
    }
    if (connection) Finish(*connection);
    return 0;
}

}  // namespace NimboNS
