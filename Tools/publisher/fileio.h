#pragma once
// Files of the publisher: whole-file reads and writes and a seekable file for the zip writer.
// Every failure throws PublishError naming the path and the system's reason.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "nimbo/handle.h"

namespace NimboNS::publisher {

namespace fs = std::filesystem;

// A path as UTF-8, for messages and documents.
std::string PathText(const fs::path& path);

class File {
public:
    static File OpenRead(const fs::path& path);
    // Creates the file, replacing an existing one.
    static File Create(const fs::path& path);

    // Reads up to size bytes; returns how many were read (0 at the end).
    size_t Read(void* buffer, size_t size);
    void Write(const void* data, size_t size);
    void Seek(std::uint64_t offset);
    std::uint64_t Position() const;
    std::uint64_t Size() const;
    // Cuts the file at the current position.
    void Truncate();
    // Last write time as a FILETIME value (100 ns since 1601, UTC).
    std::uint64_t LastWriteTime() const;
    const fs::path& path() const { return path_; }

private:
    File(FileHandle handle, fs::path path) : handle_(std::move(handle)), path_(std::move(path)) {}
    [[noreturn]] void Fail(const char* what) const;

    FileHandle handle_;
    fs::path path_;
};

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path);
std::string ReadTextFile(const fs::path& path);
// A text file as UTF-8: a UTF-8 byte-order mark is dropped, UTF-16LE with its mark is converted.
std::string ReadUtf8TextFile(const fs::path& path);
// True when inner is folder or lies below it.
bool IsInside(const fs::path& inner, const fs::path& folder);
void WriteWholeFile(const fs::path& path, const void* data, size_t size);
inline void WriteTextFile(const fs::path& path, const std::string& text) {
    WriteWholeFile(path, text.data(), text.size());
}

void CreateFolders(const fs::path& path);
// Removes a folder with everything in it; missing is fine. Returns false when something stayed.
bool RemoveTree(const fs::path& path) noexcept;

}  // namespace NimboNS::publisher
