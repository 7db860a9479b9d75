#include "zipreader.h"

#include <zlib.h>

namespace publisher_test {
namespace {

struct Cursor {
    const std::string& b;
    size_t at;
    bool ok = true;
    std::uint32_t u(int n) {
        if (at + n > b.size()) {
            ok = false;
            return 0;
        }
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])) << (8 * i);
        at += n;
        return v;
    }
};

bool Inflate(const std::string& in, std::string& out, size_t expected) {
    out.assign(expected, '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(expected);
    int rc = inflate(&z, Z_FINISH);
    bool ok = rc == Z_STREAM_END && z.total_out == expected && z.avail_in == 0;
    inflateEnd(&z);
    return ok;
}

}  // namespace

bool ReadZip(const std::string& bytes, std::vector<ZipEntry>& entries, std::string& error) {
    entries.clear();
    if (bytes.size() < 22) return error = "too short", false;
    size_t end = bytes.size() - 22;  // the publisher writes no archive comment
    Cursor e{bytes, end};
    if (e.u(4) != 0x06054b50) return error = "no end record at the end", false;
    e.u(4);
    std::uint32_t count = e.u(2), total = e.u(2), cdSize = e.u(4), cdOffset = e.u(4);
    if (count != total || cdOffset + cdSize != end) return error = "end record does not match", false;
    Cursor c{bytes, cdOffset};
    for (std::uint32_t i = 0; i < count; ++i) {
        if (c.u(4) != 0x02014b50) return error = "bad central header", false;
        c.u(2);
        std::uint32_t needed = c.u(2);
        ZipEntry entry;
        entry.flags = static_cast<std::uint16_t>(c.u(2));
        entry.method = static_cast<std::uint16_t>(c.u(2));
        std::uint32_t time = c.u(2), date = c.u(2), crc = c.u(4);
        entry.compressedSize = c.u(4);
        std::uint32_t size = c.u(4), nameLength = c.u(2), extra = c.u(2), comment = c.u(2);
        c.u(8);
        std::uint32_t offset = c.u(4);
        if (!c.ok || needed > 20 || extra || comment) return error = "unexpected central fields", false;
        entry.name = bytes.substr(c.at, nameLength);
        c.at += nameLength;
        Cursor l{bytes, offset};
        bool same = l.u(4) == 0x04034b50 && l.u(2) == needed && l.u(2) == entry.flags &&
                    l.u(2) == entry.method && l.u(2) == time && l.u(2) == date && l.u(4) == crc &&
                    l.u(4) == entry.compressedSize && l.u(4) == size && l.u(2) == nameLength && l.u(2) == 0 &&
                    l.ok;
        if (!same || bytes.compare(l.at, nameLength, entry.name) != 0) {
            return error = "local header of " + entry.name + " differs from the central one", false;
        }
        std::string raw = bytes.substr(l.at + nameLength, entry.compressedSize);
        if (raw.size() != entry.compressedSize) return error = "data of " + entry.name + " cut short", false;
        if (entry.method == 0) {
            if (size != entry.compressedSize) return error = "stored sizes differ", false;
            entry.data = raw;
        } else if (entry.method != 8 || !Inflate(raw, entry.data, size)) {
            return error = "cannot inflate " + entry.name, false;
        }
        std::uint32_t actual =
            crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()), static_cast<uInt>(entry.data.size()));
        if (actual != crc) return error = "CRC-32 of " + entry.name + " does not match", false;
        entries.push_back(std::move(entry));
    }
    return true;
}

}  // namespace publisher_test
