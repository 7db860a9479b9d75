// The options: Advanced Options, the folder rows with their Browse buttons, and Start Install.
#include <windows.h>
#include <shlobj.h>

#include "link/setuplog.h"
#include "panel/installpaneldlg.h"
#include "res/resource.h"

namespace NimboNS::installpanel {
namespace {

std::wstring ListLines(const std::vector<std::wstring>& folders, const wchar_t* indent) {
    std::wstring lines;
    for (const std::wstring& folder : folders) lines += indent + folder + L"\n";
    return lines;
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start != 0) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

}  // namespace

std::optional<std::wstring> CInstallpanelDlg::OfferedFolder(int row) const {
    if (!offered_[row]) return std::nullopt;
    return TrimFolder(ItemText(row == 0 ? IDC_LAUNCHER_EDIT : IDC_APPS_EDIT));
}

bool CInstallpanelDlg::ValidateFolders(const std::optional<std::wstring>& launcher,
                                       const std::optional<std::wstring>& apps) {
    const CPathValidator validator(commandLine_.folder, existing_);
    const PathCheckResult result = validator.Validate(launcher, apps);
    switch (result.problem) {
        case PathProblem::None:
            return true;
        case PathProblem::LauncherEmpty:
            ShowMessage(String(IDS_LAUNCHER_PATH_EMPTY), MB_OK | MB_ICONWARNING);
            return false;
        case PathProblem::AppsEmpty:
            ShowMessage(String(IDS_APPS_PATH_EMPTY), MB_OK | MB_ICONWARNING);
            return false;
        case PathProblem::NotAccessible:
            if (!expanded_ && !settings_.Upgrade()) {
                // A click as the user would make it, so that the rows to correct are shown.
                PostMessageW(Item(IDC_ADVANCED_OPTIONS), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
                PostMessageW(Item(IDC_ADVANCED_OPTIONS), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
            }
            ShowMessage(String(IDS_PATH_NOT_ACCESSIBLE) + ListLines(result.folders, L"    "),
                        MB_OK | MB_ICONWARNING);
            return false;
        case PathProblem::CannotRunExe:
            ShowMessage(String(IDS_PATH_CANNOT_RUN_EXE) + ListLines(result.folders, L""),
                        MB_OK | MB_ICONWARNING);
            return false;
        case PathProblem::HasLauncher:
            ShowMessage(String(IDS_PATH_HAS_LAUNCHER) + result.folders.front(), MB_OK | MB_ICONWARNING);
            return false;
    }
    return false;
}

void CInstallpanelDlg::ValidateOfferedFolders() {
    const auto launcher = OfferedFolder(0), apps = OfferedFolder(1);
    if (!launcher && !apps) return;
    ValidateFolders(launcher, apps);
}

void CInstallpanelDlg::SetExpanded(bool expanded) {
    expanded_ = expanded;
    SetClientHeight(expanded ? expandedHeight_ : collapsedHeight_);
    advanced_.SetIcons(expanded ? IDI_OPTIONS_EXPANDED : IDI_OPTIONS_COLLAPSED, module());
    InvalidateRect(hwnd(), nullptr, TRUE);
}

LRESULT CInstallpanelDlg::OnAdvancedOptions(WPARAM, LPARAM) {
    SetExpanded(!expanded_);
    return 0;
}

LRESULT CInstallpanelDlg::OnStartInstall(WPARAM, LPARAM) {
    const auto launcher = OfferedFolder(0), apps = OfferedFolder(1);
    if (!ValidateFolders(launcher, apps)) return 0;
    if (launcher) {
        SetDlgItemTextW(hwnd(), IDC_LAUNCHER_EDIT, launcher->c_str());
        config_.Write(L"InstallPath", *launcher);
    }
    if (apps) {
        SetDlgItemTextW(hwnd(), IDC_APPS_EDIT, apps->c_str());
        config_.Write(L"KXAppHome", *apps);
    }
    for (int id : {IDC_ADVANCED_OPTIONS, IDC_START_INSTALL, IDC_APPS_EDIT, IDC_APPS_BROWSE, IDC_LAUNCHER_EDIT,
                   IDC_LAUNCHER_BROWSE, IDC_MULTI_USER_YES, IDC_MULTI_USER_NO}) {
        EnableWindow(Item(id), FALSE);
    }
    LogFormat(kLogInfo, L"Start Install: InstallPath=%s, KXAppHome=%s", launcher ? launcher->c_str() : L"-",
              apps ? apps->c_str() : L"-");
    config_.WriteSetupStatus(L"Continue");
    return 0;
}

void CInstallpanelDlg::Browse(int editId, bool launcherRow) {
    const std::wstring current = TrimFolder(ItemText(editId));
    wchar_t chosen[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = hwnd();
    info.pszDisplayName = chosen;
    info.lpszTitle = L"Please select the folder";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = current.empty() ? 0 : reinterpret_cast<LPARAM>(current.c_str());
    PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
    if (list == nullptr) return;
    const bool isPath = SHGetPathFromIDListW(list, chosen) != FALSE;
    CoTaskMemFree(list);
    if (!isPath) return;
    const std::wstring folder = chosen;
    const bool valid =
        launcherRow ? ValidateFolders(folder, std::nullopt) : ValidateFolders(std::nullopt, folder);
    if (valid) SetDlgItemTextW(hwnd(), editId, folder.c_str());
}

LRESULT CInstallpanelDlg::OnBrowseLauncher(WPARAM, LPARAM) {
    Browse(IDC_LAUNCHER_EDIT, true);
    return 0;
}

LRESULT CInstallpanelDlg::OnBrowseApps(WPARAM, LPARAM) {
    Browse(IDC_APPS_EDIT, false);
    return 0;
}

}  // namespace NimboNS::installpanel
