#include "fileio.h"

#include <windows.h>

#include "report.h"
#include "scwconv.h"

namespace NimboNS::publisher {

std::string PathText(const fs::path& path) {
    return WideToUtf8(path.native());
}

namespace {
[[noreturn]] void FailPath(const char* what, const fs::path& path, DWORD code) {
    throw PublishError(std::string("cannot ") + what + " " + PathText(path) + ": " + SystemErrorText(code));
}
}  // namespace

File File::OpenRead(const fs::path& path) {
    FileHandle h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h) FailPath("open", path, GetLastError());
    return File(std::move(h), path);
}

File File::Create(const fs::path& path) {
    FileHandle h(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) FailPath("create", path, GetLastError());
    return File(std::move(h), path);
}

void File::Fail(const char* what) const {
    FailPath(what, path_, GetLastError());
}

size_t File::Read(void* buffer, size_t size) {
    DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(handle_.get(), buffer, chunk, &got, nullptr)) Fail("read");
    return got;
}

void File::Write(const void* data, size_t size) {
    auto p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(handle_.get(), p, chunk, &written, nullptr) || written == 0) Fail("write");
        p += written;
        size -= written;
    }
}

void File::Seek(std::uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_.get(), to, nullptr, FILE_BEGIN)) Fail("seek in");
}

std::uint64_t File::Position() const {
    LARGE_INTEGER zero{}, at{};
    if (!SetFilePointerEx(handle_.get(), zero, &at, FILE_CURRENT)) Fail("seek in");
    return static_cast<std::uint64_t>(at.QuadPart);
}

std::uint64_t File::Size() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_.get(), &size)) Fail("measure");
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::uint64_t File::LastWriteTime() const {
    FILETIME written{};
    if (!GetFileTime(handle_.get(), nullptr, nullptr, &written)) Fail("read the time of");
    return (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

void File::Truncate() {
    if (!SetEndOfFile(handle_.get())) Fail("truncate");
}

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path) {
    File file = File::OpenRead(path);
    std::uint64_t size = file.Size();
    if (size > 0x40000000) throw PublishError("file too large to read whole: " + PathText(path));
    std::vector<std::uint8_t> bytes(static_cast<size_t>(size));
    size_t done = 0;
    while (done < bytes.size()) {
        size_t got = file.Read(bytes.data() + done, bytes.size() - done);
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

std::string ReadTextFile(const fs::path& path) {
    auto bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string ReadUtf8TextFile(const fs::path& path) {
    auto bytes = ReadWholeFile(path);
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        std::wstring wide((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < wide.size(); ++i)
            wide[i] = static_cast<wchar_t>(bytes[2 + 2 * i] | bytes[3 + 2 * i] << 8);
        return WideToUtf8(wide);
    }
    size_t skip = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    return std::string(bytes.begin() + skip, bytes.end());
}

bool IsInside(const fs::path& inner, const fs::path& folder) {
    std::error_code ec;
    std::wstring a = fs::weakly_canonical(fs::absolute(inner, ec), ec).native();
    std::wstring b = fs::weakly_canonical(fs::absolute(folder, ec), ec).native();
    while (!b.empty() && (b.back() == L'\\' || b.back() == L'/')) b.pop_back();
    if (a.size() < b.size() || CompareStringOrdinal(a.c_str(), static_cast<int>(b.size()), b.c_str(),
                                                    static_cast<int>(b.size()), TRUE) != CSTR_EQUAL) {
        return false;
    }
    return a.size() == b.size() || a[b.size()] == L'\\' || a[b.size()] == L'/';
}

void WriteWholeFile(const fs::path& path, const void* data, size_t size) {
    File file = File::Create(path);
    file.Write(data, size);
}

void CreateFolders(const fs::path& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    if (ec || !fs::is_directory(path)) {
        throw PublishError("cannot create the folder " + PathText(path) + ": " + ec.message());
    }
}

bool RemoveTree(const fs::path& path) noexcept {
    std::error_code ec;
    fs::remove_all(path, ec);
    return !fs::exists(path, ec);
}

}  // namespace NimboNS::publisher
