#include "controls/myprgctrl.h"

#include <commctrl.h>

namespace NimboNS::installpanel {

int FilledWidth(int clientWidth, int position, int lower, int upper) {
    const int range = upper - lower;
    if (range <= 0 || clientWidth <= 0) return 0;
    long long filled = static_cast<long long>(clientWidth) * (position - lower) / range;
    if (filled < 0) return 0;
    return filled > clientWidth ? clientWidth : static_cast<int>(filled);
}

void CMyPrgCtrl::Paint(HDC dc, const RECT& client) {
    HBRUSH back = CreateSolidBrush(back_);
    FillRect(dc, &client, back);
    DeleteObject(back);
    PBRANGE range{};
    SendMessageW(hwnd(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const int position = static_cast<int>(SendMessageW(hwnd(), PBM_GETPOS, 0, 0));
    RECT filled = client;
    filled.right = client.left + FilledWidth(client.right - client.left, position, range.iLow, range.iHigh);
    if (filled.right > filled.left) {
        HBRUSH bar = CreateSolidBrush(bar_);
        FillRect(dc, &filled, bar);
        DeleteObject(bar);
    }
}

LRESULT CMyPrgCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd(), &paint);
            RECT client;
            GetClientRect(hwnd(), &client);
            Paint(dc, client);
            EndPaint(hwnd(), &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case PBM_SETPOS:
        case PBM_SETRANGE:
        case PBM_SETRANGE32:
        case PBM_DELTAPOS:
        case PBM_STEPIT: {
            LRESULT result = Default(message, wParam, lParam);
            InvalidateRect(hwnd(), nullptr, FALSE);
            return result;
        }
        default:
            return Default(message, wParam, lParam);
    }
}

}  // namespace NimboNS::installpanel
