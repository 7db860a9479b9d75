#include "zipwriter.h"

#include <windows.h>
#include <zlib.h>

#include <memory>

#include "report.h"

namespace NimboNS::publisher {
namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint16_t kVersion = 20;       // 2.0: deflate, folders
constexpr std::uint16_t kUtf8Flag = 0x0800;  // general purpose bit 11: the name is UTF-8
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr size_t kChunk = 256 * 1024;

class Bytes {
public:
    Bytes& u16(std::uint16_t v) {
        data_.push_back(static_cast<std::uint8_t>(v));
        data_.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Bytes& u32(std::uint32_t v) {
        return u16(static_cast<std::uint16_t>(v)).u16(static_cast<std::uint16_t>(v >> 16));
    }
    Bytes& text(const std::string& s) {
        data_.insert(data_.end(), s.begin(), s.end());
        return *this;
    }
    const std::vector<std::uint8_t>& data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
};

bool IsAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

std::uint16_t Flags(const std::string& name) {
    return IsAscii(name) ? 0 : kUtf8Flag;
}

// DOS date and time of a FILETIME (taken as is, in UTC, so that archives do not depend on the
// machine's time zone); times before 1980 become 1980-01-01.
void DosTime(std::uint64_t fileTime, std::uint16_t& time, std::uint16_t& date) {
    FILETIME ft{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&ft, &st) || st.wYear < 1980) st = SYSTEMTIME{1980, 1, 0, 1, 0, 0, 0, 0};
    if (st.wYear > 2107) st = SYSTEMTIME{2107, 12, 0, 31, 23, 59, 58, 0};
    time = static_cast<std::uint16_t>((st.wHour << 11) | (st.wMinute << 5) | (st.wSecond / 2));
    date = static_cast<std::uint16_t>(((st.wYear - 1980) << 9) | (st.wMonth << 5) | st.wDay);
}

struct Deflater {
    z_stream stream{};
    bool ready = false;
    Deflater() {
        ready = deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) ==
                Z_OK;
    }
    ~Deflater() {
        if (ready) deflateEnd(&stream);
    }
};

}  // namespace

ZipWriter::ZipWriter(const fs::path& archive) : file_(File::Create(archive)) {}

void ZipWriter::WriteLocalHeader(const Entry& e) {
    Bytes b;
    b.u32(kLocalSignature).u16(kVersion).u16(Flags(e.name)).u16(e.method).u16(e.dosTime).u16(e.dosDate);
    b.u32(e.crc).u32(e.compressedSize).u32(e.size);
    b.u16(static_cast<std::uint16_t>(e.name.size())).u16(0).text(e.name);
    file_.Write(b.data().data(), b.data().size());
}

bool ZipWriter::WriteDeflated(File& source, Entry& e) {
    Deflater z;
    if (!z.ready) throw PublishError("zlib cannot start a deflate stream");
    auto in = std::make_unique<std::uint8_t[]>(kChunk);
    auto out = std::make_unique<std::uint8_t[]>(kChunk);
    std::uint64_t read = 0, written = 0;
    std::uint32_t crc = crc32(0, nullptr, 0);
    int flush = Z_NO_FLUSH;
    do {
        size_t got = source.Read(in.get(), kChunk);
        if (got == 0) flush = Z_FINISH;
        read += got;
        if (read > kZipSizeLimit) return false;  // the caller measures again and refuses
        crc = crc32(crc, in.get(), static_cast<uInt>(got));
        z.stream.next_in = in.get();
        z.stream.avail_in = static_cast<uInt>(got);
        do {
            z.stream.next_out = out.get();
            z.stream.avail_out = static_cast<uInt>(kChunk);
            int rc = deflate(&z.stream, flush);
            if (rc == Z_STREAM_ERROR) throw PublishError("zlib failed to deflate " + PathText(source.path()));
            size_t produced = kChunk - z.stream.avail_out;
            file_.Write(out.get(), produced);
            written += produced;
        } while (z.stream.avail_out == 0);
        // Data that does not shrink is stored instead; give up early on large incompressible files.
        if (written > read + kChunk) return false;
    } while (flush != Z_FINISH);
    if (written >= read) return false;
    e.method = kDeflated;
    e.crc = crc;
    e.size = static_cast<std::uint32_t>(read);
    e.compressedSize = static_cast<std::uint32_t>(written);
    return true;
}

