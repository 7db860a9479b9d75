#pragma once
// Every file below a folder with its bytes, to compare a folder before and after.
#include <map>
#include <string>

#include "fs/fsutil.h"
#include "harness.h"

namespace update_test {

using FolderSnapshot = std::map<std::wstring, std::string>;  // relative path ("\" separated) -> bytes

inline FolderSnapshot Snapshot(const std::wstring& folder) {
    FolderSnapshot files;
    NimboNS::WalkFolder(folder, true, true, [&](const std::wstring& path, bool isFolder) {
        const std::wstring relative = path.substr(folder.size() + 1);
        files[relative + (isFolder ? L"\\" : L"")] =
            isFolder ? std::string() : nimbo_test::ReadFileText(path);
        return true;
    });
    return files;
}

}  // namespace update_test
