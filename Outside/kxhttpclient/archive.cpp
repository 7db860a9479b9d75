#include "archive.h"

#include "outside/kxhttpclient.h"

#include <windows.h>

#include <vector>

namespace kxhttp {

using namespace NimboNS;
namespace {

std::wstring FileName(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// The regular files directly in `folder`.
std::vector<std::wstring> FilesIn(const std::wstring& folder, bool& hasFolders) {
    std::vector<std::wstring> files;
    hasFolders = false;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            hasFolders = true;
        else
            files.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}

}  // namespace

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

bool LooksLikeZip(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    unsigned char head[4] = {};
    DWORD got = 0;
    ReadFile(file, head, sizeof(head), &got, nullptr);
    CloseHandle(file);
    // A local file header, or the end record of an empty archive.
    return got == 4 && head[0] == 'P' && head[1] == 'K' &&
           ((head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6));
}

bool IsWrappedName(const std::wstring& lastSegment, const std::wstring& target) {
    std::wstring name = FileName(target);
    return !name.empty() && SameText(lastSegment, name + L".zip");
}

int UnwrapSingleFile(Extractor& extractor, const std::wstring& archive, const std::wstring& target) {
    std::wstring scratch = target + L".kxunz";
    RemoveTree(scratch);
    if (!CreateDirectoryW(scratch.c_str(), nullptr)) return static_cast<int>(GetLastError());
    int result = extractor.Extract(archive, scratch);
    if (result == 0) {
        bool hasFolders = false;
        std::vector<std::wstring> files = FilesIn(scratch, hasFolders);
        std::wstring chosen;
        for (const auto& f : files)
            if (SameText(f, FileName(target))) chosen = f;
        if (chosen.empty() && files.size() == 1 && !hasFolders) chosen = files[0];
        if (chosen.empty()) {
            result = KXHTTP_E_UNWRAP;
        } else if (!MoveFileExW((scratch + L"\\" + chosen).c_str(), target.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
            result = static_cast<int>(GetLastError());
        }
    }
    RemoveTree(scratch);
    return result;
}

}  // namespace kxhttp
