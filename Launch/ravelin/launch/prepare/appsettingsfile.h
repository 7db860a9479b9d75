#pragma once
// "kxapp.ini" in the app folder: a UTF-16LE profile file that the launcher, the app's program,
// the welcome window and the uninstaller read.
#include <string>

namespace NimboNS {

class AppSettingsFile {
public:
    static constexpr wchar_t kLaunchSection[] = L"dwcenter";
    static constexpr wchar_t kShortcutSection[] = L"shortcut";

    explicit AppSettingsFile(const std::wstring& appFolder);
    const std::wstring& path() const { return path_; }

    // Creates the file with only the UTF-16LE byte-order mark when it does not exist, so that the
    // profile functions write Unicode. False when it neither exists nor can be created.
    bool EnsureUnicode() const;

    bool Write(const wchar_t* section, const wchar_t* key, const std::wstring& value) const;
    // Up to `capacity` - 1 characters.
    std::wstring Read(const wchar_t* section, const wchar_t* key, size_t capacity = 520,
                      const wchar_t* fallback = L"") const;
    int ReadInt(const wchar_t* section, const wchar_t* key, int fallback) const;

private:
    std::wstring path_;
};

}  // namespace NimboNS
