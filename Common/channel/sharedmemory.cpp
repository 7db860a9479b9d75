#include "sharedmemory.h"

#include <shlwapi.h>

#include <cstring>
#include <cwchar>

#include "nimbo/names.h"

namespace SharedMemory {
namespace {

using NimboNS::Handle;
using NimboNS::MappedView;

bool ZeroAndCopy(HANDLE mapping, const wchar_t* text, int length) {
    MappedView view(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, CSharedMemory::kViewBytes));
    if (!view) return false;
    std::memset(view.get(), 0, CSharedMemory::kViewBytes);
    if (length > 0) std::memcpy(view.get(), text, static_cast<size_t>(length) * sizeof(wchar_t));
    FlushViewOfFile(view.get(), CSharedMemory::kViewBytes);
    return true;
}

}  // namespace

std::wstring CSharedMemory::GetSharedFileFolder() const {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t* slash = std::wcsrchr(path, L'\\');
    if (slash == nullptr) return {};
    *slash = L'\0';
    std::wstring folder = std::wstring(path) + L"\\" + NimboNS::names::kSharedFileFolder;
    if (!PathFileExistsW(folder.c_str()) && CreateDirectoryW(folder.c_str(), nullptr))
        SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
    return folder;
}

std::wstring CSharedMemory::GetFilePath() const {
    return GetSharedFileFolder() + L"\\" + name_;
}

bool CSharedMemory::Create(const wchar_t* name) {
    if (IsCreator() || name == nullptr || *name == L'\0') return false;
    std::wstring folder = GetSharedFileFolder();
    if (folder.empty()) return false;
    std::wstring path = folder + L"\\" + name;
    NimboNS::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    Handle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READWRITE, 0, kViewBytes, name));
    // A mapping of that name that already exists belongs to another channel: taking it over
    // would mix two conversations.
    if (!mapping || GetLastError() == ERROR_ALREADY_EXISTS) return false;
    // A backing file left by an earlier run still holds its old text (an old "2" would pass
    // for a live server): a new channel starts empty.
    if (!ZeroAndCopy(mapping.get(), nullptr, 0)) return false;
    file_ = std::move(file);
    mapping_ = std::move(mapping);
    name_ = name;
    return true;
}

bool CSharedMemory::Open(const std::wstring& name) {
    name_ = name;
    if (name_.empty()) return false;
    mapping_.reset(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name_.c_str()));
    return static_cast<bool>(mapping_);
}

HANDLE CSharedMemory::BeginAccess() {
    if (IsCreator()) return mapping_.get();
    if (name_.empty()) return nullptr;
    mapping_.reset(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name_.c_str()));
    return mapping_.get();
}

void CSharedMemory::EndAccess() {
    if (!IsCreator()) mapping_.reset();
}

bool CSharedMemory::Write(const wchar_t* text, int length) {
    if (text == nullptr || length <= 0 || length > kMaxTextLength) return false;
    HANDLE mapping = BeginAccess();
    if (mapping == nullptr) return false;
    bool written = ZeroAndCopy(mapping, text, length);
    EndAccess();
    return written;
}

bool CSharedMemory::WriteNumber(int value) {
    wchar_t buffer[16] = {};
    int length = _snwprintf(buffer, 16, L"%d", value);
    return length > 0 && Write(buffer, length);
}

int CSharedMemory::Read(const wchar_t*& text, int& length) {
    readBuffer_.clear();
    text = readBuffer_.c_str();
    length = 0;
    HANDLE mapping = BeginAccess();
    if (mapping == nullptr) return 0;
    MappedView view(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kViewBytes));
    if (!view) {
        mapping_.reset();
        return -1;
    }
    // The peer may have filled all 1024 bytes without a terminator: never look past the view.
    const auto* start = static_cast<const wchar_t*>(view.get());
    readBuffer_.assign(start, wcsnlen(start, kViewBytes / sizeof(wchar_t)));
    view.reset();
    EndAccess();
    text = readBuffer_.c_str();
    length = static_cast<int>(readBuffer_.size());
    return length;
}

bool CSharedMemory::ReadsNumber(int value) {
    const wchar_t* text = nullptr;
    int length = 0;
    if (Read(text, length) <= 0) return false;
    return _wtoi(text) == value;
}

bool CSharedMemory::IsDisconnected() {
    if (IsCreator() && mapping_) return false;
    if (!name_.empty()) {
        if (!IsCreator()) mapping_.reset();
        Handle probe(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name_.c_str()));
        if (probe) return false;
    }
    return true;
}

void CSharedMemory::Close() {
    mapping_.reset();
    file_.reset();
}

bool CSharedMemory::DeleteBackingFile() const {
    return name_.empty() || DeleteFileWithRetries(GetFilePath());
}

bool DeleteFileWithRetries(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    // The runner keeps its file open until its one-second timer notices that the client has
    // gone, and a millisecond sleep may really last one: a thousand attempts alone can end
    // before it lets go, so the attempts also span a few seconds.
    const ULONGLONG start = GetTickCount64();
    for (int attempt = 1;; ++attempt) {
        if (DeleteFileW(path.c_str()) || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return true;
        if (attempt >= 1000 && GetTickCount64() - start >= kDeleteRetryMs) return false;
        Sleep(1);
    }
}

}  // namespace SharedMemory
