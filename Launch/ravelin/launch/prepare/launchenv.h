#pragma once
// What the preparation and the start of an app ask of the machine, behind functions that tests
// replace: where the host program, the desktop and the Start-menu programs live, what the
// processor is, and how the user is told about a failure.
#include <windows.h>

#include <functional>
#include <string>

namespace NimboNS {

struct LaunchEnvironment {
    // Full path of the host program (GetModuleFileNameW without a module).
    std::function<std::wstring()> hostProgram;
    // The user's desktop folder and Start-menu programs folder; empty when unknown.
    std::function<std::wstring()> desktopFolder;
    std::function<std::wstring()> programsFolder;
    // The processor architecture of the machine (GetNativeSystemInfo); false when the system
    // cannot tell.
    std::function<bool(WORD& architecture)> nativeArchitecture;
    // A message box without owner.
    std::function<void(const std::wstring& text, const std::wstring& caption, UINT flags)> showMessage;
    // The elevated command library, loaded by name.
    std::wstring commandLibrary = L"elevlink.dll";
};

// Fills every function that is not set with the real one.
void FillSystemEnvironment(LaunchEnvironment& environment);

// The folder part of a path (everything before the last backslash; empty without one).
std::wstring FolderOf(const std::wstring& path);

}  // namespace NimboNS
