#include "appsettingsfile.h"

#include <windows.h>

#include <vector>

#include "nimbo/handle.h"
#include "nimbo/names.h"

namespace NimboNS {

AppSettingsFile::AppSettingsFile(const std::wstring& appFolder)
    : path_(appFolder + L"\\" + names::kAppSettingsIni) {}

bool AppSettingsFile::EnsureUnicode() const {
    if (GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    FileHandle file(CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
    static constexpr unsigned char kByteOrderMark[] = {0xFF, 0xFE};
    DWORD written = 0;
    return WriteFile(file.get(), kByteOrderMark, sizeof kByteOrderMark, &written, nullptr) &&
           written == sizeof kByteOrderMark;
}

bool AppSettingsFile::Write(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
    return WritePrivateProfileStringW(section, key, value.c_str(), path_.c_str()) != FALSE;
}

std::wstring AppSettingsFile::Read(const wchar_t* section, const wchar_t* key, size_t capacity,
                                   const wchar_t* fallback) const {
    std::vector<wchar_t> value(capacity, L'\0');
    DWORD length = GetPrivateProfileStringW(section, key, fallback, value.data(),
                                            static_cast<DWORD>(capacity), path_.c_str());
    return std::wstring(value.data(), length);
}

int AppSettingsFile::ReadInt(const wchar_t* section, const wchar_t* key, int fallback) const {
    return static_cast<int>(GetPrivateProfileIntW(section, key, fallback, path_.c_str()));
}

}  // namespace NimboNS
