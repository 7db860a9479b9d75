#include "output_files.h"

#include <vector>

namespace Compression {
namespace {

std::wstring FullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return {};
    std::vector<wchar_t> buffer(n + 1);
    DWORD written = GetFullPathNameW(path.c_str(), n + 1, buffer.data(), nullptr);
    if (written == 0 || written > n) return {};
    return std::wstring(buffer.data(), written);
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(ForFileApi(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool FullFolderPath(const wchar_t* folder, std::wstring& full) {
    if (folder == nullptr || *folder == 0) return false;
    full = FullPath(folder);
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    return !full.empty();
}

std::wstring ForFileApi(const std::wstring& path) {
    if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

bool CreateFolderTree(const std::wstring& path) {
    if (IsFolder(path)) return true;
    // Walk down from below the root ("C:\" or "\\server\share\"), creating what is missing.
    std::size_t at = 3;
    if (path.rfind(L"\\\\", 0) == 0) {
        at = path.find(L'\\', 2);
        if (at != std::wstring::npos) at = path.find(L'\\', at + 1);
        if (at == std::wstring::npos) return false;
        ++at;
    }
    for (;;) {
        const std::size_t next = path.find(L'\\', at);
        const std::wstring prefix = path.substr(0, next);
        if (!IsFolder(prefix) && !CreateDirectoryW(ForFileApi(prefix).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (next == std::wstring::npos) break;
        at = next + 1;
    }
    return IsFolder(path);
}

bool IsInside(const std::wstring& root, const std::wstring& path) {
    std::wstring full = FullPath(path);
    std::wstring base = root;
    if (base.back() != L'\\') base += L'\\';
    return full.size() > base.size() &&
           CompareStringOrdinal(full.c_str(), static_cast<int>(base.size()), base.c_str(),
                                static_cast<int>(base.size()), TRUE) == CSTR_EQUAL;
}

OutputFile::~OutputFile() {
    if (!file_ || kept_) return;
    file_.reset();
    DeleteFileW(ForFileApi(path_).c_str());
}

bool OutputFile::Open(const std::wstring& path) {
    path_ = path;
    const std::wstring target = ForFileApi(path);
    auto create = [&] {
        return CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    };
    file_.reset(create());
    if (!file_ && GetLastError() == ERROR_ACCESS_DENIED) {
        DWORD attributes = GetFileAttributesW(target.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
            !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL))
            file_.reset(create());
    }
    return static_cast<bool>(file_);
}

bool OutputFile::Write(const unsigned char* data, std::size_t size) {
    while (size > 0) {
        DWORD chunk = static_cast<DWORD>(size > (1u << 30) ? (1u << 30) : size), written = 0;
        if (!WriteFile(file_.get(), data, chunk, &written, nullptr) || written != chunk) return false;
        data += chunk;
        size -= chunk;
    }
    return true;
}

bool OutputFile::Commit(std::uint16_t dosDate, std::uint16_t dosTime) {
    FILETIME local, utc;
    if (DosDateTimeToFileTime(dosDate, dosTime, &local) && LocalFileTimeToFileTime(&local, &utc))
        SetFileTime(file_.get(), nullptr, nullptr, &utc);
    file_.reset();
    kept_ = true;
    return true;
}

}  // namespace Compression
