#include "controls/mymessagebox.h"

#include "res/resource.h"

namespace NimboNS::installpanel {

CMyMessageBox::CMyMessageBox(LANGID language, HMODULE module)
    : ui::CDialog(IDD_MYMESSAGEBOX, language, module), white_(CreateSolidBrush(RGB(255, 255, 255))) {}

BOOL CMyMessageBox::OnInitDialog() {
    SendDlgItemMessageW(hwnd(), IDC_MSG_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
    HDC screen = GetDC(hwnd());
    const int height = -MulDiv(13, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(hwnd(), screen);
    headingFont_.reset(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   VARIABLE_PITCH | FF_SWISS, L"Segoe UI"));
    SendDlgItemMessageW(hwnd(), IDC_MSG_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont_.get()),
                        TRUE);
    SetWindowTextW(hwnd(), caption_.c_str());
    SetDlgItemTextW(hwnd(), IDC_MSG_TITLE, heading_.c_str());
    SetDlgItemTextW(hwnd(), IDC_MSG_TEXT, message_.c_str());
    SetFocus(GetDlgItem(hwnd(), IDCANCEL));
    return FALSE;  // the focus is set
}

void CMyMessageBox::PaintBand() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd(), &paint);
    RECT band{}, client{};
    GetWindowRect(GetDlgItem(hwnd(), IDC_MSG_BAND), &band);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&band), 2);
    GetClientRect(hwnd(), &client);
    band.left = client.left;
    band.right = client.right;
    HBRUSH grey = CreateSolidBrush(RGB(240, 240, 240));
    FillRect(dc, &band, grey);
    DeleteObject(grey);
    EndPaint(hwnd(), &paint);
}

bool CMyMessageBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            result = reinterpret_cast<LRESULT>(white_.get());
            return true;
        case WM_PAINT:
            PaintBand();
            result = 0;
            return true;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(LOWORD(wParam));
                result = 0;
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace NimboNS::installpanel
