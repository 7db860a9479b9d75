#pragma once
// A prepared app folder as the launcher leaves it: "kxapp.ini" [shortcut], the app's program,
// its files and folders, shortcuts recorded in the settings and an optional clean-up script.
// Everything lives below one temporary folder that the fixture removes at the end.
#include <windows.h>

#include <string>
#include <vector>

#include "harness.h"

namespace sweeper_test {

// A name no other test or test run uses at the same time (windows are found by it).
std::wstring UniqueName(const std::wstring& prefix);

bool MakeShellLink(const std::wstring& linkPath, const std::wstring& target);

// Paths below `folder`, relative and sorted; folders end with a backslash.
std::vector<std::wstring> ListTree(const std::wstring& folder);

class AppFolder {
public:
    explicit AppFolder(const std::wstring& appName, const std::wstring& folderName = L"");

    const std::wstring& Path() const { return path_; }
    const std::wstring& AppName() const { return appName_; }
    std::wstring Program() const { return path_ + L"\\" + appName_ + L".exe"; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
    const std::wstring& DesktopLink() const { return desktopLink_; }
    const std::wstring& StartMenuFolder() const { return startMenuFolder_; }
    // Where the clean-up script writes its current folder and processor architecture.
    const std::wstring& ScriptMarker() const { return scriptMarker_; }
    const std::wstring& Root() const { return root_.path(); }

    void SetValue(const wchar_t* key, const std::wstring& value);
    // The app's program (some bytes), "readme.txt", a read-only "data.bin", a folder "bin"
    // with `binFiles` files and a folder "data" with a read-only file two levels down:
    // with "kxapp.ini", 3 files and 2 folders remain once the program is gone.
    void AddContent(int binFiles = 3);
    // A desktop link and a Start-menu folder with two links, recorded with these states.
    void AddShortcuts(const std::wstring& desktopState, const std::wstring& startMenuState);
    void AddCleanupScript();
    // The script's two lines (current folder, processor architecture); empty when it did not run.
    std::vector<std::string> ScriptOutput() const;

private:
    nimbo_test::TempFolder root_;
    std::wstring appName_;
    std::wstring path_;
    std::wstring desktopLink_;
    std::wstring startMenuFolder_;
    std::wstring scriptMarker_;
};

}  // namespace sweeper_test
