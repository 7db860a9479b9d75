#include "panel/pathcheck.h"

#include <windows.h>

#include "link/setuplog.h"
#include "nimbo/handle.h"
#include "nimbo/names.h"

namespace NimboNS::installpanel {
namespace {

constexpr wchar_t kTestFolder[] = L"test666";
constexpr wchar_t kRunTestCopy[] = L"elevhost_bak.exe";
constexpr DWORD kRunTestTimeoutMs = 60000;

std::wstring WithoutTrailingSlashes(std::wstring folder) {
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder;
}

std::wstring JoinFolder(const std::wstring& folder, const wchar_t* name) {
    std::wstring path = WithoutTrailingSlashes(folder);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path + name;
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::wstring TrimFolder(const std::wstring& text) {
    const wchar_t* blanks = L" \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::wstring ExpandFolder(const std::wstring& folder) {
    DWORD needed = ExpandEnvironmentStringsW(folder.c_str(), nullptr, 0);
    if (needed == 0) return folder;
    std::wstring expanded(needed, L'\0');
    DWORD written = ExpandEnvironmentStringsW(folder.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) return folder;
    expanded.resize(written - 1);
    return expanded;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    const std::wstring left = WithoutTrailingSlashes(a), right = WithoutTrailingSlashes(b);
    return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

CPathValidator::CPathValidator(std::wstring panelFolder, ExistingLauncher existing)
    : panelFolder_(std::move(panelFolder)), existing_(std::move(existing)) {}

bool CPathValidator::AccessTest(const std::wstring& folder) {
    const std::wstring probe = JoinFolder(ExpandFolder(folder), kTestFolder);
    if (!CreateFolderTree(probe)) return false;
    RemoveDirectoryW(probe.c_str());
    return true;
}

bool CPathValidator::RunTest(const std::wstring& folder) const {
    const std::wstring source = panelFolder_ + L"\\" + names::kElevhostExe;
    if (!FileExists(source)) {
        LogFormat(kLogError, L"File does not exist: path=%s", source.c_str());
        return false;
    }
    const std::wstring copy = JoinFolder(ExpandFolder(folder), kRunTestCopy);
    if (!CopyFileW(source.c_str(), copy.c_str(), FALSE)) {
        LogSystemError(L"Failed to copy file to " + copy + L", ", GetLastError());
    }
    std::wstring commandLine = L"\"" + copy + L"\" -check ";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    bool passed = false;
    if (CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
        Handle processHandle(process.hProcess), threadHandle(process.hThread);
        if (WaitForSingleObject(processHandle.get(), kRunTestTimeoutMs) == WAIT_OBJECT_0) {
            DWORD exitCode = 1;
            passed = GetExitCodeProcess(processHandle.get(), &exitCode) && exitCode == 0;
        } else {
            TerminateProcess(processHandle.get(), 1);
            WaitForSingleObject(processHandle.get(), 5000);
        }
    } else {
        LogSystemError(L"Failed to start " + copy + L", ", GetLastError());
    }
    DeleteFileW(copy.c_str());
    return passed;
}

PathCheckResult CPathValidator::CheckExistingLauncher(const std::wstring& launcher) const {
    PathCheckResult result;
    if (existing_.folder.empty() || !SameFolder(launcher, existing_.folder)) return result;
    LogFormat(kLogWarning,
              L"There is a %s version of Nimbo Launcher installed in the directory %s. \r\n\t\t\t\t\t"
              L"Please select a different directory to install this version of Nimbo Launcher.",
              existing_.type == 1 ? L"public" : L"standard", existing_.folder.c_str());
    result.problem = PathProblem::HasLauncher;
    result.folders.push_back(existing_.folder);
    return result;
}

PathCheckResult CPathValidator::Validate(const std::optional<std::wstring>& launcher,
                                         const std::optional<std::wstring>& apps) const {
    PathCheckResult result;
    if (launcher && launcher->empty()) {
        result.problem = PathProblem::LauncherEmpty;
        return result;
    }
    if (apps && apps->empty()) {
        result.problem = PathProblem::AppsEmpty;
        return result;
    }
    std::vector<std::wstring> given;
    if (launcher) given.push_back(*launcher);
    if (apps) given.push_back(*apps);

    for (const std::wstring& folder : given) {
        if (!AccessTest(folder)) result.folders.push_back(folder);
    }
    if (!result.folders.empty()) {
        result.problem = PathProblem::NotAccessible;
        return result;
    }
    for (const std::wstring& folder : given) {
        if (!RunTest(folder)) result.folders.push_back(folder);
    }
    if (!result.folders.empty()) {
        result.problem = PathProblem::CannotRunExe;
        return result;
    }
    if (launcher) return CheckExistingLauncher(*launcher);
    return result;
}

}  // namespace NimboNS::installpanel
