#pragma once
// The WebSocket protocol pieces of the local server: the opening handshake (SHA-1 and Base64 of
// the key), the reading of one client frame and the writing of text frames.
#include <winsock2.h>  // before windows.h
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace NimboNS {

// Largest request text a client frame may carry; a longer payload is refused.
inline constexpr size_t kMaxRequestBytes = 1024;
// One receive of the handshake or of a frame.
inline constexpr size_t kReceiveBufferBytes = 2048;

}  // namespace NimboNS

// SHA-1 (FIPS 180-1) computed by the system's BCrypt provider.
class SHA1 {
public:
    SHA1() = default;
    virtual ~SHA1() = default;
    void Reset() { data_.clear(); }
    void Input(const void* bytes, size_t n) { data_.append(static_cast<const char*>(bytes), n); }
    // The digest as five 32-bit words (big-endian order of the digest bytes); false when the
    // provider is missing.
    bool Result(uint32_t words[5]) const;

private:
    std::string data_;
};

namespace NimboNS {

// Base64 of RFC 4648 with "=" padding.
std::string Base64Encode(const uint8_t* bytes, size_t n);
// Sec-WebSocket-Accept for a Sec-WebSocket-Key; empty when SHA-1 is not available.
std::string WebSocketAccept(const std::string& key);

// What the opening handshake of a connection says.
struct Handshake {
    bool hasGet = false;
    std::string key;          // Sec-WebSocket-Key (at most 24 characters)
    std::string requestText;  // what stands between "GET /" and " HTTP"
    std::string origin;       // the Origin header, empty without one
};
Handshake ParseHandshake(const char* data, size_t n);
// The 101 response that accepts `key`.
std::string HandshakeResponse(const std::string& key);

enum class FrameKind { Text, Close, TooLong, Incomplete };
// Bytes the client frame at the start of `data` occupies (header, key, payload); 0 while the
// header itself is incomplete.
size_t ClientFrameSize(const uint8_t* data, size_t n);
// Decodes (unmasks) the client frame at the start of `data`. Every opcode but close counts as
// text. A payload over kMaxRequestBytes is refused (TooLong), one beyond `n` is Incomplete.
FrameKind DecodeClientFrame(const uint8_t* data, size_t n, std::string& text);

// A server text frame (never masked) around `n` payload bytes.
std::string BuildTextFrame(const char* bytes, size_t n);
// The reply function of the server and the launch: one text frame with one send.
void SendTextFrame(UINT_PTR socket, const char* bytes, int n);

}  // namespace NimboNS
