#include "ui/resources.h"

namespace NimboNS::ui {

HRSRC FindLangResource(HMODULE module, const wchar_t* type, const wchar_t* name, LANGID language) {
    if (HRSRC found = FindResourceExW(module, type, name, language)) return found;
    if (language != kEnglishUs) {
        if (HRSRC found = FindResourceExW(module, type, name, kEnglishUs)) return found;
    }
    return FindResourceW(module, name, type);
}

const void* LockLangResource(HMODULE module, const wchar_t* type, const wchar_t* name, LANGID language,
                             DWORD* size) {
    if (size) *size = 0;
    HRSRC info = FindLangResource(module, type, name, language);
    if (info == nullptr) return nullptr;
    HGLOBAL loaded = LoadResource(module, info);
    if (loaded == nullptr) return nullptr;
    if (size) *size = SizeofResource(module, info);
    return LockResource(loaded);
}

std::wstring LoadLangString(HMODULE module, UINT id, LANGID language) {
    // Strings are stored in blocks of sixteen, each a length followed by that many characters.
    DWORD size = 0;
    const auto* block = static_cast<const WCHAR*>(
        LockLangResource(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language, &size));
    if (block == nullptr) return {};
    const WCHAR* end = block + size / sizeof(WCHAR);
    const WCHAR* p = block;
    for (UINT index = 0; index < id % 16; ++index) {
        if (p >= end) return {};
        p += 1 + *p;
    }
    if (p >= end || p + 1 + *p > end) return {};
    return std::wstring(p + 1, *p);
}

}  // namespace NimboNS::ui
