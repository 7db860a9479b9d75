#pragma once
// Text conversions between the wide strings used inside the launcher and the narrow texts
// exchanged with files, servers and libraries.
#include <windows.h>

#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

namespace NimboNS {

std::wstring AnsiToWide(const char* text);
std::wstring Utf8ToWide(std::string_view text);
std::wstring Utf8ToWide(const char* pStr);
std::string WideToUtf8(std::wstring_view text);
std::string WideToUtf8(const wchar_t* pStr);
std::string WideToAnsi(std::wstring_view text);

// printf-style formatting into a wide string of any length.
std::wstring FormatWideV(const wchar_t* pattern, va_list args);
std::wstring FormatWide(const wchar_t* pattern, ...);

// Loads string resource `id` of `module`; a text holding "%" is used as a printf-style pattern.
std::wstring LoadFormattedString(HMODULE module, UINT id, ...);

}  // namespace NimboNS
