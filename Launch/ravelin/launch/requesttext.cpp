#include "requesttext.h"

#include <windows.h>

#include "scwconv.h"

namespace NimboNS {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::wstring FromUtf8Replacing(const std::string& bytes) {
    if (bytes.empty()) return {};
    // Without MB_ERR_INVALID_CHARS every ill-formed sequence becomes U+FFFD.
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// The first place where `option` stands as a word of its own: at the start of the text or after
// a blank, and followed by a blank or the end. App names, path prefixes and queries may hold the
// same letters ("/tools-debug/", "?jar-cookie=1"); those are part of the URL, not options.
size_t FindOption(const std::wstring& text, const std::wstring& option) {
    for (size_t p = text.find(option); p != std::wstring::npos; p = text.find(option, p + 1)) {
        const size_t end = p + option.size();
        if ((p == 0 || IsBlank(text[p - 1])) && (end == text.size() || IsBlank(text[end]))) return p;
    }
    return std::wstring::npos;
}

}  // namespace

bool HasWebScheme(const std::wstring& text) {
    return text.find(L"http:") != std::wstring::npos || text.find(L"https:") != std::wstring::npos;
}

std::wstring PercentDecode(const std::wstring& text) {
    const std::string in = WideToUtf8(text);
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (c == '+') {
            out.push_back(' ');
        } else if (c == '%' && i + 2 < in.size() && HexValue(in[i + 1]) >= 0 && HexValue(in[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(in[i + 1]) * 16 + HexValue(in[i + 2])));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return FromUtf8Replacing(out);
}

std::wstring TakeCookieOption(std::wstring& text) {
    static constexpr wchar_t kOption[] = L"-cookie";
    const size_t p = FindOption(text, kOption);
    if (p == std::wstring::npos) return {};
    const size_t start = p + 8;  // the option and one separator
    std::wstring cookie = start < text.size() ? text.substr(start) : std::wstring();
    text.erase(p > 0 ? p - 1 : 0);
    return cookie;
}

bool TakeDebugOption(std::wstring& text) {
    const size_t p = FindOption(text, L"-debug");
    if (p == std::wstring::npos) return false;
    text.erase(p, 6);
    return true;
}

std::string AppNameFromRequest(const std::wstring& text) {
    const std::string bytes = WideToUtf8(text);
    const size_t scheme = bytes.find("http");
    if (scheme == std::string::npos) return {};
    // Eight bytes on is past "http://" (and just past "https://").
    const size_t first = bytes.find('/', scheme + 8);
    if (first == std::string::npos) return {};
    const size_t second = bytes.find('/', first + 1);
    if (second == std::string::npos) return {};
    return bytes.substr(first + 1, second - first - 1);
}

std::wstring BuildInstallerParameters(const std::wstring& appUrl, const std::wstring& extraParameters,
                                      bool debug) {
    std::wstring parameters = appUrl.substr(0, appUrl.find(L'?'));
    if (!extraParameters.empty()) parameters += L" " + extraParameters;
    if (debug) parameters += L" -debug";
    return parameters;
}

}  // namespace NimboNS
