#include "shortcuts.h"

#include <io.h>

#include "catalog/catalog.h"
#include "fs/fsutil.h"
#include "nimbo/names.h"
#include "prepare/appsettingsfile.h"
#include "prepare/launchenv.h"
#include "prepare/launchlog.h"
#include "prepare/launchtext.h"
#include "scwconv.h"
#include "shelllink.h"

namespace NimboNS {
namespace {

bool Exists(const std::wstring& path) {
    return _waccess(path.c_str(), 0) == 0;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    return folder + L"\\" + name;
}

// The program's own file name. A start file in a folder of the app ("bin\\App.exe") names its
// links by the file alone: its folder part would make the link's path point into a folder of the
// desktop or the Programs folder that does not exist, and no link would be made.
std::wstring StartFileName(const LaunchSettings& s) {
    const size_t separator = s.startupFile.find_last_of(L"\\/");
    return separator == std::wstring::npos ? s.startupFile : s.startupFile.substr(separator + 1);
}

std::wstring DisplayName(const LaunchSettings& s) {
    return s.appShortcutName.empty() ? StartFileName(s) : s.appShortcutName;
}

std::wstring AppProgram(const LaunchSettings& s) {
    return Join(s.appFolder, s.startupFile);
}

// The app's ".ico" image when it names one that exists in the app folder; other images are
// not used.
std::wstring IconImage(const LaunchSettings& s) {
    const std::wstring& image = s.appShortcutImage;
    if (image.size() < 4 || _wcsicmp(image.c_str() + image.size() - 4, L".ico") != 0) return {};
    const std::wstring path = Join(s.appFolder, image);
    return Exists(path) ? path : std::wstring();
}

std::wstring NameOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring WithoutLinkExtension(const std::wstring& name) {
    return name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".lnk") == 0
               ? name.substr(0, name.size() - 4)
               : name;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && _wcsicmp(a.c_str(), b.c_str()) == 0;
}

void NewDesktopShortcut(LaunchSettings& s, const std::wstring& desktop, LaunchLog& log) {
    const std::wstring link = FreeShortcutPath(desktop, DisplayName(s), L".lnk");
    if (link.empty()) {
        log.Write(LaunchLog::kWarning,
                  FormatWide(L"No free name for the desktop shortcut %s.", DisplayName(s).c_str()));
        return;
    }
    if (!CreateShellLink(AppProgram(s), desktop, WithoutLinkExtension(NameOf(link)))) {
        log.Write(LaunchLog::kError, FormatWide(L"Failed to create the shortcut (%s).", link.c_str()));
        return;
    }
    const std::wstring icon = IconImage(s);
    if (!icon.empty()) SetLinkIcon(link, icon);
    s.desktopShortcutExists = 1;
    s.desktopShortcutName = link;
}

// A recorded link that still points to the app takes the current name and icon; one the user
// removed or changed is left alone.
void RefreshDesktopShortcut(LaunchSettings& s, const std::wstring& desktop) {
    if (!Exists(s.desktopShortcutName) || !SameFile(GetLinkTarget(s.desktopShortcutName), AppProgram(s)))
        return;
    if (!s.appShortcutName.empty()) {
        const std::wstring renamed = Join(desktop, s.appShortcutName + L".lnk");
        if (!SameFile(renamed, s.desktopShortcutName) &&
            _wrename(s.desktopShortcutName.c_str(), renamed.c_str()) == 0)
            s.desktopShortcutName = renamed;
    }
    const std::wstring icon = s.appShortcutImage.empty() ? AppProgram(s) : IconImage(s);
    if (!icon.empty()) SetLinkIcon(s.desktopShortcutName, icon);
}

// The recorded Start-menu folder is deleted when it has to be made again: it is taken only when
// it is a folder of the Programs folder, whatever "kxapp.ini" may have been edited to say.
bool IsOwnStartMenuFolder(const std::wstring& folder, const std::wstring& programs) {
    return !folder.empty() && !programs.empty() && SameFile(FolderOf(folder), programs) && Exists(folder);
}

// A folder holding a link named like the folder itself that points to the app was made for a
// shortcut name: it is made again, so that a changed name shows.
void DropRenamableFolder(LaunchSettings& s, const std::wstring& programs) {
    const std::wstring& folder = s.startMenuShortcutPath;
    if (!IsOwnStartMenuFolder(folder, programs)) return;
    const std::wstring link = Join(folder, NameOf(folder) + L".lnk");
    if (!SameFile(GetLinkTarget(link), AppProgram(s))) return;
    DeleteTree(folder);
    s.startMenuShortcutExists = 0;
    s.uninstallShortcutExists = 0;
}

// The recorded folder, or a new one. A new folder holds nothing yet: whatever the recorded
// states say, its links are made.
std::wstring StartMenuFolder(LaunchSettings& s, const std::wstring& programs) {
    if (IsOwnStartMenuFolder(s.startMenuShortcutPath, programs)) return s.startMenuShortcutPath;
    if (programs.empty()) return {};
    const std::wstring folder = FreeShortcutPath(programs, DisplayName(s), L"");
    if (folder.empty() || !CreateDirectoryW(folder.c_str(), nullptr)) return {};
    s.startMenuShortcutExists = 0;
    s.uninstallShortcutExists = 0;
    return folder;
}

bool ReplaceLink(const std::wstring& target, const std::wstring& folder, const std::wstring& name) {
    const std::wstring link = Join(folder, name + L".lnk");
    if (Exists(link)) DeleteOneFile(link);
    return CreateShellLink(target, folder, name);
}

bool FillStartMenuFolder(LaunchSettings& s, const std::wstring& folder) {
    if (s.createStartMenuShortcut && !s.startMenuShortcutExists) {
        const std::wstring name = s.appShortcutName.empty() ? AppNameOf(StartFileName(s)) : s.appShortcutName;
        if (!ReplaceLink(AppProgram(s), folder, name)) return false;
        const std::wstring icon = IconImage(s);
        if (!icon.empty()) SetLinkIcon(Join(folder, name + L".lnk"), icon);
    }
    s.startMenuShortcutExists = 1;
    if (s.createUninstallShortcut && !s.uninstallShortcutExists) {
        if (!ReplaceLink(Join(s.appFolder, names::kUninstallExe), folder, L"Uninstall")) return false;
    }
    s.uninstallShortcutExists = 1;
    s.startMenuShortcutPath = folder;
    return true;
}

}  // namespace

