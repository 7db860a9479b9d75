#pragma once
// Checking the folders the user chose: not empty, writable, able to run a program, and not the
// folder of a launcher that is already installed.
#include <optional>
#include <string>
#include <vector>

#include "link/settings.h"

namespace NimboNS::installpanel {

enum class PathProblem { None, LauncherEmpty, AppsEmpty, NotAccessible, CannotRunExe, HasLauncher };

struct PathCheckResult {
    PathProblem problem = PathProblem::None;
    std::vector<std::wstring> folders;  // the folders the problem concerns, as the user gave them
};

std::wstring TrimFolder(const std::wstring& text);
std::wstring ExpandFolder(const std::wstring& folder);
// Case-insensitive, trailing backslashes ignored.
bool SameFolder(const std::wstring& a, const std::wstring& b);

class CPathValidator {
public:
    CPathValidator(std::wstring panelFolder, ExistingLauncher existing);

    // A folder left out (nullopt) is not checked.
    PathCheckResult Validate(const std::optional<std::wstring>& launcher,
                             const std::optional<std::wstring>& apps) const;
    // Only the comparison with the existing launcher's folder.
    PathCheckResult CheckExistingLauncher(const std::wstring& launcher) const;

    // Creates the folder and "test666" in it, then removes "test666".
    static bool AccessTest(const std::wstring& folder);
    // Copies the command runner into the folder as "elevhost_bak.exe", runs it with "-check" and
    // removes it again; true when it started and exited with 0.
    bool RunTest(const std::wstring& folder) const;

private:
    std::wstring panelFolder_;
    ExistingLauncher existing_;
};

}  // namespace NimboNS::installpanel
