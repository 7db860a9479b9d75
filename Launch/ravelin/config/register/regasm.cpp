#include "regasm.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "nimbo/handle.h"
#include "nimbo/names.h"

namespace NimboNS {

namespace {

// The value is read into 260 bytes, as the launcher always has; the framework's own root
// ("C:\Windows\Microsoft.NET\Framework\") is far shorter.
constexpr DWORD kInstallRootBytes = 260;

std::wstring ReadInstallRoot(bool is64Bit) {
    KeyHandle key;
    const REGSAM access = KEY_READ | (is64Bit ? KEY_WOW64_64KEY : 0);
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, names::kDotNetFrameworkKey, 0, access, key.put()) != ERROR_SUCCESS)
        return {};
    wchar_t value[kInstallRootBytes / sizeof(wchar_t) + 1] = {};
    DWORD size = kInstallRootBytes;
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), names::kDotNetInstallRootValue, nullptr, &type,
                         reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    // The stored text need not end in a zero.
    return std::wstring(value, wcsnlen(value, size / sizeof(wchar_t)));
}

// Compared by folder name: by whole path, "v4.0\regasm.exe" would beat "v4.0.1\regasm.exe".
std::wstring PickRegasm(const std::vector<std::pair<std::wstring, std::wstring>>& candidates) {
    if (candidates.empty()) return {};
    return std::max_element(candidates.begin(), candidates.end())->second;
}

}  // namespace

std::wstring FindRegasm(bool is64Bit) {
    std::wstring root = ReadInstallRoot(is64Bit);
    if (root.empty()) return {};
    if (root.back() == L'\\') root.pop_back();

    std::vector<std::pair<std::wstring, std::wstring>> candidates;  // framework folder, regasm path
    WIN32_FIND_DATAW entry{};
    FindHandle find(FindFirstFileW((root + L"\\*.*").c_str(), &entry));
    if (!find) return {};
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || wcscmp(entry.cFileName, L".") == 0 ||
            wcscmp(entry.cFileName, L"..") == 0)
            continue;
        std::wstring regasm = root + L"\\" + entry.cFileName + L"\\" + names::kRegasmExe;
        if (PathFileExistsW(regasm.c_str())) candidates.emplace_back(entry.cFileName, std::move(regasm));
    } while (FindNextFileW(find.get(), &entry));
    return PickRegasm(candidates);
}

}  // namespace NimboNS
