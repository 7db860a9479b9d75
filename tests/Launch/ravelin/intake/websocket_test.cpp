#include <winsock2.h>  // before windows.h

#include <gtest/gtest.h>

#include <cstring>

#include "websocket.h"
#include "wsclient.h"

namespace {

using namespace NimboNS;

TEST(WebSocketHandshake, TheExampleKeyGivesTheExampleAcceptValue) {
    EXPECT_EQ(WebSocketAccept("dGhlIHNhbXBsZSBub25jZQ=="), "s3pPLMBiTxaQ9kYGzzhZRbK+xOo=");
    EXPECT_EQ(HandshakeResponse("dGhlIHNhbXBsZSBub25jZQ=="),
              "HTTP/1.1 101 Switching Protocols\r\nConnection: upgrade\r\nSec-WebSocket-Accept: "
              "s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\nUpgrade: websocket\r\n\r\n");
}

TEST(WebSocketHandshake, Base64PadsLikeTheStandard) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"", ""},
                 {"f", "Zg=="},
                 {"fo", "Zm8="},
                 {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="},
                 {"fooba", "Zm9vYmE="},
                 {"foobar", "Zm9vYmFy"},
                 {"\xff\xfe", "//4="}};
    for (const auto& c : cases)
        EXPECT_EQ(Base64Encode(reinterpret_cast<const uint8_t*>(c.in), std::strlen(c.in)), c.out) << c.in;
}

TEST(WebSocketHandshake, RequestTextKeyAndOriginComeFromTheRequest) {
    const struct {
        const char* request;
        bool hasGet;
        const char* key;
        const char* text;
        const char* origin;
    } cases[] = {
        {"GET /xyz HTTP/1.1\r\nSec-WebSocket-Key: abc\r\nOrigin: http://a.test\r\n\r\n", true, "abc", "xyz",
         "http://a.test"},
        {"GET / HTTP/1.1\r\nsec-websocket-key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n", true,
         "dGhlIHNhbXBsZSBub25jZQ==", "", ""},
        {"GET /http://h/App HTTP/1.1\r\nHost: x\r\n\r\n", true, "", "http://h/App", ""},
        {"POST / HTTP/1.1\r\nSec-WebSocket-Key: abc\r\n\r\n", false, "", "", ""},
    };
    for (const auto& c : cases) {
        const Handshake h = ParseHandshake(c.request, std::strlen(c.request));
        EXPECT_EQ(h.hasGet, c.hasGet) << c.request;
        if (!c.hasGet) continue;
        EXPECT_EQ(h.key, c.key) << c.request;
        EXPECT_EQ(h.requestText, c.text) << c.request;
        EXPECT_EQ(h.origin, c.origin) << c.request;
    }
}

std::string Payload(size_t n) {
    std::string text;
    for (size_t i = 0; i < n; ++i) text.push_back(static_cast<char>('a' + i % 26));
    return text;
}

TEST(WebSocketFrames, ClientFramesOfEachLengthFormDecode) {
    for (size_t n : {0u, 1u, 125u, 126u, 1000u, 1024u}) {
        const std::string frame = intake_test::ClientFrame(Payload(n));
        EXPECT_EQ(static_cast<size_t>(frame[1] & 0x7F), n < 126 ? n : size_t{126}) << n;
        const auto* bytes = reinterpret_cast<const uint8_t*>(frame.data());
        EXPECT_EQ(ClientFrameSize(bytes, frame.size()), frame.size()) << n;
        std::string text;
        EXPECT_EQ(DecodeClientFrame(bytes, frame.size(), text), FrameKind::Text) << n;
        EXPECT_EQ(text, Payload(n)) << n;
        if (n > 0) {
            EXPECT_EQ(DecodeClientFrame(bytes, frame.size() - 1, text), FrameKind::Incomplete) << n;
        }
    }
}

TEST(WebSocketFrames, OversizedAndCloseFramesAreNoRequests) {
    std::string text = "left over";
    for (size_t n : {1025u, 70000u}) {
        const std::string frame = intake_test::ClientFrame(Payload(n));
        EXPECT_EQ(DecodeClientFrame(reinterpret_cast<const uint8_t*>(frame.data()), 2048, text),
                  FrameKind::TooLong)
            << n;
    }
    const std::string close = intake_test::ClientFrame("", 8);
    EXPECT_EQ(DecodeClientFrame(reinterpret_cast<const uint8_t*>(close.data()), close.size(), text),
              FrameKind::Close);
}

TEST(WebSocketFrames, ServerFramesUseTheShortestHeader) {
    using namespace std::string_literals;
    const struct {
        size_t n;
        std::string header;
    } cases[] = {
        {0, "\x81\x00"s},
        {125, "\x81\x7D"s},
        {126, "\x81\x7E\x00\x7E"s},
        {1024, "\x81\x7E\x04\x00"s},
        {65535, "\x81\x7E\xFF\xFF"s},
        {65536, "\x81\x7F\x00\x00\x00\x00\x00\x01\x00\x00"s},
    };
    for (const auto& c : cases) {
        const std::string payload = Payload(c.n);
        const std::string frame = BuildTextFrame(payload.data(), payload.size());
        EXPECT_EQ(frame.substr(0, c.header.size()), c.header) << c.n;
        EXPECT_EQ(frame.substr(c.header.size()), payload) << c.n;
    }
}

}  // namespace
