#include "fsutil.h"

#include <shlwapi.h>

#include <vector>

#include "nimbo/handle.h"
#include "scwconv.h"

namespace NimboNS {

std::wstring GetModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    size_t slash = folder.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
}

bool IsDotOrDotDot(const wchar_t* name) {
    return name != nullptr && (wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0);
}

static std::wstring JoinPath(const std::wstring& folder, const wchar_t* name) {
    wchar_t joined[MAX_PATH] = {};
    if (PathCombineW(joined, folder.c_str(), name) != nullptr) return joined;
    std::wstring fallback = folder;  // a path too long for the shell helper
    if (!fallback.empty() && fallback.back() != L'\\') fallback += L'\\';
    return fallback + name;
}

bool WalkFolder(const std::wstring& folder, bool recurse, bool includeHidden, const WalkEntryFn& onEntry,
                const WalkFolderDoneFn& onFolderDone) {
    WIN32_FIND_DATAW data{};
    FindHandle search(FindFirstFileW(JoinPath(folder, L"*.*").c_str(), &data));
    if (!search) return false;
    do {
        if (IsDotOrDotDot(data.cFileName)) continue;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) && !includeHidden) continue;
        std::wstring path = JoinPath(folder, data.cFileName);
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (onEntry && !onEntry(path, isFolder)) return false;
        if (isFolder && recurse && !WalkFolder(path, recurse, includeHidden, onEntry, onFolderDone)) return false;
    } while (FindNextFileW(search.get(), &data));
    search.reset();
    return onFolderDone ? onFolderDone(folder) : true;
}

bool DeleteOneFile(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return true;
    if (GetLastError() != ERROR_ACCESS_DENIED) return false;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) != FALSE;
}

bool DeleteTree(const std::wstring& folder) {
    if (folder.empty()) return true;
    if (!PathIsDirectoryW(folder.c_str())) return false;
    return WalkFolder(
        folder, true, true, [](const std::wstring& path, bool isFolder) { return isFolder || DeleteOneFile(path); },
        [](const std::wstring& done) { return RemoveDirectoryW(done.c_str()) != FALSE; });
}

bool HasAccess(const std::wstring& path, DWORD desiredAccess) {
    if (!path.empty() && (path[0] == L'\\' || path[0] == L'/')) return TestRemotePathAccess(path, desiredAccess);

    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                      DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    GetFileSecurityW(path.c_str(), what, nullptr, 0, &size);
    if (size == 0) return false;
    std::vector<BYTE> descriptor(size);
    if (!GetFileSecurityW(path.c_str(), what, descriptor.data(), size, &size)) return false;

    Handle processToken;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_IMPERSONATE | TOKEN_QUERY | TOKEN_DUPLICATE | STANDARD_RIGHTS_READ,
                          processToken.put()))
        return false;
    Handle impersonation;
    if (!DuplicateToken(processToken.get(), SecurityImpersonation, impersonation.put())) return false;

    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    DWORD access = desiredAccess;
    MapGenericMask(&access, &mapping);
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof(privileges);
    DWORD granted = 0;
    BOOL status = FALSE;
    if (!AccessCheck(descriptor.data(), impersonation.get(), access, &mapping, &privileges, &privilegesSize, &granted,
                     &status))
        return false;
    return status != FALSE;
}

bool TestRemotePathAccess(const std::wstring& folder, DWORD desiredAccess) {
    bool granted = true;
    if (desiredAccess & GENERIC_WRITE) {
        std::wstring testFile = FormatWide(L"%s\\TestRemotePathAccess.txt.dll", folder.c_str());
        if (GetFileAttributesW(testFile.c_str()) != INVALID_FILE_ATTRIBUTES && !DeleteFileW(testFile.c_str()))
            return false;
        FileHandle file(CreateFileW(testFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        bool created = static_cast<bool>(file);
        file.reset();
        granted = created && DeleteFileW(testFile.c_str());
    }
    if (desiredAccess & GENERIC_READ) {
        FileHandle dir(CreateFileW(folder.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        granted = granted && static_cast<bool>(dir);
    }
    return granted;
}

}  // namespace NimboNS
