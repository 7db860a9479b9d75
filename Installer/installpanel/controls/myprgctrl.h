#pragma once
// A flat progress bar: the background colour, then the bar colour from the left edge up to the
// position. Range and position are the progress bar's own messages.
#include <windows.h>

#include "ui/control.h"

namespace NimboNS::installpanel {

// Width of the filled part for a position within [lower, upper].
int FilledWidth(int clientWidth, int position, int lower, int upper);

class CMyPrgCtrl : public ui::CSubclassedControl {
public:
    void SetBarColor(COLORREF color) { bar_ = color; }
    void SetBkColor(COLORREF color) { back_ = color; }
    // Paints the control's current state into `dc` (its client area is `client`).
    void Paint(HDC dc, const RECT& client);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    COLORREF bar_ = RGB(122, 235, 255);
    COLORREF back_ = RGB(255, 255, 255);
};

}  // namespace NimboNS::installpanel
