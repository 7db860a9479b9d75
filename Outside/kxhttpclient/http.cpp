#include "http.h"

#include "cookies.h"

#include <cwchar>
#include <vector>

namespace kxhttp {
namespace {

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Percent-decodes an ASCII-escaped path segment (bytes taken as UTF-8).
std::wstring DecodeSegment(const std::wstring& segment) {
    std::string bytes;
    for (size_t i = 0; i < segment.size(); ++i) {
        wchar_t c = segment[i];
        if (c == L'%' && i + 2 < segment.size()) {
            int hi = HexValue(segment[i + 1]), lo = HexValue(segment[i + 2]);
            if (hi >= 0 && lo >= 0) {
                bytes.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        if (c < 0x80) {
            bytes.push_back(static_cast<char>(c));
        } else {
            char utf8[8];
            int n = WideCharToMultiByte(CP_UTF8, 0, &segment[i], 1, utf8, sizeof(utf8), nullptr, nullptr);
            bytes.append(utf8, n > 0 ? n : 0);
        }
    }
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

bool QueryText(HINTERNET request, DWORD info, std::wstring& value, DWORD* index = nullptr) {
    DWORD bytes = 0;
    WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &bytes,
                        index ? index : WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return false;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    if (!WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &bytes,
                             index ? index : WINHTTP_NO_HEADER_INDEX))
        return false;
    value.assign(buffer.data(), bytes / sizeof(wchar_t));
    return true;
}

// "bytes 100-199/200" (total may be "*").
void ParseContentRange(const std::wstring& text, Answer& answer) {
    long long start = 0, end = 0;
    wchar_t total[32] = {};
    if (swscanf(text.c_str(), L"bytes %lld-%lld/%31ls", &start, &end, total) >= 2) {
        answer.rangeStart = start;
        answer.rangeTotal = (total[0] >= L'0' && total[0] <= L'9') ? _wcstoi64(total, nullptr, 10) : -1;
    }
}

// WinHTTP's result for the failure just met. Some WinHTTP builds (Wine's) hand out the socket error
// instead of their own code; callers act on the WinHTTP codes, so those are mapped.
int LastError() {
    DWORD e = GetLastError();
    switch (e) {
        case 0:
            return ERROR_WINHTTP_INTERNAL_ERROR;
        case 10060:  // WSAETIMEDOUT
            return ERROR_WINHTTP_TIMEOUT;
        case 10053:  // WSAECONNABORTED
        case 10054:  // WSAECONNRESET
        case 10058:  // WSAESHUTDOWN
        case 10057:  // WSAENOTCONN
            return ERROR_WINHTTP_CONNECTION_ERROR;
        case 10061:  // WSAECONNREFUSED
        case 10065:  // WSAEHOSTUNREACH
        case 10051:  // WSAENETUNREACH
            return ERROR_WINHTTP_CANNOT_CONNECT;
        case 11001:  // WSAHOST_NOT_FOUND
        case 11004:  // WSANO_DATA
            return ERROR_WINHTTP_NAME_NOT_RESOLVED;
        default:
            return static_cast<int>(e);
    }
}

}  // namespace

int ParseUrl(const wchar_t* text, Url& url) {
    if (text == nullptr || *text == 0) return ERROR_WINHTTP_INVALID_URL;
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(text, 0, 0, &parts)) {
        DWORD e = GetLastError();
        return e == ERROR_WINHTTP_UNRECOGNIZED_SCHEME ? ERROR_WINHTTP_UNRECOGNIZED_SCHEME
                                                      : ERROR_WINHTTP_INVALID_URL;
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
    if (parts.dwHostNameLength == 0) return ERROR_WINHTTP_INVALID_URL;
    url.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    url.port = parts.nPort;
    url.https = parts.nScheme == INTERNET_SCHEME_HTTPS;
    std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
    if (path.empty()) path = L"/";
    url.lastSegment = DecodeSegment(path.substr(path.rfind(L'/') + 1));
    if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    url.path = path;
    return 0;
}

Session::Session() {
    handle_ = WinHttpOpen(L"kxhttpclient/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                          WINHTTP_NO_PROXY_BYPASS, 0);
}

Session::~Session() {
    if (handle_) WinHttpCloseHandle(handle_);
}

Request::~Request() {
    if (request_) WinHttpCloseHandle(request_);
    if (connection_) WinHttpCloseHandle(connection_);
}

int Request::Open(const Session& session, const Url& url, const RequestSpec& spec, const Timeouts& timeouts,
                  Answer& answer) {
    if (session.get() == nullptr) return ERROR_WINHTTP_NOT_INITIALIZED;
    connection_ = WinHttpConnect(session.get(), url.host.c_str(), url.port, 0);
    if (!connection_) return LastError();
    request_ = WinHttpOpenRequest(connection_, spec.method, url.path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                  WINHTTP_DEFAULT_ACCEPT_TYPES, url.https ? WINHTTP_FLAG_SECURE : 0);
    if (!request_) return LastError();
    WinHttpSetTimeouts(request_, timeouts.connectMs, timeouts.connectMs, timeouts.receiveMs,
                       timeouts.receiveMs);
    // The wait for the answer's headers has a time-out of its own.
    DWORD responseMs = static_cast<DWORD>(timeouts.receiveMs);
    WinHttpSetOption(request_, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseMs, sizeof(responseMs));
    // Cookies belong to the launch's store, never to WinHTTP's own jar.
    DWORD feature = WINHTTP_DISABLE_COOKIES;
    WinHttpSetOption(request_, WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof(feature));

    std::wstring headers;
    std::wstring cookie = CookieHeaderFor(spec.cookies, url.https);
    if (!cookie.empty()) headers += L"Cookie: " + cookie + L"\r\n";
    if (spec.rangeFrom > 0) {
        headers += L"Range: bytes=" + std::to_wstring(spec.rangeFrom) + L"-\r\n";
        if (!spec.ifRange.empty()) headers += L"If-Range: " + spec.ifRange + L"\r\n";
    }
    if (!WinHttpSendRequest(request_, headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                            headers.empty() ? 0 : static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return LastError();
    if (!WinHttpReceiveResponse(request_, nullptr)) return LastError();

    std::wstring text;
    if (QueryText(request_, WINHTTP_QUERY_STATUS_CODE, text)) answer.status = _wtoi(text.c_str());
    if (QueryText(request_, WINHTTP_QUERY_CONTENT_LENGTH, text))
        answer.contentLength = _wcstoi64(text.c_str(), nullptr, 10);
    if (QueryText(request_, WINHTTP_QUERY_CONTENT_RANGE, text)) ParseContentRange(text, answer);
    QueryText(request_, WINHTTP_QUERY_ETAG, answer.etag);
    QueryText(request_, WINHTTP_QUERY_LAST_MODIFIED, answer.lastModified);
    TakeCookies(spec.cookies);
    return 0;
}

void Request::TakeCookies(NimboNS::ICookieManager* cookies) {
    if (cookies == nullptr) return;
    std::wstring lines, value;
    for (DWORD index = 0;;) {
        DWORD before = index;
        if (!QueryText(request_, WINHTTP_QUERY_SET_COOKIE, value, &index)) break;
        lines += L"Set-Cookie: " + value + L"\r\n";
        if (index == before) ++index;
    }
    TakeSetCookies(cookies, lines);
}

int Request::Read(char* buffer, DWORD size, DWORD& got) {
    got = 0;
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request_, &available)) return LastError();
    if (available == 0) return 0;
    // Asking for more than has arrived would block until the buffer is full, and is slower too.
    DWORD ask = available > size ? size : available;
    if (!WinHttpReadData(request_, buffer, ask, &got)) return LastError();
    return 0;
}

}  // namespace kxhttp
