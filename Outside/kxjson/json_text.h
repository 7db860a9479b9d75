#pragma once
// Loading a document under the library's limits, and the UTF-8 / UTF-16 conversions at its edge.
#include <nlohmann/json.hpp>

#include <string>

namespace kxjson {

// Parses UTF-8 bytes (a leading byte-order mark is skipped). On failure returns false with an
// English reason; `doc` is then null. Never throws.
bool LoadDocument(const char* data, std::size_t size, nlohmann::json& doc, std::wstring& error) noexcept;

// Strict conversions: false for ill-formed input (unpaired surrogates, invalid bytes).
bool Utf8ToUtf16(const std::string& in, std::wstring& out);
bool Utf16ToUtf8(const wchar_t* in, std::string& out);

}  // namespace kxjson
