#include "udpsockets.h"

#include "iworkflow.h"
#include "servertcpsocket.h"

namespace NimboNS {
namespace {

constexpr DWORD kReceiveWaitMs = 500;

void SetReceiveWait(SOCKET socket) {
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&kReceiveWaitMs),
               sizeof(kReceiveWaitMs));
}

}  // namespace

CServerUdpSocket::~CServerUdpSocket() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    if (started_) WSACleanup();
}

int CServerUdpSocket::Startup() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    started_ = true;
    return 1;
}

int CServerUdpSocket::Create() {
    if (socket_ == INVALID_SOCKET) socket_ = NotInherited(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (socket_ == INVALID_SOCKET) return 0;
    // The loop looks at its stop flag between datagrams.
    SetReceiveWait(socket_);
    return 1;
}

int CServerUdpSocket::Bind(int port) {
    const sockaddr_in address = LoopbackAddress(port);
    return bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ? 1 : 0;
}

void CServerUdpSocket::ReceiveLoop() {
    InterlockedExchange(&stop_, 0);
    while (stop_ == 0 && socket_ != INVALID_SOCKET && handler_ != nullptr) {
        handler_->ReceiveSessionReport(socket_);
        Sleep(10);
    }
}

void CServerUdpSocket::Cleanup() {
    InterlockedExchange(&stop_, 1);
}

int CClientUdpSocket::Create() {
    if (socket_ == INVALID_SOCKET) socket_ = NotInherited(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (socket_ == INVALID_SOCKET) return 0;
    SetReceiveWait(socket_);
    // Its own end is on the loopback address too (any free port).
    const sockaddr_in address = LoopbackAddress(0);
    bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    return 1;
}

void CClientUdpSocket::Run() {
    if (handler_ != nullptr && socket_ != INVALID_SOCKET) handler_->RunSessionReporter(socket_);
}

void CClientUdpSocket::Close() {
    if (socket_ == INVALID_SOCKET) return;
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

}  // namespace NimboNS
