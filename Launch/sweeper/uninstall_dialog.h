#pragma once
// The small progress dialog shown while the worker removes the app.
#include <windows.h>

namespace NimboNS {

class IUninstall;

class CUninstallDialog {
public:
    CUninstallDialog(HINSTANCE instance, IUninstall* uninstall)
        : instance_(instance), uninstall_(uninstall) {}
    ~CUninstallDialog();
    CUninstallDialog(const CUninstallDialog&) = delete;
    CUninstallDialog& operator=(const CUninstallDialog&) = delete;

    // Creates the modeless dialog and shows it; the worker starts from its initialization.
    bool Create();
    HWND Window() const { return window_; }
    IUninstall* Uninstall() const { return uninstall_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnInitDialog(HWND window);
    INT_PTR OnCtlColorStatic(HDC dc);
    INT_PTR OnStatus();
    INT_PTR OnProgress(WPARAM position, LPARAM count);
    INT_PTR OnFinished();
    INT_PTR OnClose();
    INT_PTR OnDestroy();

    HINSTANCE instance_;
    HWND window_ = nullptr;
    IUninstall* uninstall_;
    bool finished_ = false;
};

}  // namespace NimboNS
