#pragma once
// A small WebSocket client for the tests: the opening handshake, masked client frames and the
// text frames the launcher sends back.
#include <winsock2.h>

#include <string>
#include <vector>

namespace intake_test {

// Winsock for the life of the test program.
void StartWinsock();

// A masked client frame (opcode 1 unless given) around `payload`.
std::string ClientFrame(const std::string& payload, int opcode = 1);

class WsClient {
public:
    WsClient() = default;
    ~WsClient() { Close(); }
    WsClient(const WsClient&) = delete;
    WsClient& operator=(const WsClient&) = delete;

    bool Connect(int port);
    // Sends the upgrade request (with `path`, and an Origin header when not empty) and reads the
    // response up to its blank line; the response, empty when none came.
    std::string Handshake(const std::string& path = "/", const std::string& origin = "http://pages.test",
                          const std::string& key = "dGhlIHNhbXBsZSBub25jZQ==");
    bool Send(const std::string& bytes);
    // The payloads of the text frames that arrive until the server closes or `waitMs` passes
    // without anything new.
    std::vector<std::string> ReadTexts(DWORD waitMs = 15000);
    // True when the server closed the connection (nothing more can be read).
    bool ClosedByServer(DWORD waitMs = 5000);
    u_short LocalPort() const;
    void Close();

private:
    SOCKET socket_ = INVALID_SOCKET;
    std::string pending_;
};

}  // namespace intake_test
