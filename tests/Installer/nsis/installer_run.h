#pragma once
// Runs NimboLauncher_Installer.exe and looks at what it left: the launcher's folder, the registry
// values the launcher reads and the uninstall entry. The test programs run in a Wine prefix of
// their own (private_prefix.sh), so installing writes nothing other tests can see.
#include <windows.h>

#include <string>
#include <vector>

#include "harness.h"

namespace installer_test {

// The version the build gave the installer.
std::wstring BuiltVersion();
std::wstring InstallerPath();
// The programs, libraries and files the launcher's folder must hold.
const std::vector<std::wstring>& InstalledFiles();

// HKEY_CURRENT_USER (per user) or HKEY_LOCAL_MACHINE (for all users).
struct Scope {
    const char* name;
    const wchar_t* option;  // the installer's switch for it
    HKEY root;
};
const Scope& PerUser();
const Scope& AllUsers();

std::wstring ReadLauncherValue(HKEY root, const wchar_t* name);
bool WriteLauncherValue(HKEY root, const wchar_t* name, const std::wstring& value);
std::wstring ReadUninstallValue(HKEY root, const wchar_t* name);
bool LauncherKeyExists(HKEY root);
bool UninstallEntryExists(HKEY root);
// Removes what an earlier installation in the copied prefix may have left.
void ForgetInstallations();

// Runs the installer quietly with `arguments` (after "/S") and gives its exit code.
DWORD InstallQuietly(const std::wstring& arguments, DWORD timeoutMs = 120000);
// Runs the uninstall entry's quiet command and waits until the entry and the folder are gone.
bool UninstallQuietly(HKEY root, DWORD timeoutMs = 120000);

// installpanel's set-up log of this user (UTF-16 in the file), and removing it.
std::wstring PanelLog();
void ForgetPanelLog();

using nimbo_test::WaitUntil;

// Starts `commandLine` with the build's bin folder taken off PATH, so that only the libraries
// beside the program can be found. Waits for its end; the exit code, or -2 when it did not end.
DWORD RunWithoutBuildPath(const std::wstring& commandLine, DWORD timeoutMs = 60000);

}  // namespace installer_test
