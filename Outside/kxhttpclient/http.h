#pragma once
// One WinHTTP session and the request/answer exchange every transfer is made of.
#include <windows.h>
#include <winhttp.h>

#include <memory>
#include <string>

namespace NimboNS {
class ICookieManager;
}

namespace kxhttp {

struct Timeouts {
    int connectMs = 30000;
    int receiveMs = 30000;
};

struct Url {
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring path;  // path and query, as WinHTTP sends it
    bool https = false;
    std::wstring lastSegment;  // last path segment, percent-decoded
};

// 0, or ERROR_WINHTTP_INVALID_URL / ERROR_WINHTTP_UNRECOGNIZED_SCHEME.
int ParseUrl(const wchar_t* text, Url& url);

// The WinHTTP session shared by the requests of one downloader (and its connection pool).
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    HINTERNET get() const { return handle_; }

private:
    HINTERNET handle_ = nullptr;
};

struct RequestSpec {
    const wchar_t* method = L"GET";
    NimboNS::ICookieManager* cookies = nullptr;
    long long rangeFrom = 0;  // > 0: ask for the bytes from here on
    std::wstring ifRange;     // validator sent with the range
};

struct Answer {
    int status = -1;
    long long contentLength = -1;  // -1: not announced
    long long rangeStart = -1;     // from Content-Range of a 206
    long long rangeTotal = -1;
    std::wstring etag;
    std::wstring lastModified;
};

// One request on its own handles. Open sends it and reads the answer's headers; Read returns the
// body piece by piece.
class Request {
public:
    Request() = default;
    ~Request();
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    // 0 when an answer arrived (whatever its status), else the WinHTTP error.
    int Open(const Session& session, const Url& url, const RequestSpec& spec, const Timeouts& timeouts,
             Answer& answer);
    // 0 with `got` bytes (0 at the end of the body), else the WinHTTP error.
    int Read(char* buffer, DWORD size, DWORD& got);

private:
    void TakeCookies(NimboNS::ICookieManager* cookies);
    HINTERNET connection_ = nullptr;
    HINTERNET request_ = nullptr;
};

}  // namespace kxhttp
