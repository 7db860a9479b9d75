// The installer's messages and the ways the window ends.
#include <windows.h>
#include <commctrl.h>

#include "controls/mymessagebox.h"
#include "link/restart.h"
#include "link/setuplog.h"
#include "panel/installpaneldlg.h"
#include "panel/portcheck.h"
#include "res/resource.h"
#include "scwconv.h"

namespace NimboNS::installpanel {
namespace {

std::wstring FolderLines(const std::vector<std::wstring>& folders, const wchar_t* indent) {
    std::wstring lines;
    for (const std::wstring& folder : folders) lines += indent + folder + L"\n";
    return lines;
}

// wParam 1: the launcher folder, 2: the apps folder, 3: both.
std::vector<std::wstring> NamedFolders(WPARAM which, const std::wstring& launcher, const std::wstring& apps) {
    std::vector<std::wstring> folders;
    if (which & 1) folders.push_back(launcher);
    if (which & 2) folders.push_back(apps);
    return folders;
}

}  // namespace

void CInstallpanelDlg::EndWith(const wchar_t* setupStatus, INT_PTR result) {
    if (stopEvent_) SetEvent(stopEvent_.get());
    if (setupStatus != nullptr) config_.WriteSetupStatus(setupStatus);
    EndDialog(result);
}

void CInstallpanelDlg::OfferRestart() {
    if (config_.Read(L"NeedRestartPC") != L"1") return;
    CMyMessageBox box(language(), module());
    box.SetCaption(settings_.appTitle);
    box.SetHeading(L"Restart Required!");
    box.SetMessage(String(IDS_RESTART_MESSAGE));
    const INT_PTR answer = box.DoModal(hwnd());
    LogFormat(kLogInfo, L"Restart offer answered with %d", static_cast<int>(answer));
    if (answer == IDOK) RestartWindows();
}

void CInstallpanelDlg::CompleteInstallation() {
    if (stopEvent_) SetEvent(stopEvent_.get());
    config_.WriteSetupStatus(L"Continue");
    OfferRestart();
    EndDialog(IDOK);
}

LRESULT CInstallpanelDlg::OnProgressFileChanged(WPARAM, LPARAM) {
    const ProgressTexts texts = watcher_.Texts();
    const ProgressStep step = tracker_.Apply(texts);
    LogFormat(kLogInfo, L"Progress: %s, status: %s", texts.progress.c_str(), texts.status.c_str());

    SetDlgItemTextW(hwnd(), IDC_PERCENT, FormatWide(L"%d%%", step.percent).c_str());
    HWND label = Item(IDC_PERCENT);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, percentFont_.get());
    SIZE widest{};
    GetTextExtentPoint32W(dc, L"000%", 4, &widest);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    RECT rect{};
    GetWindowRect(label, &rect);
    SetWindowPos(label, nullptr, 0, 0, widest.cx, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(label, nullptr, TRUE);

    if (step.setBar) SendMessageW(progress_.hwnd(), PBM_SETPOS, static_cast<WPARAM>(step.percent), 0);
    if (step.complete) CompleteInstallation();
    if (step.failed) EndWith(L"Exit", IDCANCEL);
    return 0;
}

LRESULT CInstallpanelDlg::OnSetupDone(WPARAM, LPARAM) {
    if (tracker_.MarkDone()) {
        CompleteInstallation();
    } else {
        EndDialog(IDOK);
    }
    return 0;
}

LRESULT CInstallpanelDlg::OnAbort(WPARAM wParam, LPARAM lParam) {
    LogFormat(kLogInfo, L"receive WM_ABORT msg, wParam=%d, lParam=%d", static_cast<int>(wParam),
              static_cast<int>(lParam));
    EndWith(L"Continue", IDOK);
    return 0;
}

LRESULT CInstallpanelDlg::OnNeedAdmin(WPARAM, LPARAM) {
    ShowMessage(String(IDS_NEED_ADMIN), MB_OK | MB_ICONERROR);
    shared_.OutputSharedMem(L"0009");
    EndWith(L"Exit", IDCANCEL);
    return 0;
}

LRESULT CInstallpanelDlg::OnClosePrgUi(WPARAM wParam, LPARAM lParam) {
    LogFormat(kLogInfo, L"receive WM_CLOSE_PRG_UI msg, wParam=%d, lParam=%d", static_cast<int>(wParam),
              static_cast<int>(lParam));
    EndWith(nullptr, IDOK);
    return 0;
}

LRESULT CInstallpanelDlg::OnClearShared(WPARAM, LPARAM) {
    shared_.ZeroMemory();
    return 0;
}

LRESULT CInstallpanelDlg::OnFileInUse(WPARAM wParam, LPARAM) {
    const wchar_t* name = wParam == 0 ? L"VazErazovuv_A2.exe" : L"ZozEdurazozIvever_I2.exe";
    const std::wstring text = FormatWide(String(IDS_FILE_IN_USE).c_str(), name, name);
    const int answer = ShowMessage(text, MB_YESNO | MB_ICONWARNING);
    shared_.OutputSharedMem(answer == IDNO ? L"no" : L"yes");
    return 0;
}

LRESULT CInstallpanelDlg::OnDirNotAccess(WPARAM wParam, LPARAM lParam) {
    LogFormat(kLogInfo, L"receive WM_DIR_NOT_ACCESS msg, wParam=%d, lParam=%d", static_cast<int>(wParam),
              static_cast<int>(lParam));
    if (wParam >= 1 && wParam <= 3) {
        const auto folders = NamedFolders(wParam, ItemText(IDC_LAUNCHER_EDIT), ItemText(IDC_APPS_EDIT));
        ShowMessage(String(IDS_PATH_NOT_ACCESSIBLE) + FolderLines(folders, L"    "), MB_OK | MB_ICONWARNING);
    }
    shared_.OutputSharedMem(L"abort");
    return 0;
}

LRESULT CInstallpanelDlg::OnCurrentNblType(WPARAM wParam, LPARAM lParam) {
    LogFormat(kLogInfo, L"receive WM_CURRENT_NBL_TYPE msg, wParam=%d, lParam=%d", static_cast<int>(wParam),
              static_cast<int>(lParam));
    existing_.type = static_cast<int>(wParam);
    const std::wstring folder = shared_.ReadFromSharedMem();
    if (static_cast<LONG_PTR>(lParam) > 0) existing_.folder = folder;
    shared_.ZeroMemory();
    LogFormat(kLogInfo, L"NBLDirNotBeSame=%s, lParam=%d", existing_.folder.c_str(), static_cast<int>(lParam));
    return 0;
}

LRESULT CInstallpanelDlg::OnDirCannotSame(WPARAM wParam, LPARAM lParam) {
    LogFormat(kLogInfo, L"receive WM_DIR_CANNOT_SAME msg, wParam=%d, lParam=%d", static_cast<int>(wParam),
              static_cast<int>(lParam));
    const CPathValidator validator(commandLine_.folder, existing_);
    const PathCheckResult result = validator.CheckExistingLauncher(TrimFolder(ItemText(IDC_LAUNCHER_EDIT)));
    if (result.problem == PathProblem::HasLauncher) {
        ShowMessage(String(IDS_PATH_HAS_LAUNCHER) + result.folders.front(), MB_OK | MB_ICONWARNING);
    }
    shared_.OutputSharedMem(L"abort");
    return 0;
}

LRESULT CInstallpanelDlg::OnNblCannotRun(WPARAM wParam, LPARAM lParam) {
    LogFormat(kLogInfo, L"receive WM_NBL_CANNOT_RUN msg, wParam=%d, lParam=%d", static_cast<int>(wParam),
              static_cast<int>(lParam));
    if (wParam >= 1 && wParam <= 3) {
        const bool fromSettings = lParam != 0;
        const std::wstring launcher =
            fromSettings ? config_.Read(L"InstallPath") : ItemText(IDC_LAUNCHER_EDIT);
        const std::wstring apps = fromSettings ? config_.Read(L"KXAppHome") : ItemText(IDC_APPS_EDIT);
        ShowMessage(String(IDS_LAUNCHER_CANNOT_RUN) + FolderLines(NamedFolders(wParam, launcher, apps), L""),
                    MB_OK | MB_ICONERROR);
    }
    shared_.OutputSharedMem(L"ok");
    return 0;
}

LRESULT CInstallpanelDlg::OnArmQuestion(WPARAM, LPARAM) {
    const int answer = ShowMessage(String(IDS_ARM_QUESTION), MB_YESNO | MB_ICONQUESTION);
    shared_.OutputSharedMem(answer == IDNO ? L"no" : L"yes");
    return 0;
}

LRESULT CInstallpanelDlg::OnPortInUse(WPARAM result, LPARAM) {
    LogFormat(kLogInfo, L"receive UM_PORT_IN_USE msg, wParam=%d", static_cast<int>(result));
    if (result < 1 || result > 3) return 0;
    const std::wstring path = PortLogPath(commandLine_.folder);
    const PortLog log = ReadPortLog(path);
    if (!log.opened) {
        LogSystemError(L"Failed to open the port log " + path + L", ", log.error);
        ShowMessage(String(IDS_PORT_LOG_UNREADABLE) + path, MB_OK | MB_ICONERROR);
    }
    const std::wstring message =
        PortInUseMessage(result, ports_, log, String(IDS_PORT_IN_USE), String(IDS_PORTS_IN_USE));
    if (ShowMessage(message, MB_OK | MB_ICONERROR) == IDOK) SendMessageW(hwnd(), WM_CLOSE, 0, 0);
    return 0;
}

LRESULT CInstallpanelDlg::OnClose(WPARAM, LPARAM) {
    EndWith(L"Exit", IDCANCEL);
    return 0;
}

}  // namespace NimboNS::installpanel
