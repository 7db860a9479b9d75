#pragma once
// A dialog's message map: a static table of the messages it handles and the member that handles
// each. WM_COMMAND entries name the control whose click they handle.
#include <windows.h>

#include <cstddef>

namespace NimboNS::ui {

template <class T>
struct MessageEntry {
    UINT message;
    UINT commandId;  // WM_COMMAND only: the control id (the notification must be BN_CLICKED)
    LRESULT (T::*handler)(WPARAM wParam, LPARAM lParam);
};

template <class T, std::size_t N>
bool DispatchMessageMap(T* self, const MessageEntry<T> (&map)[N], UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT& result) {
    for (const MessageEntry<T>& entry : map) {
        if (entry.message != message) continue;
        if (message == WM_COMMAND && (entry.commandId != LOWORD(wParam) || HIWORD(wParam) != BN_CLICKED))
            continue;
        result = (self->*entry.handler)(wParam, lParam);
        return true;
    }
    return false;
}

}  // namespace NimboNS::ui
