#include "websocket.h"

#include <winsock2.h>
#include <bcrypt.h>

#include <algorithm>
#include <cstring>
#include <string_view>

bool SHA1::Result(uint32_t words[5]) const {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA1_ALGORITHM, nullptr, 0) != 0) return false;
    DWORD objectSize = 0, got = 0;
    BCryptGetProperty(algorithm, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize),
                      sizeof(objectSize), &got, 0);
    std::string object(objectSize, '\0');
    BCRYPT_HASH_HANDLE hash = nullptr;
    UCHAR digest[20] = {};
    bool ok = BCryptCreateHash(algorithm, &hash, reinterpret_cast<PUCHAR>(object.data()), objectSize, nullptr,
                               0, 0) == 0;
    if (ok) {
        ok = BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(data_.data())),
                            static_cast<ULONG>(data_.size()), 0) == 0 &&
             BCryptFinishHash(hash, digest, sizeof(digest), 0) == 0;
        BCryptDestroyHash(hash);
    }
    BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!ok) return false;
    for (int i = 0; i < 5; ++i)
        words[i] = (uint32_t{digest[4 * i]} << 24) | (uint32_t{digest[4 * i + 1]} << 16) |
                   (uint32_t{digest[4 * i + 2]} << 8) | uint32_t{digest[4 * i + 3]};
    return true;
}

namespace NimboNS {
namespace {

constexpr char kAcceptGuid[] = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
constexpr size_t kKeyChars = 24;
constexpr size_t kOriginChars = 256;

size_t FindNoCase(std::string_view text, std::string_view what, size_t from = 0) {
    auto lower = [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); };
    for (size_t i = from; i + what.size() <= text.size(); ++i) {
        size_t j = 0;
        while (j < what.size() && lower(text[i + j]) == lower(what[j])) ++j;
        if (j == what.size()) return i;
    }
    return std::string_view::npos;
}

// The value of header `name` (after its colon and spaces, up to the line end), at most `limit`
// characters; empty without the header.
std::string HeaderValue(std::string_view request, std::string_view name, size_t limit) {
    const size_t at = FindNoCase(request, std::string("\n") + std::string(name) + ":");
    if (at == std::string_view::npos) return {};
    size_t begin = at + name.size() + 2;
    while (begin < request.size() && request[begin] == ' ') ++begin;
    size_t end = begin;
    while (end < request.size() && request[end] != '\r' && request[end] != '\n') ++end;
    while (end > begin && request[end - 1] == ' ') --end;
    return std::string(request.substr(begin, std::min(end - begin, limit)));
}

}  // namespace

std::string Base64Encode(const uint8_t* bytes, size_t n) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((n + 2) / 3 * 4);
    for (size_t i = 0; i < n; i += 3) {
        const uint32_t chunk = (uint32_t{bytes[i]} << 16) | (i + 1 < n ? uint32_t{bytes[i + 1]} << 8 : 0) |
                               (i + 2 < n ? uint32_t{bytes[i + 2]} : 0);
        out.push_back(kAlphabet[(chunk >> 18) & 63]);
        out.push_back(kAlphabet[(chunk >> 12) & 63]);
        out.push_back(i + 1 < n ? kAlphabet[(chunk >> 6) & 63] : '=');
        out.push_back(i + 2 < n ? kAlphabet[chunk & 63] : '=');
    }
    return out;
}

std::string WebSocketAccept(const std::string& key) {
    SHA1 sha;
    sha.Input(key.data(), key.size());
    sha.Input(kAcceptGuid, std::strlen(kAcceptGuid));
    uint32_t words[5];
    if (!sha.Result(words)) return {};
    uint8_t digest[20];
    for (int i = 0; i < 20; ++i) digest[i] = static_cast<uint8_t>(words[i / 4] >> (24 - 8 * (i % 4)));
    return Base64Encode(digest, sizeof(digest));
}

