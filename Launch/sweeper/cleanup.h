#pragma once
// The app's own clean-up script, "ManualUninstall.cmd", run in the app folder before removal.
#include <string>

namespace NimboNS {

inline constexpr wchar_t kCleanupScript[] = L"ManualUninstall.cmd";

// The system's own interpreter by its full path: started by name, a "cmd.exe" lying beside
// the program (the temporary folder, after the relaunch) would be found first. A 32-bit
// process on 64-bit Windows names the 64-bit one through "SysNative", so the script sees
// the real system folders.
std::wstring CleanupInterpreter(bool wow64, const std::wstring& windowsFolder);
std::wstring CleanupCommandLine(const std::wstring& interpreter, const std::wstring& appFolder,
                                const std::wstring& script);

// Runs the script when the app folder holds one and waits for it; false when there is none
// or it could not be started. Its own result is not looked at.
bool RunCleanupScript(const std::wstring& appFolder);

}  // namespace NimboNS
