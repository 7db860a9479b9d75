#pragma once
// Resources of one language. The program carries its dialogs and strings in several languages and
// picks them explicitly, so the choice does not depend on how the system orders UI languages.
#include <windows.h>

#include <string>

namespace NimboNS::ui {

inline constexpr LANGID kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The resource in `language`, else in English (US), else in whatever language the module has it.
HRSRC FindLangResource(HMODULE module, const wchar_t* type, const wchar_t* name, LANGID language);

// String resource `id` in `language` with the same fallbacks; empty when the module has none.
std::wstring LoadLangString(HMODULE module, UINT id, LANGID language);

// The bytes of a resource (for templates and embedded files); nullptr and 0 when missing.
const void* LockLangResource(HMODULE module, const wchar_t* type, const wchar_t* name, LANGID language,
                             DWORD* size);

}  // namespace NimboNS::ui
