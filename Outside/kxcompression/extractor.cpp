// Extraction in two passes: every entry is checked (name, method) before the first byte is
// written, then the entries are written one by one, each checked against its CRC-32.
#include "extractor.h"

#include <zlib.h>

#include <new>
#include <string>
#include <vector>

#include "entry_name.h"
#include "output_files.h"
#include "zip_directory.h"

namespace Compression {
namespace {

constexpr std::size_t kChunk = 256 * 1024;
constexpr std::uint16_t kStored = 0, kDeflated = 8;
constexpr std::uint64_t kProgressStep = 4u << 20;

struct PlannedItem {
    const ZipEntry* entry = nullptr;
    std::wstring relative;  // shown in the reports
    std::wstring target;
    bool isFolder = false;
};

struct Failure {
    int code;
    std::wstring text;
};

std::wstring Quoted(const std::wstring& name) {
    return L"\"" + name + L"\"";
}

class Extractor final : public IExtractor {
public:
    int Extract(const wchar_t* archive, const wchar_t* folder) noexcept override;
    void SetCallback(IExtractDelegate* callback) noexcept override { callback_ = callback; }
    void Release() noexcept override { delete this; }

private:
    int Run(const wchar_t* archive, const wchar_t* folder);
    int Finish(int result, const std::wstring& text);
    bool Plan(const std::vector<ZipEntry>& entries, const std::wstring& root, std::vector<PlannedItem>& items,
              Failure& failure);
    bool WriteItem(const ArchiveFile& archive, const PlannedItem& item, Failure& failure);
    bool CopyData(const ArchiveFile& archive, const ZipEntry& entry, std::uint64_t offset, OutputFile& out,
                  std::uint32_t& crc, Failure& failure);
    void Progress(std::uint64_t bytes, bool force);

    IExtractDelegate* callback_ = nullptr;
    std::uint64_t done_ = 0, total_ = 0, reported_ = 0;
};

int Extractor::Extract(const wchar_t* archive, const wchar_t* folder) noexcept {
    try {
        return Run(archive, folder);
    } catch (const std::bad_alloc&) {
        return Finish(kOutOfMemory, L"Out of memory.");
    } catch (...) {
        return Finish(kInternalError, L"Unexpected failure.");
    }
}

int Extractor::Finish(int result, const std::wstring& text) {
    if (callback_ != nullptr) {
        if (result != kSuccess) callback_->OnExtractError(text.c_str());
        callback_->OnExtractEnd(result);
    }
    return result;
}

int Extractor::Run(const wchar_t* archivePath, const wchar_t* folder) {
    done_ = total_ = reported_ = 0;
    std::wstring root;
    if (archivePath == nullptr || *archivePath == 0 || !FullFolderPath(folder, root))
        return Finish(kBadArgument, L"No archive or no destination folder was given.");
    ArchiveFile archive;
    if (!archive.Open(archivePath)) return Finish(kCannotOpenArchive, L"The archive cannot be opened.");
    std::vector<ZipEntry> entries;
    std::wstring error;
    if (!ReadDirectory(archive, entries, error)) return Finish(kNotAnArchive, error);

    std::vector<PlannedItem> items;
    Failure failure{};
    if (!Plan(entries, root, items, failure)) return Finish(failure.code, failure.text);
    if (!CreateFolderTree(root)) return Finish(kWriteError, L"The destination folder cannot be created.");

    if (callback_ != nullptr) callback_->OnExtractBegin(archivePath, static_cast<int>(items.size()));
    int n = 0;
    for (const PlannedItem& item : items) {
        if (callback_ != nullptr) callback_->OnExtractItemStart(item.relative.c_str());
        if (!WriteItem(archive, item, failure)) return Finish(failure.code, failure.text);
        if (callback_ != nullptr) callback_->OnExtractItem(++n, item.relative.c_str());
    }
    Progress(0, true);
    return Finish(kSuccess, L"");
}

bool Extractor::Plan(const std::vector<ZipEntry>& entries, const std::wstring& root,
                     std::vector<PlannedItem>& items, Failure& failure) {
    items.reserve(entries.size());
    for (const ZipEntry& entry : entries) {
        PlannedItem item;
        item.entry = &entry;
        std::wstring name = DecodeName(entry), reason;
        if (!MakeRelativePath(name, item.relative, item.isFolder, reason)) {
            failure = {kUnsafeEntryName, L"The entry " + Quoted(name) + L" is refused: " + reason + L"."};
            return false;
        }
        // Windows tools mark folders by their attribute; such entries hold no data.
        if ((entry.externalAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && entry.size == 0)
            item.isFolder = true;
        if (item.relative.empty()) continue;  // the destination folder itself
        item.target = root + L"\\" + item.relative;
        if (!IsInside(root, item.target)) {
            failure = {kUnsafeEntryName,
                       L"The entry " + Quoted(name) + L" would be written outside the folder."};
            return false;
        }
        if ((entry.flags & 0x0001) != 0 && !item.isFolder) {
            failure = {kUnsupportedEntry, L"The entry " + Quoted(name) + L" is encrypted."};
            return false;
        }
        if (entry.method != kStored && entry.method != kDeflated && !item.isFolder) {
            failure = {kUnsupportedEntry, L"The entry " + Quoted(name) + L" uses compression method " +
                                              std::to_wstring(entry.method) + L", which is not supported."};
            return false;
        }
        if (!item.isFolder) total_ += entry.size;
        items.push_back(std::move(item));
    }
    return true;
}

bool Extractor::WriteItem(const ArchiveFile& archive, const PlannedItem& item, Failure& failure) {
    const std::wstring name = Quoted(item.relative);
    if (item.isFolder) {
        if (CreateFolderTree(item.target)) return true;
        failure = {kWriteError, L"The folder " + name + L" cannot be created."};
        return false;
    }
    if (!CreateFolderTree(item.target.substr(0, item.target.rfind(L'\\')))) {
        failure = {kWriteError, L"The folder of " + name + L" cannot be created."};
        return false;
    }
    std::uint64_t offset = 0;
    if (!FindEntryData(archive, *item.entry, offset)) {
        failure = {kDataError, L"The entry " + name + L" is damaged."};
        return false;
    }
    OutputFile out;
    if (!out.Open(item.target)) {
        failure = {kWriteError, L"The file " + name + L" cannot be written (error " +
                                    std::to_wstring(GetLastError()) + L")."};
        return false;
    }
    std::uint32_t crc = 0;
    if (!CopyData(archive, *item.entry, offset, out, crc, failure)) return false;
    if (crc != item.entry->crc) {
        failure = {kCrcMismatch, L"The entry " + name + L" fails its CRC-32 check."};
        return false;
    }
    if (!out.Commit(item.entry->dosDate, item.entry->dosTime)) {
        failure = {kWriteError, L"The file " + name + L" cannot be written."};
        return false;
    }
    return true;
}

// Streams one entry's data into the file, computing the CRC-32 of what was written.
bool Extractor::CopyData(const ArchiveFile& archive, const ZipEntry& entry, std::uint64_t offset,
                         OutputFile& out, std::uint32_t& crc, Failure& failure) {
    const std::wstring damaged = L"The entry " + Quoted(DecodeName(entry)) + L" is damaged.";
    const std::wstring cannotWrite = L"The file " + Quoted(DecodeName(entry)) + L" cannot be written.";
    std::vector<unsigned char> input(kChunk);
    uLong sum = crc32(0, nullptr, 0);
    std::uint64_t remaining = entry.compressedSize, produced = 0;
    auto readChunk = [&](std::size_t& got) {
        got = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kChunk));
        if (!archive.ReadAt(offset, input.data(), got)) return false;
        offset += got;
        remaining -= got;
        return true;
    };
    auto emit = [&](const unsigned char* data, std::size_t size) {
        produced += size;
        if (produced > entry.size) return failure = {kDataError, damaged}, false;
        sum = crc32(sum, data, static_cast<uInt>(size));
        if (!out.Write(data, size)) return failure = {kWriteError, cannotWrite}, false;
        Progress(size, false);
        return true;
    };

