#pragma once
// Writes standard zip archives: deflated entries (stored when deflate would not make them smaller),
// CRC-32, local headers and a central directory. No ZIP64: a file of 4 GiB or more, an archive
// that would grow past 4 GiB or more than 65535 entries are refused.
#include <cstdint>
#include <string>
#include <vector>

#include "fileio.h"

namespace NimboNS::publisher {

inline constexpr std::uint64_t kZipSizeLimit = 0xFFFFFFFEull;
inline constexpr size_t kZipEntryLimit = 0xFFFF;

class ZipWriter {
public:
    explicit ZipWriter(const fs::path& archive);
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Adds the file at source under the entry name (UTF-8, "/" between folders); returns its size.
    std::uint64_t AddFile(const std::string& entryName, const fs::path& source);
    // Writes the central directory. Nothing may be added afterwards.
    void Finish();

private:
    struct Entry {
        std::string name;
        std::uint16_t method = 0;
        std::uint16_t dosTime = 0;
        std::uint16_t dosDate = 0;
        std::uint32_t crc = 0;
        std::uint32_t compressedSize = 0;
        std::uint32_t size = 0;
        std::uint32_t offset = 0;
    };
    void WriteLocalHeader(const Entry& entry);
    // Writes the data of source at the current position; returns false when deflate did not pay.
    bool WriteDeflated(File& source, Entry& entry);
    void WriteStored(File& source, Entry& entry);
    void CheckArchiveSize() const;

    File file_;
    std::vector<Entry> entries_;
    bool finished_ = false;
};

// A zip archive holding the one file source, under its own file name; returns the file's size.
std::uint64_t WriteSingleFileZip(const fs::path& archive, const fs::path& source);

}  // namespace NimboNS::publisher
