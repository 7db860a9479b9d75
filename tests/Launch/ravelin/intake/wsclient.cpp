#include "wsclient.h"

#include <ws2tcpip.h>

namespace intake_test {

void StartWinsock() {
    static bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

std::string ClientFrame(const std::string& payload, int opcode) {
    std::string frame;
    frame.push_back(static_cast<char>(0x80 | opcode));
    const size_t n = payload.size();
    if (n < 126) {
        frame.push_back(static_cast<char>(0x80 | n));
    } else if (n < 65536) {
        frame.push_back(static_cast<char>(0x80 | 126));
        frame.push_back(static_cast<char>(n >> 8));
        frame.push_back(static_cast<char>(n & 0xFF));
    } else {
        frame.push_back(static_cast<char>(0x80 | 127));
        for (int shift = 56; shift >= 0; shift -= 8)
            frame.push_back(static_cast<char>((uint64_t{n} >> shift) & 0xFF));
    }
    const char key[4] = {0x12, 0x34, 0x56, 0x78};
    frame.append(key, 4);
    for (size_t i = 0; i < n; ++i) frame.push_back(static_cast<char>(payload[i] ^ key[i % 4]));
    return frame;
}

bool WsClient::Connect(int port) {
    StartWinsock();
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    return connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
}

std::string WsClient::Handshake(const std::string& path, const std::string& origin, const std::string& key) {
    std::string request = "GET " + path +
                          " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                          "Connection: Upgrade\r\nSec-WebSocket-Key: " +
                          key + "\r\n";
    if (!origin.empty()) request += "Origin: " + origin + "\r\n";
    request += "Sec-WebSocket-Version: 13\r\n\r\n";
    if (!Send(request)) return {};
    const DWORD waitMs = 15000;
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&waitMs), sizeof(waitMs));
    std::string response;
    char c;
    while (response.find("\r\n\r\n") == std::string::npos && recv(socket_, &c, 1, 0) == 1)
        response.push_back(c);
    return response;
}

bool WsClient::Send(const std::string& bytes) {
    return send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
}

std::vector<std::string> WsClient::ReadTexts(DWORD waitMs) {
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&waitMs), sizeof(waitMs));
    std::vector<std::string> texts;
    char buffer[4096];
    for (;;) {
        // Whole frames first.
        while (pending_.size() >= 2) {
            size_t n = static_cast<unsigned char>(pending_[1]) & 0x7F, header = 2;
            if (n == 126 && pending_.size() >= 4) {
                n = (static_cast<size_t>(static_cast<unsigned char>(pending_[2])) << 8) |
                    static_cast<unsigned char>(pending_[3]);
                header = 4;
            } else if (n == 127 && pending_.size() >= 10) {
                n = 0;
                for (int i = 2; i < 10; ++i) n = (n << 8) | static_cast<unsigned char>(pending_[i]);
                header = 10;
            } else if (n >= 126) {
                break;
            }
            if (pending_.size() < header + n) break;
            texts.push_back(pending_.substr(header, n));
            pending_.erase(0, header + n);
        }
        const int got = recv(socket_, buffer, sizeof(buffer), 0);
        if (got <= 0) return texts;
        pending_.append(buffer, static_cast<size_t>(got));
    }
}

bool WsClient::ClosedByServer(DWORD waitMs) {
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&waitMs), sizeof(waitMs));
    char buffer[256];
    for (;;) {
        const int got = recv(socket_, buffer, sizeof(buffer), 0);
        if (got == 0) return true;
        if (got < 0) return WSAGetLastError() != WSAETIMEDOUT;
    }
}

u_short WsClient::LocalPort() const {
    sockaddr_in address{};
    int size = sizeof(address);
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.sin_port);
}

void WsClient::Close() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

}  // namespace intake_test
