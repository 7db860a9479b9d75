#include "pathjoin.h"

#include <windows.h>
#include <shlwapi.h>

namespace NimboNS {

namespace {

std::wstring Combine(const std::wstring& folder, const std::wstring& name) {
    wchar_t combined[MAX_PATH] = {};
    if (PathCombineW(combined, folder.c_str(), name.c_str()) == nullptr) return {};
    return combined;
}

}  // namespace

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return folder;
    if (_wcsicmp(name.c_str(), L".") == 0) return folder;
    if (folder.size() + name.size() < MAX_PATH) return Combine(folder, name);
    std::wstring joined = folder;
    if (joined.back() != L'\\') joined += L'\\';
    return joined + name;
}

std::wstring JoinPathSimple(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    if (name.empty()) return folder;
    return Combine(folder, name);
}

}  // namespace NimboNS
