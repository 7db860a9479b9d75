#include "reghistory.h"

#include <windows.h>

#include <cstring>

#include "nimbo/handle.h"
#include "scwconv.h"

namespace NimboNS {

namespace {

constexpr size_t kMaxLine = 2048;
// A history this large is not one the launcher wrote.
constexpr DWORD kMaxFileSize = 16 * 1024 * 1024;
constexpr unsigned char kUtf16Mark[] = {0xFF, 0xFE};
constexpr unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

bool StartsWith(const std::string& bytes, const unsigned char* mark, size_t size) {
    return bytes.size() >= size && std::memcmp(bytes.data(), mark, size) == 0;
}

std::wstring DecodeText(const std::string& bytes) {
    if (StartsWith(bytes, kUtf16Mark, sizeof(kUtf16Mark))) {
        std::wstring text((bytes.size() - sizeof(kUtf16Mark)) / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), bytes.data() + sizeof(kUtf16Mark), text.size() * sizeof(wchar_t));
        return text;
    }
    const size_t skip = StartsWith(bytes, kUtf8Mark, sizeof(kUtf8Mark)) ? sizeof(kUtf8Mark) : 0;
    return Utf8ToWide(std::string_view(bytes).substr(skip));
}

bool HasControl(const std::wstring& text) {
    for (wchar_t c : text)
        if (c < 0x20) return true;
    return false;
}

// The entry comes back unchanged from its line.
bool ReadsBack(const std::wstring& path, const std::wstring& hashCode) {
    return !path.empty() && !HasControl(path) && !HasControl(hashCode) &&
           hashCode.find(L';') == std::wstring::npos && (hashCode.empty() || hashCode.back() != L' ') &&
           path.size() + 1 + hashCode.size() <= kMaxLine;
}

bool ReadWholeFile(const std::wstring& file, std::string& bytes) {
    FileHandle handle(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle.get(), &size) || size.QuadPart > kMaxFileSize) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
            read == bytes.size());
}

}  // namespace

bool CRegistrationHistory::Load(const std::wstring& file) {
    entries_.clear();
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) return false;
    const std::wstring text = DecodeText(bytes);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (line.size() > kMaxLine) continue;
        line.erase(line.find_last_not_of(L" \r\n") + 1);
        const size_t split = line.rfind(L';');
        if (split == std::wstring::npos || split == 0) continue;
        entries_[line.substr(0, split)] = line.substr(split + 1);
    }
    return true;
}

bool CRegistrationHistory::Save(const std::wstring& file) const {
    std::wstring text;
    for (const auto& [path, hashCode] : entries_) {
        if (ReadsBack(path, hashCode)) text += path + L";" + hashCode + L"\r\n";
    }
    std::string bytes(reinterpret_cast<const char*>(kUtf16Mark), sizeof(kUtf16Mark));
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));

    FileHandle handle(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return false;
    DWORD written = 0;
    return WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

const std::wstring* CRegistrationHistory::Find(const std::wstring& path) const {
    auto found = entries_.find(path);
    return found == entries_.end() ? nullptr : &found->second;
}

}  // namespace NimboNS
