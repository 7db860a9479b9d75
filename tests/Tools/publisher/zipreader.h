#pragma once
// A strict reader of the archives the publisher writes, independent of the writer: it checks that
// local headers agree with the central directory, inflates, and checks CRC-32 and sizes.
#include <cstdint>
#include <string>
#include <vector>

namespace publisher_test {

struct ZipEntry {
    std::string name;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t compressedSize = 0;
    std::string data;
};

// Reads a whole archive; on any fault returns false and says why in `error`.
bool ReadZip(const std::string& bytes, std::vector<ZipEntry>& entries, std::string& error);

}  // namespace publisher_test