Handshake ParseHandshake(const char* data, size_t n) {
    Handshake result;
    const std::string_view request(data, n);
    const size_t get = request.find("GET");
    if (get == std::string_view::npos) return result;
    result.hasGet = true;
    result.key = HeaderValue(request, "Sec-WebSocket-Key", kKeyChars);
    result.origin = HeaderValue(request, "Origin", kOriginChars);
    const size_t http = request.find("HTTP", get);
    if (http != std::string_view::npos && http - get > 5)
        result.requestText = std::string(request.substr(get + 5, http - 1 - (get + 5)));
    return result;
}

std::string HandshakeResponse(const std::string& key) {
    return "HTTP/1.1 101 Switching Protocols\r\nConnection: upgrade\r\nSec-WebSocket-Accept: " +
           WebSocketAccept(key) + "\r\nUpgrade: websocket\r\n\r\n";
}

size_t ClientFrameSize(const uint8_t* data, size_t n) {
    if (n < 2) return 0;
    const size_t length7 = data[1] & 0x7F;
    const size_t maskBytes = (data[1] & 0x80) != 0 ? 4 : 0;
    if (length7 < 126) return 2 + maskBytes + length7;
    if (length7 == 126) {
        if (n < 4) return 0;
        return 4 + maskBytes + ((size_t{data[2]} << 8) | data[3]);
    }
    if (n < 10) return 0;
    // Only the low four bytes of the 64-bit length count.
    const uint32_t length =
        (uint32_t{data[6]} << 24) | (uint32_t{data[7]} << 16) | (uint32_t{data[8]} << 8) | data[9];
    return 10 + maskBytes + length;
}

FrameKind DecodeClientFrame(const uint8_t* data, size_t n, std::string& text) {
    text.clear();
    if (n < 2) return FrameKind::Incomplete;
    if ((data[0] & 0x0F) == 8) return FrameKind::Close;
    const size_t length7 = data[1] & 0x7F;
    const size_t header = length7 < 126 ? 2 : length7 == 126 ? 4 : 10;
    const size_t maskBytes = (data[1] & 0x80) != 0 ? 4 : 0;
    const size_t total = ClientFrameSize(data, n);
    if (total == 0) return FrameKind::Incomplete;
    const size_t payload = total - header - maskBytes;
    if (payload > kMaxRequestBytes) return FrameKind::TooLong;
    if (total > n) return FrameKind::Incomplete;
    const uint8_t* key = data + header;
    const uint8_t* bytes = data + header + maskBytes;
    text.resize(payload);
    for (size_t i = 0; i < payload; ++i)
        text[i] = static_cast<char>(maskBytes != 0 ? bytes[i] ^ key[i % 4] : bytes[i]);
    // The text ends at its first zero byte, as a C string would.
    text.resize(std::strlen(text.c_str()));
    return FrameKind::Text;
}

std::string BuildTextFrame(const char* bytes, size_t n) {
    std::string frame;
    frame.push_back(static_cast<char>(0x81));
    if (n < 126) {
        frame.push_back(static_cast<char>(n));
    } else if (n < 65536) {
        frame.push_back(static_cast<char>(0x7E));
        frame.push_back(static_cast<char>(n >> 8));
        frame.push_back(static_cast<char>(n & 0xFF));
    } else {
        frame.append("\x7F\0\0\0\0", 5);
        for (int shift = 24; shift >= 0; shift -= 8) frame.push_back(static_cast<char>((n >> shift) & 0xFF));
    }
    frame.append(bytes, n);
    return frame;
}

void SendTextFrame(UINT_PTR socket, const char* bytes, int n) {
    if (bytes == nullptr || n < 0) return;
    const std::string frame = BuildTextFrame(bytes, static_cast<size_t>(n));
    send(static_cast<SOCKET>(socket), frame.data(), static_cast<int>(frame.size()), 0);
}

}  // namespace NimboNS
