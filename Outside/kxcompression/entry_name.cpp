#include "entry_name.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace Compression {
namespace {

std::wstring Convert(UINT codePage, DWORD flags, const std::string& bytes) {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(n, L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

bool IsDeviceName(const std::wstring& part) {
    // "NUL", "com1.txt", "Lpt9 .log": the base before the first dot, trailing spaces ignored.
    std::wstring base = part.substr(0, part.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (auto& c : base) c = static_cast<wchar_t>(std::towupper(c));
    static const wchar_t* const plain[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : plain) {
        if (base == device) return true;
    }
    return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
           base[3] >= L'0' && base[3] <= L'9';
}

bool OnlyDotsAndSpaces(const std::wstring& part) {
    return part.find_first_not_of(L". ") == std::wstring::npos;
}

}  // namespace

std::wstring DecodeName(const ZipEntry& entry) {
    if (!entry.utf8Name.empty()) {
        std::wstring name = Convert(CP_UTF8, MB_ERR_INVALID_CHARS, entry.utf8Name);
        if (!name.empty()) return name;
    }
    if (std::wstring name = Convert(CP_UTF8, MB_ERR_INVALID_CHARS, entry.rawName); !name.empty()) return name;
    if (entry.nameIsUtf8) return {};  // says UTF-8 but is not: refused as an unusable name
    return Convert(CP_OEMCP, 0, entry.rawName);
}

bool MakeRelativePath(const std::wstring& name, std::wstring& relative, bool& isFolder,
                      std::wstring& reason) {
    relative.clear();
    isFolder = !name.empty() && (name.back() == L'/' || name.back() == L'\\');
    if (name.empty()) {
        reason = L"an entry has no usable name";
        return false;
    }
    if (name.front() == L'/' || name.front() == L'\\') {
        reason = L"it is an absolute path";
        return false;
    }
    if (name.find(L':') != std::wstring::npos) {
        reason = L"it holds a drive letter or a stream name";
        return false;
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of(L"/\\", start);
        if (end == std::wstring::npos) end = name.size();
        std::wstring part = name.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == L".") continue;
        if (OnlyDotsAndSpaces(part)) {
            reason = L"it climbs out of the destination folder";
            return false;
        }
        for (wchar_t c : part) {
            if (c < 0x20 || std::wcschr(L"<>\"|?*", c) != nullptr) {
                reason = L"it holds a character that a file name cannot have";
                return false;
            }
        }
        if (IsDeviceName(part)) {
            reason = L"it names a device";
            return false;
        }
        if (!relative.empty()) relative += L'\\';
        relative += part;
    }
    if (relative.empty() && !isFolder) {
        reason = L"an entry has no usable name";
        return false;
    }
    return true;
}

}  // namespace Compression