void ZipWriter::WriteStored(File& source, Entry& e) {
    auto buffer = std::make_unique<std::uint8_t[]>(kChunk);
    std::uint64_t total = 0;
    std::uint32_t crc = crc32(0, nullptr, 0);
    for (;;) {
        size_t got = source.Read(buffer.get(), kChunk);
        if (got == 0) break;
        total += got;
        if (total > kZipSizeLimit) {
            throw PublishError(PathText(source.path()) + " grew to 4 GiB or more while it was being packed");
        }
        crc = crc32(crc, buffer.get(), static_cast<uInt>(got));
        file_.Write(buffer.get(), got);
    }
    e.method = kStored;
    e.crc = crc;
    e.size = e.compressedSize = static_cast<std::uint32_t>(total);
}

void ZipWriter::CheckArchiveSize() const {
    if (file_.Position() > kZipSizeLimit) {
        throw PublishError(PathText(file_.path()) +
                           " would grow to 4 GiB or more; zip archives without ZIP64 " +
                           "cannot be that large");
    }
}

std::uint64_t ZipWriter::AddFile(const std::string& entryName, const fs::path& sourcePath) {
    if (finished_) throw PublishError("zip archive already finished: " + PathText(file_.path()));
    if (entries_.size() >= kZipEntryLimit) {
        throw PublishError(PathText(file_.path()) + " would hold more than 65535 entries");
    }
    if (entryName.size() > 0xFFFF) throw PublishError("entry name too long: " + entryName);
    File source = File::OpenRead(sourcePath);
    std::uint64_t size = source.Size();
    if (size > kZipSizeLimit) {
        throw PublishError(PathText(sourcePath) +
                           " is 4 GiB or larger; zip archives without ZIP64 cannot hold it");
    }
    Entry e;
    e.name = entryName;
    DosTime(source.LastWriteTime(), e.dosTime, e.dosDate);
    CheckArchiveSize();
    e.offset = static_cast<std::uint32_t>(file_.Position());
    WriteLocalHeader(e);
    std::uint64_t dataStart = file_.Position();
    if (size == 0 || !WriteDeflated(source, e)) {
        source.Seek(0);
        file_.Seek(dataStart);
        file_.Truncate();
        WriteStored(source, e);
    }
    CheckArchiveSize();
    std::uint64_t end = file_.Position();
    file_.Seek(e.offset);
    WriteLocalHeader(e);
    file_.Seek(end);
    std::uint64_t stored = e.size;
    entries_.push_back(std::move(e));
    return stored;
}

void ZipWriter::Finish() {
    if (finished_) return;
    std::uint64_t start = file_.Position();
    for (const Entry& e : entries_) {
        Bytes b;
        b.u32(kCentralSignature).u16(kVersion).u16(kVersion).u16(Flags(e.name)).u16(e.method);
        b.u16(e.dosTime).u16(e.dosDate).u32(e.crc).u32(e.compressedSize).u32(e.size);
        b.u16(static_cast<std::uint16_t>(e.name.size())).u16(0).u16(0).u16(0).u16(0).u32(0).u32(e.offset);
        b.text(e.name);
        file_.Write(b.data().data(), b.data().size());
    }
    CheckArchiveSize();
    std::uint64_t end = file_.Position();
    Bytes b;
    auto count = static_cast<std::uint16_t>(entries_.size());
    b.u32(kEndSignature).u16(0).u16(0).u16(count).u16(count);
    b.u32(static_cast<std::uint32_t>(end - start)).u32(static_cast<std::uint32_t>(start)).u16(0);
    file_.Write(b.data().data(), b.data().size());
    CheckArchiveSize();
    finished_ = true;
}

std::uint64_t WriteSingleFileZip(const fs::path& archive, const fs::path& source) {
    ZipWriter zip(archive);
    std::uint64_t size = zip.AddFile(PathText(source.filename()), source);
    zip.Finish();
    return size;
}

}  // namespace NimboNS::publisher
