#pragma once
// One cookie of the store.
#include <string>

namespace NimboNS {

class CCookie {
public:
    virtual ~CCookie() = default;

    // domain, path and comment are part of the record but never set: the store keeps cookies by
    // name only.
    std::wstring domain;
    std::wstring name;
    std::wstring value;
    std::wstring path;
    std::wstring comment;
    int maxAge = -1;
    long long expiry = 0;  // seconds since 1970-01-01 UTC; 0 = none
    int secure = 0;
    int httponly = 0;
};

// Reads a Set-Cookie "expires" date ("Wed, 21 Oct 2015 07:28:00 GMT") as seconds since
// 1970-01-01 UTC; false when the text is not such a date.
bool ParseCookieDate(const wchar_t* text, long long& seconds);
// The same form for an expiry; empty when the time cannot be shown.
std::wstring FormatCookieDate(long long expiry);

}  // namespace NimboNS
