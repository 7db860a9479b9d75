// Taking cookies in: "name=value; ..." texts and "Set-Cookie:" lines.
#include <ctime>
#include <cwchar>

#include "cookie/cookiemanager.h"

namespace NimboNS {
namespace {

constexpr wchar_t kSetCookie[] = L"Set-Cookie:";
constexpr std::size_t kSetCookieLength = sizeof(kSetCookie) / sizeof(wchar_t) - 1;

std::wstring TrimSpaces(const std::wstring& text) {
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

// The text from `at` up to the first of `stops` (or the end); `at` moves to that stop.
std::wstring ReadUntil(const std::wstring& text, std::size_t& at, const wchar_t* stops) {
    std::size_t end = text.find_first_of(stops, at);
    if (end == std::wstring::npos) end = text.size();
    std::wstring piece = TrimSpaces(text.substr(at, end - at));
    at = end;
    return piece;
}

bool SameWord(const std::wstring& a, const wchar_t* b) {
    return _wcsicmp(a.c_str(), b) == 0;
}

}  // namespace

int CCookieManager::ParseCookies(const wchar_t* text, int clearFirst) {
    try {
        if (text == nullptr) return 0;
        {
            std::lock_guard guard(lock_);
            if (clearFirst) cookies_.clear();
            const std::wstring all = text;
            std::size_t start = 0;
            while (start <= all.size()) {
                std::size_t end = all.find(L';', start);
                if (end == std::wstring::npos) end = all.size();
                const std::wstring piece = all.substr(start, end - start);
                const std::size_t equals = piece.find(L'=');
                if (equals != std::wstring::npos)
                    AddCookie(TrimSpaces(piece.substr(0, equals)), TrimSpaces(piece.substr(equals + 1)));
                start = end + 1;
            }
        }
        return HandOver() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int CCookieManager::ParseSetCookies(const wchar_t* text) {
    try {
        if (text == nullptr) return 0;
        {
            std::lock_guard guard(lock_);
            const std::wstring all = text;
            std::size_t at = 0;
            for (std::size_t found; (found = all.find(kSetCookie, at)) != std::wstring::npos;) {
                at = found + kSetCookieLength;
                const std::wstring name = ReadUntil(all, at, L"=;\r");
                if (at >= all.size() || all[at] != L'=') continue;
                ++at;
                CCookie* cookie = AddCookie(name, ReadUntil(all, at, L";\r"));
                if (cookie == nullptr) continue;
                ParseSetCookieAttributes(all, at, name, cookie);
            }
        }
        return HandOver() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

// Reads the attributes after a cookie's value, up to the end of its line; `at` ends there.
void CCookieManager::ParseSetCookieAttributes(const std::wstring& text, std::size_t& at,
                                              const std::wstring& name, CCookie* cookie) {
    bool maxAgeTaken = false;
    while (at < text.size() && text[at] != L'\r') {
        ++at;
        const std::wstring attribute = ReadUntil(text, at, L"=;\r");
        if (at >= text.size() || text[at] != L'=') {
            if (SameWord(attribute, L"secure")) cookie->secure = 1;
            if (SameWord(attribute, L"httponly")) cookie->httponly = 1;
            continue;
        }
        ++at;
        const std::wstring value = ReadUntil(text, at, L";\r");
        if (SameWord(attribute, L"max-age")) {
            if (value == L"0") {
                cookies_.erase(name);
                return;
            }
            if (!value.empty()) {
                cookie->maxAge = _wtol(value.c_str());
                cookie->expiry = _time64(nullptr) + cookie->maxAge;
                maxAgeTaken = true;
            }
        } else if (SameWord(attribute, L"expires") && !maxAgeTaken) {
            // A date at or before 1970 (the usual way to delete a cookie) is a past expiry, not
            // "no expiry"; a date that cannot be read leaves no expiry.
            long long date = 0;
            const bool read = ParseCookieDate(value.c_str(), date);
            cookie->expiry = read && date <= 0 ? 1 : date;
        }
    }
}

}  // namespace NimboNS
