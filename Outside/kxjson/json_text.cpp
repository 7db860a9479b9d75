#include "json_text.h"

#include <windows.h>

#include <cstring>

#include "outside/kxjson.h"

namespace kxjson {
namespace {

struct TooDeep {};

}  // namespace

bool LoadDocument(const char* data, std::size_t size, nlohmann::json& doc, std::wstring& error) noexcept {
    doc = nullptr;
    error.clear();
    if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        data += 3;
        size -= 3;
    }
    // A buffer read as a C string may end in zero bytes; anywhere else one is an error (the
    // parser would take it for the end of the document).
    while (size > 0 && data[size - 1] == 0) --size;
    if (std::memchr(data, 0, size) != nullptr) {
        error = L"The document holds a zero byte.";
        return false;
    }
    // The parser builds the tree without recursion, but printing and comparing a tree recurse:
    // refuse documents nested beyond any real one before they are built.
    auto limitDepth = [](int depth, nlohmann::json::parse_event_t event, nlohmann::json&) {
        if ((event == nlohmann::json::parse_event_t::object_start ||
             event == nlohmann::json::parse_event_t::array_start) &&
            depth >= kMaxDepth)
            throw TooDeep{};
        return true;
    };
    try {
        doc = nlohmann::json::parse(data, data + size, limitDepth);
        return true;
    } catch (const TooDeep&) {
        error = L"The document is nested too deeply.";
    } catch (const nlohmann::json::exception& e) {
        std::wstring reason;
        if (!Utf8ToUtf16(e.what(), reason)) reason = L"malformed JSON";
        error = L"The document is not valid JSON: " + reason;
    } catch (...) {
        error = L"The document cannot be loaded: out of memory.";
    }
    try {
        doc = nullptr;
    } catch (...) {
    }
    return false;
}

bool Utf8ToUtf16(const std::string& in, std::wstring& out) {
    out.clear();
    if (in.empty()) return true;
    if (in.size() > 0x7fffffff) return false;
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, in.data(), int(in.size()), nullptr, 0);
    if (n <= 0) return false;
    out.resize(n);
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, in.data(), int(in.size()), out.data(), n) == n;
}

bool Utf16ToUtf8(const wchar_t* in, std::string& out) {
    out.clear();
    if (in == nullptr) return false;
    std::size_t length = wcslen(in);
    if (length == 0) return true;
    if (length > 0x7fffffff) return false;
    int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, in, int(length), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    out.resize(n);
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, in, int(length), out.data(), n, nullptr,
                               nullptr) == n;
}

}  // namespace kxjson
