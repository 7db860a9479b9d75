#include "appsettings.h"

#include <windows.h>

#include "nimbo/names.h"

namespace NimboNS {

std::wstring AppSettingsPath(const std::wstring& appFolder) {
    return appFolder + L"\\" + names::kAppSettingsIni;
}

std::wstring ReadShortcutValue(const std::wstring& appFolder, const wchar_t* key, const wchar_t* fallback) {
    wchar_t value[MAX_PATH] = {};
    GetPrivateProfileStringW(L"shortcut", key, fallback, value, MAX_PATH, AppSettingsPath(appFolder).c_str());
    return value;
}

std::wstring ReadAppName(const std::wstring& appFolder) {
    return ReadShortcutValue(appFolder, L"appname");
}

bool PathIsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathIsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace NimboNS
