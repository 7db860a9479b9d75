#pragma once
// A control owned by a C++ object: the window is subclassed, its messages go to the object's
// WindowProc, and an owner-drawn control gets its WM_DRAWITEM back from the dialog (reflected).
#include <windows.h>

namespace NimboNS::ui {

// Sent by CDialog to the control named in a WM_DRAWITEM; lParam is the DRAWITEMSTRUCT*.
inline constexpr UINT kReflectedDrawItem = 0x2000 + WM_DRAWITEM;

class CSubclassedControl {
public:
    CSubclassedControl() = default;
    virtual ~CSubclassedControl();
    CSubclassedControl(const CSubclassedControl&) = delete;
    CSubclassedControl& operator=(const CSubclassedControl&) = delete;

    bool SubclassDlgItem(HWND dialog, int id);
    bool Subclass(HWND window);
    void Detach();
    HWND hwnd() const { return window_; }

protected:
    // Messages of the control; the default passes them on to the control's own procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The owner-draw callback; true when drawn.
    virtual bool DrawItem(const DRAWITEMSTRUCT& item) { return false; }
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    HWND window_ = nullptr;
};

}  // namespace NimboNS::ui
