#pragma once
// The uninstall program in the app folder and the app's shortcuts: a desktop link and a
// Start-menu folder with a link to the app and one to its uninstall program. They are made once;
// later launches rename the desktop link or refresh its icon, and the states are kept in
// "kxapp.ini" for the next launch and the uninstaller.
#include <string>

#include "prepare/launchsettings.h"

namespace NimboNS {

class LaunchLog;

// How many names a new desktop link or Start-menu folder may try: the display name, then the
// display name followed by " (2)" up to " (100)".
inline constexpr int kShortcutNameCandidates = 100;

// folder\name followed by `extension`, or for n >= 2 folder\name (n) followed by it: the first
// of these that does not exist; empty when all are taken.
std::wstring FreeShortcutPath(const std::wstring& folder, const std::wstring& name,
                              const std::wstring& extension);

// Copies sweeper.exe from beside the host program into the app folder as "Uninstall.exe".
void CopyUninstallProgram(const std::wstring& hostProgram, const std::wstring& appFolder, LaunchLog& log);

void MakeDesktopShortcut(LaunchSettings& settings, const std::wstring& desktopFolder, LaunchLog& log);
void MakeStartMenuEntries(LaunchSettings& settings, const std::wstring& programsFolder, LaunchLog& log);

// Writes the shortcut states and paths into the app folder's "kxapp.ini".
void RecordShortcutStates(const LaunchSettings& settings);

}  // namespace NimboNS
