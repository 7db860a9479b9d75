#include "zip_directory.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace Compression {
namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22, kZip64LocatorSize = 20, kZip64EndSize = 56;
constexpr std::size_t kCentralSize = 46, kLocalSize = 30;
constexpr std::uint16_t kZip64Extra = 0x0001, kUnicodePathExtra = 0x7075;

std::uint16_t U16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t U32(const unsigned char* p) {
    return U16(p) | static_cast<std::uint32_t>(U16(p + 2)) << 16;
}
std::uint64_t U64(const unsigned char* p) {
    return U32(p) | static_cast<std::uint64_t>(U32(p + 4)) << 32;
}

struct EndRecord {
    std::uint64_t position = 0;  // where the end record starts
    std::uint64_t entries = 0, directorySize = 0, directoryOffset = 0;
};

bool FindEndRecord(const ArchiveFile& archive, EndRecord& end) {
    const std::uint64_t size = archive.Size();
    if (size < kEndSize) return false;
    const std::size_t tail = static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndSize + 0xFFFF));
    std::vector<unsigned char> bytes(tail);
    if (!archive.ReadAt(size - tail, bytes.data(), tail)) return false;
    for (std::size_t i = tail - kEndSize + 1; i-- > 0;) {
        const unsigned char* p = bytes.data() + i;
        if (U32(p) != kEndSignature || i + kEndSize + U16(p + 20) > tail) continue;
        end.position = size - tail + i;
        end.entries = U16(p + 10);
        end.directorySize = U32(p + 12);
        end.directoryOffset = U32(p + 16);
        return true;
    }
    return false;
}

// A ZIP64 end record, when a locator stands right before the classic one, takes precedence.
bool ReadZip64End(const ArchiveFile& archive, EndRecord& end, bool& damaged) {
    damaged = false;
    if (end.position < kZip64LocatorSize) return false;
    unsigned char locator[kZip64LocatorSize];
    if (!archive.ReadAt(end.position - kZip64LocatorSize, locator, sizeof locator) ||
        U32(locator) != kZip64LocatorSignature)
        return false;
    const std::uint64_t offset = U64(locator + 8);
    unsigned char record[kZip64EndSize];
    if (offset > end.position - kZip64LocatorSize || !archive.ReadAt(offset, record, sizeof record) ||
        U32(record) != kZip64EndSignature) {
        damaged = true;
        return false;
    }
    end.entries = U64(record + 32);
    end.directorySize = U64(record + 40);
    end.directoryOffset = U64(record + 48);
    end.position = offset;
    return true;
}

// Values of 0xFFFFFFFF in the fixed part are found, in this order, in the ZIP64 field.
bool ApplyZip64Field(const unsigned char* data, std::size_t length, std::uint32_t size32,
                     std::uint32_t compressed32, std::uint32_t offset32, ZipEntry& entry) {
    std::size_t at = 0;
    auto take = [&](std::uint64_t& value) {
        if (at + 8 > length) return false;
        value = U64(data + at);
        at += 8;
        return true;
    };
    if (size32 == 0xFFFFFFFF && !take(entry.size)) return false;
    if (compressed32 == 0xFFFFFFFF && !take(entry.compressedSize)) return false;
    if (offset32 == 0xFFFFFFFF && !take(entry.localHeaderOffset)) return false;
    return true;
}

void ApplyUnicodePath(const unsigned char* data, std::size_t length, ZipEntry& entry) {
    if (length < 5 || data[0] != 1) return;
    const uLong nameCrc = crc32(0, reinterpret_cast<const Bytef*>(entry.rawName.data()),
                                static_cast<uInt>(entry.rawName.size()));
    if (U32(data + 1) != nameCrc) return;  // the name was changed by a tool that did not know the field
    entry.utf8Name.assign(reinterpret_cast<const char*>(data + 5), length - 5);
}

bool ReadExtraFields(const unsigned char* extra, std::size_t length, std::uint32_t size32,
                     std::uint32_t compressed32, std::uint32_t offset32, ZipEntry& entry) {
    bool zip64Seen = false;
    for (std::size_t at = 0; at + 4 <= length;) {
        const std::uint16_t id = U16(extra + at), fieldLength = U16(extra + at + 2);
        const unsigned char* data = extra + at + 4;
        if (at + 4 + fieldLength > length) break;
        if (id == kZip64Extra && !zip64Seen) {
            zip64Seen = true;
            if (!ApplyZip64Field(data, fieldLength, size32, compressed32, offset32, entry)) return false;
        } else if (id == kUnicodePathExtra) {
            ApplyUnicodePath(data, fieldLength, entry);
        }
        at += 4 + fieldLength;
    }
    // A 32-bit field that says "see ZIP64" without one is a damaged entry.
    return zip64Seen || (size32 != 0xFFFFFFFF && compressed32 != 0xFFFFFFFF && offset32 != 0xFFFFFFFF);
}

