#pragma once
// Builds small zip archives in memory for the extraction tests, including ones no tool would
// write (bad CRC, odd methods, hostile names).
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kxtest {

struct TestEntry {
    std::string name;
    std::string data;
    bool deflate = true;
    std::uint16_t flags = 0;
    std::uint16_t method = 0xFFFF;  // when set, written instead of the real method
    bool badCrc = false;
    std::string centralExtra;  // extra fields of the central directory entry
};

inline void Put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8 & 0xFF);
}
inline void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

inline std::string RawDeflate(const std::string& data) {
    z_stream s{};
    deflateInit2(&s, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&s, static_cast<uLong>(data.size())), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

inline std::uint32_t Crc(const std::string& data) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// The Unicode path extra field that points at `utf8` for an entry stored under `rawName`.
inline std::string UnicodePathField(const std::string& rawName, const std::string& utf8) {
    std::string field;
    Put16(field, 0x7075);
    Put16(field, static_cast<unsigned>(5 + utf8.size()));
    field += '\x01';
    Put32(field, Crc(rawName));
    return field + utf8;
}

inline std::string MakeZip(const std::vector<TestEntry>& entries) {
    std::string out, central;
    for (const TestEntry& e : entries) {
        const std::string stored = e.deflate ? RawDeflate(e.data) : e.data;
        const unsigned method = e.method != 0xFFFF ? e.method : (e.deflate ? 8 : 0);
        const std::uint32_t crc = Crc(e.data) ^ (e.badCrc ? 0x5A5A5A5Au : 0u);
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        std::string common;
        Put16(common, 20);  // version needed
        Put16(common, e.flags);
        Put16(common, method);
        Put16(common, 0x5000);  // 10:00
        Put16(common, 0x58B1);  // 2024-05-17
        Put32(common, crc);
        Put32(common, static_cast<std::uint32_t>(stored.size()));
        Put32(common, static_cast<std::uint32_t>(e.data.size()));
        Put16(common, static_cast<unsigned>(e.name.size()));

        Put32(out, 0x04034b50);
        out += common;
        Put16(out, 0);
        out += e.name + stored;

        Put32(central, 0x02014b50);
        Put16(central, 20);  // made by: DOS
        central += common;
        Put16(central, static_cast<unsigned>(e.centralExtra.size()));
        Put16(central, 0);  // comment
        Put16(central, 0);  // disk
        Put16(central, 0);  // internal attributes
        Put32(central, 0);  // external attributes
        Put32(central, offset);
        central += e.name + e.centralExtra;
    }
    const std::uint32_t directoryOffset = static_cast<std::uint32_t>(out.size());
    out += central;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<unsigned>(entries.size()));
    Put16(out, static_cast<unsigned>(entries.size()));
    Put32(out, static_cast<std::uint32_t>(central.size()));
    Put32(out, directoryOffset);
    Put16(out, 0);
    return out;
}

}  // namespace kxtest
