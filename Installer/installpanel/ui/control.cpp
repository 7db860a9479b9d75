#include "ui/control.h"

#include <commctrl.h>

namespace NimboNS::ui {
namespace {
constexpr UINT_PTR kSubclassId = 0x4e42;  // one subclass of ours per control
}

CSubclassedControl::~CSubclassedControl() {
    Detach();
}

bool CSubclassedControl::SubclassDlgItem(HWND dialog, int id) {
    return Subclass(GetDlgItem(dialog, id));
}

bool CSubclassedControl::Subclass(HWND window) {
    Detach();
    if (window == nullptr) return false;
    if (!SetWindowSubclass(window, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    window_ = window;
    return true;
}

void CSubclassedControl::Detach() {
    if (window_ != nullptr) RemoveWindowSubclass(window_, SubclassProc, kSubclassId);
    window_ = nullptr;
}

LRESULT CSubclassedControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT CSubclassedControl::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(window_, message, wParam, lParam);
}

LRESULT CALLBACK CSubclassedControl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                  UINT_PTR, DWORD_PTR selfData) {
    auto* self = reinterpret_cast<CSubclassedControl*>(selfData);
    try {
        if (message == kReflectedDrawItem) return self->DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        if (message == WM_NCDESTROY) {
            LRESULT result = self->Default(message, wParam, lParam);
            RemoveWindowSubclass(window, SubclassProc, kSubclassId);
            self->window_ = nullptr;
            return result;
        }
        return self->WindowProc(message, wParam, lParam);
    } catch (...) {
        return DefSubclassProc(window, message, wParam, lParam);
    }
}

}  // namespace NimboNS::ui