bool ParseCentralEntry(const unsigned char* p, std::size_t available, std::size_t& used, ZipEntry& entry) {
    if (available < kCentralSize || U32(p) != kCentralSignature) return false;
    const std::size_t nameLength = U16(p + 28), extraLength = U16(p + 30), commentLength = U16(p + 32);
    used = kCentralSize + nameLength + extraLength + commentLength;
    if (used > available) return false;
    entry.madeBySystem = p[5];
    entry.flags = U16(p + 8);
    entry.method = U16(p + 10);
    entry.dosTime = U16(p + 12);
    entry.dosDate = U16(p + 14);
    entry.crc = U32(p + 16);
    const std::uint32_t compressed32 = U32(p + 20), size32 = U32(p + 24), offset32 = U32(p + 42);
    entry.compressedSize = compressed32;
    entry.size = size32;
    entry.localHeaderOffset = offset32;
    entry.externalAttributes = U32(p + 38);
    entry.rawName.assign(reinterpret_cast<const char*>(p + kCentralSize), nameLength);
    entry.nameIsUtf8 = (entry.flags & 0x0800) != 0;
    return ReadExtraFields(p + kCentralSize + nameLength, extraLength, size32, compressed32, offset32, entry);
}

}  // namespace

bool ArchiveFile::Open(const wchar_t* path) {
    file_.reset(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file_ || !GetFileSizeEx(file_.get(), &size)) return false;
    size_ = static_cast<std::uint64_t>(size.QuadPart);
    return true;
}

bool ArchiveFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    if (offset > size_ || count > size_ - offset) return false;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    auto* out = static_cast<unsigned char*>(buffer);
    while (count > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 20)), read = 0;
        if (!ReadFile(file_.get(), out, chunk, &read, &at) || read != chunk) return false;
        out += chunk;
        count -= chunk;
        offset += chunk;
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    }
    return true;
}

bool ReadDirectory(const ArchiveFile& archive, std::vector<ZipEntry>& entries, std::wstring& error) {
    entries.clear();
    EndRecord end;
    if (!FindEndRecord(archive, end)) {
        error = L"The file is not a zip archive.";
        return false;
    }
    bool damaged = false;
    if (!ReadZip64End(archive, end, damaged) && damaged) {
        error = L"The ZIP64 directory record of the archive is damaged.";
        return false;
    }
    // The directory ends where the end record starts; data put in front of the archive (a
    // self-extracting stub) shifts every stored offset by the same amount.
    if (end.directorySize > end.position || end.entries > end.directorySize / kCentralSize) {
        error = L"The directory of the archive is damaged.";
        return false;
    }
    const std::uint64_t start = end.position - end.directorySize;
    const std::uint64_t shift = start - std::min(start, end.directoryOffset);
    std::vector<unsigned char> directory(static_cast<std::size_t>(end.directorySize));
    if (!archive.ReadAt(start, directory.data(), directory.size())) {
        error = L"The directory of the archive cannot be read.";
        return false;
    }
    entries.reserve(static_cast<std::size_t>(end.entries));
    std::size_t at = 0;
    for (std::uint64_t i = 0; i < end.entries; ++i) {
        ZipEntry entry;
        std::size_t used = 0;
        if (!ParseCentralEntry(directory.data() + at, directory.size() - at, used, entry)) {
            error = L"The directory of the archive is damaged.";
            return false;
        }
        entry.localHeaderOffset += shift;
        entries.push_back(std::move(entry));
        at += used;
    }
    return true;
}

bool FindEntryData(const ArchiveFile& archive, const ZipEntry& entry, std::uint64_t& offset) {
    unsigned char header[kLocalSize];
    if (!archive.ReadAt(entry.localHeaderOffset, header, sizeof header) || U32(header) != kLocalSignature)
        return false;
    offset = entry.localHeaderOffset + kLocalSize + U16(header + 26) + U16(header + 28);
    return offset <= archive.Size() && entry.compressedSize <= archive.Size() - offset;
}

}  // namespace Compression