std::wstring FreeShortcutPath(const std::wstring& folder, const std::wstring& name,
                              const std::wstring& extension) {
    for (int n = 1; n <= kShortcutNameCandidates; ++n) {
        const std::wstring base =
            n == 1 ? Join(folder, name) : FormatWide(L"%s (%d)", Join(folder, name).c_str(), n);
        const std::wstring candidate = base + extension;
        if (!Exists(candidate)) return candidate;
    }
    return {};
}

void CopyUninstallProgram(const std::wstring& hostProgram, const std::wstring& appFolder, LaunchLog& log) {
    const std::wstring source = Join(FolderOf(hostProgram), names::kSweeperExe);
    if (!Exists(source)) {
        log.Write(LaunchLog::kWarning,
                  FormatWide(L"No uninstall program to copy: %s does not exist.", source.c_str()));
        return;
    }
    const std::wstring target = Join(appFolder, names::kUninstallExe);
    if (Exists(target)) DeleteOneFile(target);
    if (!CopyFileW(source.c_str(), target.c_str(), FALSE))
        log.Write(LaunchLog::kError, FormatWide(GetLocalizedMessage(msg::kCopyFileFailed), target.c_str()));
}

void MakeDesktopShortcut(LaunchSettings& s, const std::wstring& desktop, LaunchLog& log) {
    if (!s.createDesktopShortcut) return;
    if (desktop.empty()) {
        log.Write(LaunchLog::kError, L"The desktop folder cannot be found.");
        return;
    }
    if (!s.desktopShortcutExists) {
        NewDesktopShortcut(s, desktop, log);
    } else {
        RefreshDesktopShortcut(s, desktop);
    }
}

void MakeStartMenuEntries(LaunchSettings& s, const std::wstring& programs, LaunchLog& log) {
    if (!s.createStartMenuShortcut && !s.createUninstallShortcut) return;
    DropRenamableFolder(s, programs);
    const std::wstring folder = StartMenuFolder(s, programs);
    if (!folder.empty() && FillStartMenuFolder(s, folder)) return;
    log.Write(LaunchLog::kError,
              FormatWide(L"Failed to create the Start menu shortcuts of %s.", DisplayName(s).c_str()));
    if (!folder.empty()) DeleteTree(folder);
    // Nothing of the folder is left: the next launch makes the entries again.
    s.startMenuShortcutExists = 0;
    s.uninstallShortcutExists = 0;
    s.createUninstallShortcut = 0;
}

void RecordShortcutStates(const LaunchSettings& s) {
    const AppSettingsFile file(s.appFolder);
    constexpr const wchar_t* section = AppSettingsFile::kShortcutSection;
    file.EnsureUnicode();
    file.Write(section, L"appname", AppNameOf(s.startupFile));
    file.Write(section, L"desktopshortcut", s.desktopShortcutExists == 1 ? L"1" : L"0");
    file.Write(section, L"startmenushortcut", s.startMenuShortcutExists == 1 ? L"1" : L"0");
    file.Write(section, L"startmenushortcut_uninstall", s.uninstallShortcutExists == 1 ? L"1" : L"0");
    if (!s.desktopShortcutName.empty()) file.Write(section, L"desktopshortcutname", s.desktopShortcutName);
    if (!s.startMenuShortcutPath.empty())
        file.Write(section, L"startmenushortcutpath", s.startMenuShortcutPath);
}

}  // namespace NimboNS
