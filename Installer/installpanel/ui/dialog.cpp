#include "ui/dialog.h"

#include "ui/control.h"
#include "ui/resources.h"

namespace NimboNS::ui {
namespace {

// Messages whose answer is the dialog procedure's return value rather than DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_INITDIALOG ||
           message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
           message == WM_QUERYDRAGICON;
}

}  // namespace

CDialog::CDialog(UINT templateId, LANGID language, HMODULE module)
    : templateId_(templateId), language_(language), module_(module ? module : GetModuleHandleW(nullptr)) {}

INT_PTR CDialog::DoModal(HWND owner) {
    const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(
        LockLangResource(module_, RT_DIALOG, MAKEINTRESOURCEW(templateId_), language_, nullptr));
    if (dialogTemplate == nullptr) return -1;
    INT_PTR result =
        DialogBoxIndirectParamW(module_, dialogTemplate, owner, DialogProc, reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    OnDestroyed();
    return result;
}

void CDialog::EndDialog(INT_PTR result) {
    if (window_ != nullptr) ::EndDialog(window_, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->window_ = window;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (self == nullptr) return FALSE;
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU && item->hwndItem != nullptr &&
            SendMessageW(item->hwndItem, kReflectedDrawItem, 0, lParam)) {
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
    }
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result)) return FALSE;
    if (AnswersDirectly(message)) return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace NimboNS::ui
