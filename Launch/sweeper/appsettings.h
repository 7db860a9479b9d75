#pragma once
// What the launcher recorded about an installed app in its folder's "kxapp.ini".
#include <string>

namespace NimboNS {

std::wstring AppSettingsPath(const std::wstring& appFolder);
// A value of section "shortcut"; `fallback` when the key or the file is missing.
std::wstring ReadShortcutValue(const std::wstring& appFolder, const wchar_t* key,
                               const wchar_t* fallback = L"");
std::wstring ReadAppName(const std::wstring& appFolder);

bool PathIsFolder(const std::wstring& path);
bool PathIsFile(const std::wstring& path);

}  // namespace NimboNS
