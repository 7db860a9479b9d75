#pragma once
// The central directory of a zip archive: what each entry is and where its data lies.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "nimbo/handle.h"

namespace Compression {

// Random-access reads of the archive file.
class ArchiveFile {
public:
    bool Open(const wchar_t* path);
    std::uint64_t Size() const { return size_; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const;

private:
    NimboNS::FileHandle file_;
    std::uint64_t size_ = 0;
};

struct ZipEntry {
    std::string rawName;   // the bytes stored in the archive
    std::string utf8Name;  // from the Unicode path field, when it matches rawName
    bool nameIsUtf8 = false;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t dosTime = 0, dosDate = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0, size = 0;
    std::uint64_t localHeaderOffset = 0;
    std::uint32_t externalAttributes = 0;
    std::uint8_t madeBySystem = 0;
};

// Reads the directory; false with an English reason for an archive that is not a zip file or
// whose directory is damaged.
bool ReadDirectory(const ArchiveFile& archive, std::vector<ZipEntry>& entries, std::wstring& error);

// Where an entry's data starts, from its local header; false when the header is damaged or the
// data would run past the end of the archive.
bool FindEntryData(const ArchiveFile& archive, const ZipEntry& entry, std::uint64_t& offset);

}  // namespace Compression
