#include "uninstall_dialog.h"

#include <commctrl.h>

#include "scwconv.h"
#include "sweeper_resources.h"
#include "uninstall.h"

namespace NimboNS {

CUninstallDialog::~CUninstallDialog() {
    if (uninstall_ != nullptr) uninstall_->Release();
}

bool CUninstallDialog::Create() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    HWND window = CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_UNINSTALL), nullptr, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (window == nullptr) return false;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return true;
}

INT_PTR CALLBACK CUninstallDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        return reinterpret_cast<CUninstallDialog*>(lParam)->OnInitDialog(window);
    }
    auto* self = reinterpret_cast<CUninstallDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return FALSE;
    try {
        switch (message) {
            case WM_CTLCOLORSTATIC:
                return self->OnCtlColorStatic(reinterpret_cast<HDC>(wParam));
            case UM_STATUS:
                return self->OnStatus();
            case UM_PROGRESS:
                return self->OnProgress(wParam, lParam);
            case UM_DONE:
            case UM_FAILED:
                return self->OnFinished();
            case WM_CLOSE:
                return self->OnClose();
            case WM_DESTROY:
                return self->OnDestroy();
            default:
                return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CUninstallDialog::OnInitDialog(HWND window) {
    window_ = window;
    const int small = GetSystemMetrics(SM_CXSMICON), large = GetSystemMetrics(SM_CXICON);
    SendMessageW(window, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_SWEEPER_SMALL),
                                                     IMAGE_ICON, small, small, LR_DEFAULTCOLOR)));
    SendMessageW(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_SWEEPER), IMAGE_ICON,
                                                     large, large, LR_DEFAULTCOLOR)));
    uninstall_->SetWindow(window);
    std::wstring title = LoadFormattedString(instance_, IDS_UNINSTALLING) + uninstall_->GetAppName();
    SetWindowTextW(window, title.c_str());
    uninstall_->Start();
    return TRUE;
}

INT_PTR CUninstallDialog::OnCtlColorStatic(HDC dc) {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

INT_PTR CUninstallDialog::OnStatus() {
    std::wstring text = uninstall_->PopMessage();
    SetDlgItemTextW(window_, IDC_UNINSTALL_STATUS, text.c_str());
    return TRUE;
}

INT_PTR CUninstallDialog::OnProgress(WPARAM position, LPARAM count) {
    HWND bar = GetDlgItem(window_, IDC_UNINSTALL_PROGRESS);
    if (count != 0) {
        SendMessageW(bar, PBM_SETRANGE32, 0, count);
        SendMessageW(bar, PBM_SETPOS, position, 0);
        SendMessageW(bar, PBM_SETSTEP, 1, 0);
    } else {
        SendMessageW(bar, PBM_STEPIT, 0, 0);
    }
    return TRUE;
}

INT_PTR CUninstallDialog::OnFinished() {
    finished_ = true;
    SendMessageW(window_, WM_CLOSE, 0, 0);
    return TRUE;
}

INT_PTR CUninstallDialog::OnClose() {
    // Closing the window while the worker deletes files would leave a half-removed app and
    // end the process under the worker's feet: the close box waits for the worker's end.
    if (finished_) DestroyWindow(window_);
    return TRUE;
}

INT_PTR CUninstallDialog::OnDestroy() {
    PostQuitMessage(0);
    return FALSE;
}

}  // namespace NimboNS
