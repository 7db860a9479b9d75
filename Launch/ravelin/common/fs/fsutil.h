#pragma once
// Locating the host program, walking and deleting folder trees, and asking whether the
// current user may read or write a path.
#include <windows.h>

#include <functional>
#include <string>

namespace NimboNS {

std::wstring GetModuleFolder();
bool IsDotOrDotDot(const wchar_t* name);

using WalkEntryFn = std::function<bool(const std::wstring& path, bool isFolder)>;
using WalkFolderDoneFn = std::function<bool(const std::wstring& folder)>;

// Visits every entry below `folder`; a false answer from a callback aborts the whole walk.
bool WalkFolder(const std::wstring& folder, bool recurse, bool includeHidden, const WalkEntryFn& onEntry,
                const WalkFolderDoneFn& onFolderDone = nullptr);

// Deletes a file; a read-only attribute in the way is cleared and the deletion tried once more.
bool DeleteOneFile(const std::wstring& path);

// Deletes a folder with everything in it; stops at the first entry that cannot be deleted.
bool DeleteTree(const std::wstring& folder);

bool HasAccess(const std::wstring& path, DWORD desiredAccess);
bool TestRemotePathAccess(const std::wstring& folder, DWORD desiredAccess);

}  // namespace NimboNS
