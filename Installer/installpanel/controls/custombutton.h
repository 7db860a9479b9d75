#pragma once
// A flat owner-drawn button: a background and text colour for each state (normal, hover,
// pressed, disabled), an optional bitmap or a set of four state icons beside or above the text.
#include <windows.h>

#include <string>

#include "nimbo/handle.h"
#include "ui/control.h"

namespace NimboNS::installpanel {

enum class ButtonState { Normal, Hover, Pressed, Disabled };

struct ButtonColors {
    COLORREF normal;
    COLORREF hover;
    COLORREF pressed;
    COLORREF disabled;
    COLORREF Of(ButtonState state) const;
};

// Disabled wins over pressed, pressed over hover.
ButtonState ButtonStateOf(UINT itemState, bool hover);
// DrawText flags of an image position (always one line).
UINT TextFlagsFor(int imagePosition);
// Left edge of the icon that centres icon and text together in the text rectangle.
int IconLeft(const RECT& textRect, int iconWidth, int textWidth);

class CCustomButton : public ui::CSubclassedControl {
public:
    CCustomButton();
    ~CCustomButton() override;

    void SetTextColors(const ButtonColors& colors) { text_ = colors; }
    void SetBackColors(const ButtonColors& colors) { back_ = colors; }
    void SetNoFill(bool noFill) { noFill_ = noFill; }
    // 0 image left of the text, 1 and 4 centred vertically, 2 bottom, 3 image above the text.
    void SetImagePosition(int position) { imagePosition_ = position; }
    // Bitmaps stay owned by the caller.
    void SetBitmaps(HBITMAP normal, HBITMAP pressed, HBITMAP focused);
    // Icon mode: the four icons firstId..firstId+3 (normal, hover, pressed, disabled).
    bool SetIcons(UINT firstId, HMODULE module = nullptr);
    void SetFontHeight(int height);
    bool Hover() const { return hover_; }

    // The owner-draw callback; public so that a picture of the button can be made anywhere.
    void Draw(const DRAWITEMSTRUCT& item);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    void ReleaseIcons();
    void DrawBitmap(HDC dc, const RECT& textRect, bool pressed, bool focused, RECT& textArea) const;

    GdiObject font_;
    ButtonColors text_;
    ButtonColors back_;
    bool hover_ = false;
    bool noFill_ = false;
    int imagePosition_ = 4;
    HBITMAP bitmapNormal_ = nullptr;
    HBITMAP bitmapPressed_ = nullptr;
    HBITMAP bitmapFocused_ = nullptr;
    HICON icons_[4] = {};
    SIZE iconSize_ = {};
};

}  // namespace NimboNS::installpanel
