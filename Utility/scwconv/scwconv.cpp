#include "scwconv.h"

#include <cassert>
#include <cstring>
#include <cstdarg>

namespace NimboNS {
namespace {

std::wstring ToWide(UINT codePage, const char* text, int length) {
    if (text == nullptr || length == 0) return {};
    int needed = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring out(static_cast<size_t>(needed), L'\0');
    int written = MultiByteToWideChar(codePage, 0, text, length, out.data(), needed);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return out;
}

std::string ToNarrow(UINT codePage, const wchar_t* text, int length) {
    if (text == nullptr || length == 0) return {};
    int needed = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<size_t>(needed), '\0');
    int written = WideCharToMultiByte(codePage, 0, text, length, out.data(), needed, nullptr, nullptr);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return out;
}

int ClampLength(size_t size) { return size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size); }

}  // namespace

std::wstring AnsiToWide(const char* text) {
    if (text == nullptr || *text == '\0') return {};
    return ToWide(GetACP(), text, ClampLength(std::strlen(text)));
}

std::wstring Utf8ToWide(std::string_view text) { return ToWide(CP_UTF8, text.data(), ClampLength(text.size())); }

std::wstring Utf8ToWide(const char* pStr) {
    assert(nullptr != pStr);
    if (pStr == nullptr) return {};
    return Utf8ToWide(std::string_view(pStr));
}

std::string WideToUtf8(std::wstring_view text) { return ToNarrow(CP_UTF8, text.data(), ClampLength(text.size())); }

std::string WideToUtf8(const wchar_t* pStr) {
    assert(nullptr != pStr);
    if (pStr == nullptr) return {};
    return WideToUtf8(std::wstring_view(pStr));
}

std::string WideToAnsi(std::wstring_view text) { return ToNarrow(CP_ACP, text.data(), ClampLength(text.size())); }

std::wstring FormatWideV(const wchar_t* pattern, va_list args) {
    if (pattern == nullptr) return {};
    std::wstring out(256, L'\0');
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = _vsnwprintf(out.data(), out.size(), pattern, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < out.size()) {
            out.resize(static_cast<size_t>(n));
            return out;
        }
        if (out.size() >= (1u << 24)) return {};
        out.resize(out.size() * 2);
    }
}

std::wstring FormatWide(const wchar_t* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    std::wstring out = FormatWideV(pattern, args);
    va_end(args);
    return out;
}

std::wstring LoadFormattedString(HMODULE module, UINT id, ...) {
    std::vector<wchar_t> buffer(8192, L'\0');
    int length = LoadStringW(module, id, buffer.data(), static_cast<int>(buffer.size()));
    if (length <= 0) return {};
    std::wstring text(buffer.data(), static_cast<size_t>(length));
    if (text.find(L'%') == std::wstring::npos) return text;
    va_list args;
    va_start(args, id);
    std::wstring out = FormatWideV(text.c_str(), args);
    va_end(args);
    return out;
}

}  // namespace NimboNS