    if (entry.method == kStored) {
        if (entry.compressedSize != entry.size) return failure = {kDataError, damaged}, false;
        while (remaining > 0) {
            std::size_t got = 0;
            if (!readChunk(got)) return failure = {kDataError, damaged}, false;
            if (!emit(input.data(), got)) return false;
        }
    } else if (entry.compressedSize == 0 && entry.size == 0) {
        // Some tools store an empty file as "deflated" without any data.
    } else {
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
            return failure = {kOutOfMemory, L"Out of memory."}, false;
        std::vector<unsigned char> output(kChunk);
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            if (stream.avail_in == 0 && remaining > 0) {
                std::size_t got = 0;
                if (!readChunk(got)) break;
                stream.next_in = input.data();
                stream.avail_in = static_cast<uInt>(got);
            }
            stream.next_out = output.data();
            stream.avail_out = static_cast<uInt>(output.size());
            status = inflate(&stream, Z_NO_FLUSH);
            const std::size_t made = output.size() - stream.avail_out;
            if (status != Z_OK && status != Z_STREAM_END) break;
            if (made > 0 && !emit(output.data(), made)) {
                inflateEnd(&stream);
                return false;
            }
            if (made == 0 && stream.avail_in == 0 && remaining == 0 && status != Z_STREAM_END) break;
        }
        inflateEnd(&stream);
        if (status == Z_MEM_ERROR) return failure = {kOutOfMemory, L"Out of memory."}, false;
        if (status != Z_STREAM_END) return failure = {kDataError, damaged}, false;
    }
    if (produced != entry.size) return failure = {kDataError, damaged}, false;
    crc = static_cast<std::uint32_t>(sum);
    return true;
}

void Extractor::Progress(std::uint64_t bytes, bool force) {
    done_ += bytes;
    if (callback_ == nullptr || (!force && done_ - reported_ < kProgressStep)) return;
    reported_ = done_;
    callback_->OnExtractProgress(static_cast<long long>(done_), static_cast<long long>(total_));
}

}  // namespace

IExtractor* NewExtractor() noexcept {
    return new (std::nothrow) Extractor();
}

}  // namespace Compression
