#pragma once
// Call contract of kxcompression.dll, the archive extractor loaded by name.
//
// Export "CreateExtractor" (no arguments) returns a new extractor. The object is small; a caller
// that is done with it may end it with Release.
//
// Extract unpacks a zip archive (stored and deflated entries, ZIP64) into a folder, creating the
// folder and every folder below it, replacing files that exist. It returns 1 on success and one of
// the Result codes below otherwise, never 0. Every entry name is checked before anything is
// written: a name that would land outside the destination folder ("..", an absolute path, a drive
// letter, a stream name) makes the whole archive fail with kUnsafeEntryName. Each file's CRC-32 is
// checked; a file that fails it is deleted and the archive fails.

namespace Compression {

// The extractor's reports, called on the thread that runs Extract. Every notification returns 0;
// the extractor ignores the result.
class IExtractDelegate {
public:
    // Before the first entry: the archive's path and its number of entries.
    virtual int OnExtractBegin(const wchar_t* archive, int itemCount) = 0;
    // Bytes written so far and the total uncompressed size of the archive.
    virtual int OnExtractProgress(long long done, long long total) = 0;
    // An entry is about to be written: its path relative to the destination ("\" separated).
    virtual int OnExtractItemStart(const wchar_t* item) = 0;
    // An entry was written: n entries (this one included) are done.
    virtual int OnExtractItem(int n, const wchar_t* item) = 0;
    // After the last entry, or when extraction stopped: the result Extract returns.
    virtual int OnExtractEnd(int result) = 0;
    // Why extraction fails, in English; called once before Extract returns a failure.
    virtual int OnExtractError(const wchar_t* text) = 0;
    virtual ~IExtractDelegate() = default;
    virtual void Release() = 0;
};

enum Result : int {
    kSuccess = 1,
    kBadArgument = 2,        // null or empty path
    kCannotOpenArchive = 3,  // missing or unreadable archive file
    kNotAnArchive = 4,       // no zip directory, or a damaged one
    kUnsafeEntryName = 5,    // an entry would land outside the destination folder
    kUnsupportedEntry = 6,   // encrypted entry or a compression method other than stored/deflated
    kDataError = 7,          // damaged compressed data, sizes that do not match
    kCrcMismatch = 8,
    kWriteError = 9,  // a folder or file cannot be created or written
    kOutOfMemory = 10,
    kInternalError = -1,
};

class IExtractor {
public:
    virtual int Extract(const wchar_t* archive, const wchar_t* folder) = 0;
    // The delegate stays the caller's; null stops the reports.
    virtual void SetCallback(IExtractDelegate* callback) = 0;
    virtual void Release() = 0;

protected:
    ~IExtractor() = default;
};

using CreateExtractorFn = IExtractor* (*)();
inline constexpr char kCreateExtractor[] = "CreateExtractor";

}  // namespace Compression
