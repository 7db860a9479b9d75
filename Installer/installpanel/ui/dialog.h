#pragma once
// A modal dialog built from a dialog template of the chosen language. Derived classes answer
// messages through OnMessage, usually by handing it to their message map (messagemap.h).
#include <windows.h>

namespace NimboNS::ui {

class CDialog {
public:
    CDialog(UINT templateId, LANGID language, HMODULE module = nullptr);
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until EndDialog; -1 when the template is missing or the dialog cannot be made.
    INT_PTR DoModal(HWND owner);
    void EndDialog(INT_PTR result);

    HWND hwnd() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    LANGID language() const { return language_; }
    HMODULE module() const { return module_; }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // One message; true when handled, with its answer in `result`.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }
    // Called when the window is gone, before DoModal returns.
    virtual void OnDestroyed() {}

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    LANGID language_;
    HMODULE module_;
    HWND window_ = nullptr;
};

}  // namespace NimboNS::ui
