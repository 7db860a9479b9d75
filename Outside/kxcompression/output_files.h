#pragma once
// The destination side of extraction: folders, files and the check that a path stays inside.
#include <windows.h>

#include <cstdint>
#include <string>

#include "nimbo/handle.h"

namespace Compression {

// The absolute form of a folder path, without a trailing separator (except for a drive root).
bool FullFolderPath(const wchar_t* folder, std::wstring& full);

// Creates a folder and every missing folder above it. True when the folder exists afterwards.
bool CreateFolderTree(const std::wstring& path);

// True when path, made absolute, lies strictly below root (an absolute folder path).
bool IsInside(const std::wstring& root, const std::wstring& path);

// Paths past the classic length limit get the "\\?\" form, which only takes absolute paths.
std::wstring ForFileApi(const std::wstring& path);

// One file being written. Until Commit succeeds, the destructor deletes what was written.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Replaces an existing file, read-only or not.
    bool Open(const std::wstring& path);
    bool Write(const unsigned char* data, std::size_t size);
    // Stamps the entry's time (DOS date and time, local) and keeps the file.
    bool Commit(std::uint16_t dosDate, std::uint16_t dosTime);

private:
    NimboNS::FileHandle file_;
    std::wstring path_;
    bool kept_ = false;
};

}  // namespace Compression
