#include "link/sharedmem.h"

#include <cstring>

#include "link/setuplog.h"

namespace NimboNS::installpanel {

bool CPanelSharedMemory::Create(const std::wstring& name) {
    Close();
    if (name.empty()) {
        WriteLogLine(L"SharedMemoryName is null, no need to create shared memory.", kLogWarning);
        return false;
    }
    mapping_.reset(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSharedMemBytes, name.c_str()));
    if (!mapping_) {
        LogFormat(kLogError, L"failed to create file mapping, name=%s, code=0x%x", name.c_str(),
                  GetLastError());
        return false;
    }
    view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kSharedMemBytes));
    if (!view_) {
        LogFormat(kLogError, L"failed to map view, code=0x%x", GetLastError());
        mapping_.reset();
        return false;
    }
    std::memset(view_.get(), 0, kSharedMemBytes);
    std::memcpy(view_.get(), L"0001", 5 * sizeof(wchar_t));
    return true;
}

void CPanelSharedMemory::Close() {
    view_.reset();
    mapping_.reset();
}

void CPanelSharedMemory::OutputSharedMem(const std::wstring& text) {
    if (!view_) {
        LogFormat(kLogError,
                  L"OutputSharedMem: lpMemory is null, cannot output text to shared memory, value=%s.",
                  text.c_str());
        return;
    }
    const size_t length = text.size() < kSharedMemChars ? text.size() : kSharedMemChars - 1;
    std::memcpy(Chars(), text.data(), length * sizeof(wchar_t));
    Chars()[length] = L'\0';
    LogFormat(kLogInfo, L"OutputSharedMem: value=%s.", text.c_str());
}

std::wstring CPanelSharedMemory::ReadFromSharedMem() {
    if (!view_) {
        WriteLogLine(L"ReadFromSharedMem: lpMemory is null, cannot read data from shared memory.", kLogError);
        return {};
    }
    const wchar_t* chars = Chars();
    size_t length = 0;
    while (length < kSharedMemChars - 1 && chars[length] != L'\0') ++length;
    std::wstring text(chars, length);
    LogFormat(kLogInfo, L"ReadFromSharedMem: value=%s", text.c_str());
    return text;
}

void CPanelSharedMemory::ZeroMemory() {
    if (!view_) {
        WriteLogLine(L"ZeroMemory: lpmemory is null.", kLogError);
        return;
    }
    std::memset(view_.get(), 0, kSharedMemBytes);
    WriteLogLine(L"ZeroMemory: zeromemory successfully.", kLogInfo);
}

}  // namespace NimboNS::installpanel
