#include "controls/custombutton.h"

namespace NimboNS::installpanel {
namespace {

HFONT MakeButtonFont(int height) {
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Segoe UI");
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof(info), &info) == 0) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace

COLORREF ButtonColors::Of(ButtonState state) const {
    switch (state) {
        case ButtonState::Hover:
            return hover;
        case ButtonState::Pressed:
            return pressed;
        case ButtonState::Disabled:
            return disabled;
        default:
            return normal;
    }
}

ButtonState ButtonStateOf(UINT itemState, bool hover) {
    if (itemState & ODS_DISABLED) return ButtonState::Disabled;
    if (itemState & ODS_SELECTED) return ButtonState::Pressed;
    if (hover) return ButtonState::Hover;
    return ButtonState::Normal;
}

UINT TextFlagsFor(int imagePosition) {
    switch (imagePosition) {
        case 0:
        case 1:
            return DT_SINGLELINE | DT_VCENTER | DT_LEFT;
        case 2:
            return DT_SINGLELINE | DT_BOTTOM | DT_CENTER;
        case 3:
            return DT_SINGLELINE | DT_TOP | DT_CENTER;
        case 4:
            return DT_SINGLELINE | DT_VCENTER | DT_CENTER;
        default:
            return DT_SINGLELINE | DT_TOP | DT_LEFT;
    }
}

int IconLeft(const RECT& textRect, int iconWidth, int textWidth) {
    int offset = (textRect.right - textRect.left - iconWidth - textWidth) / 2;
    return textRect.left + (offset < 2 ? 2 : offset);
}

CCustomButton::CCustomButton()
    : font_(MakeButtonFont(18)),
      text_{RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0), RGB(225, 225, 225)},
      back_{GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE),
            GetSysColor(COLOR_BTNFACE)} {}

CCustomButton::~CCustomButton() {
    ReleaseIcons();
}

void CCustomButton::SetBitmaps(HBITMAP normal, HBITMAP pressed, HBITMAP focused) {
    bitmapNormal_ = normal;
    bitmapPressed_ = pressed;
    bitmapFocused_ = focused;
}

void CCustomButton::ReleaseIcons() {
    for (HICON& icon : icons_) {
        if (icon != nullptr) DestroyIcon(icon);
        icon = nullptr;
    }
    iconSize_ = SIZE{0, 0};
}

bool CCustomButton::SetIcons(UINT firstId, HMODULE module) {
    ReleaseIcons();
    if (module == nullptr) module = GetModuleHandleW(nullptr);
    for (UINT i = 0; i < 4; ++i) {
        icons_[i] =
            static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(firstId + i), IMAGE_ICON, 0, 0, 0));
    }
    if (icons_[0] == nullptr) return false;
    ICONINFO info{};
    if (GetIconInfo(icons_[0], &info)) {
        iconSize_ = BitmapSize(info.hbmColor ? info.hbmColor : info.hbmMask);
        if (info.hbmColor == nullptr) iconSize_.cy /= 2;  // a mask-only icon holds AND and XOR halves
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, TRUE);
    return true;
}

void CCustomButton::SetFontHeight(int height) {
    font_.reset(MakeButtonFont(height));
}

LRESULT CCustomButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (!hover_) {
                hover_ = true;
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
                TrackMouseEvent(&track);
                InvalidateRect(hwnd(), nullptr, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            hover_ = false;
            InvalidateRect(hwnd(), nullptr, FALSE);
            break;
        case WM_LBUTTONDBLCLK:
            // A quick second click is a click, not a double click.
            return Default(WM_LBUTTONDOWN, wParam, lParam);
        case WM_ERASEBKGND:
            return 1;
        default:
            break;
    }
    return Default(message, wParam, lParam);
}

bool CCustomButton::DrawItem(const DRAWITEMSTRUCT& item) {
    Draw(item);
    return true;
}

void CCustomButton::DrawBitmap(HDC dc, const RECT& textRect, bool pressed, bool focused,
                               RECT& textArea) const {
    HBITMAP bitmap = bitmapNormal_;
    if (pressed && bitmapPressed_) bitmap = bitmapPressed_;
    if (!pressed && focused && bitmapFocused_) bitmap = bitmapFocused_;
    if (bitmap == nullptr) return;
    const SIZE size = BitmapSize(bitmap);
    RECT place = textRect;
    if (imagePosition_ == 3) {
        place.left = textRect.left + (textRect.right - textRect.left - size.cx) / 2;
        textArea.top += size.cy + 5;
    } else {
        place.top = textRect.top + (textRect.bottom - textRect.top - size.cy) / 2;
        if (imagePosition_ == 0) textArea.left += size.cx + 5;
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    StretchBlt(dc, place.left, place.top, size.cx, size.cy, memory, 0, 0, size.cx, size.cy, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void CCustomButton::Draw(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    wchar_t caption[256] = {};
    GetWindowTextW(item.hwndItem, caption, 256);
    HGDIOBJ oldFont = SelectObject(dc, font_.get());

    const ButtonState state = ButtonStateOf(item.itemState, hover_);
    if (!noFill_) {
        HBRUSH brush = CreateSolidBrush(back_.Of(state));
        FillRect(dc, &item.rcItem, brush);
        DeleteObject(brush);
    }
    SetTextColor(dc, text_.Of(state));
    SetBkMode(dc, TRANSPARENT);

    RECT textRect = item.rcItem;
    InflateRect(&textRect, -4, -4);
    RECT textArea = textRect;
    UINT flags = TextFlagsFor(imagePosition_);
    DrawBitmap(dc, textRect, state == ButtonState::Pressed, (item.itemState & ODS_FOCUS) != 0, textArea);

    HICON icon = icons_[static_cast<int>(state)];
    if (icon != nullptr) {
        RECT measure = textRect;
        DrawTextW(dc, caption, -1, &measure, DT_SINGLELINE | DT_CALCRECT);
        const int textWidth = measure.right - measure.left;
        const int x = IconLeft(textRect, iconSize_.cx, textWidth);
        const int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - iconSize_.cy) / 2;
        DrawIconEx(dc, x, y, icon, iconSize_.cx, iconSize_.cy, 0, nullptr, DI_NORMAL);
        textArea.left = x + iconSize_.cx + (imagePosition_ == 0 ? 5 : 0);
        flags = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    }
    DrawTextW(dc, caption, -1, &textArea, flags);

    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -2, -2);
        DrawFocusRect(dc, &focus);
    }
    SelectObject(dc, oldFont);
}

}  // namespace NimboNS::installpanel
