// The dialog layer and the hand-drawn controls, drawn into memory and checked pixel by pixel.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "controls/custombutton.h"
#include "controls/dpi.h"
#include "controls/myprgctrl.h"
#include "harness.h"
#include "link/messagehook.h"
#include "test_dialogs.h"
#include "ui/dialog.h"
#include "ui/messagemap.h"
#include "ui/resources.h"

using namespace NimboNS;
using namespace NimboNS::installpanel;

namespace {

// A memory canvas of the given size.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    RECT Rect() const { return RECT{0, 0, width_, height_}; }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// A hidden top-level window to put controls in.
class Host {
public:
    Host() {
        window_.reset(CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
    }
    HWND Add(const wchar_t* className, DWORD style, const wchar_t* text, int id, int width, int height) {
        return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, width, height,
                               window_.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    }
    HWND get() const { return window_.get(); }

private:
    WindowHandle window_;
};

// ---- progress bar ----

class ProgressPainting : public testing::TestWithParam<int> {};

TEST_P(ProgressPainting, FillsInProportionToThePosition) {
    const int position = GetParam();
    Host host;
    HWND bar = host.Add(PROGRESS_CLASSW, 0, L"", 1000, 200, 10);
    CMyPrgCtrl control;
    ASSERT_TRUE(control.Subclass(bar));
    SendMessageW(bar, PBM_SETRANGE32, 0, 100);
    SendMessageW(bar, PBM_SETPOS, position, 0);
    Canvas canvas(200, 10);
    control.Paint(canvas.dc(), canvas.Rect());

    const int filled = 200 * position / 100;
    const COLORREF bar_colour = RGB(122, 235, 255), white = RGB(255, 255, 255);
    for (int x = 0; x < 200; x += 7) {
        EXPECT_EQ(canvas.At(x, 5), x < filled ? bar_colour : white) << "x=" << x << " position=" << position;
    }
    EXPECT_EQ(canvas.At(199, 9), position == 100 ? bar_colour : white);
}

INSTANTIATE_TEST_SUITE_P(Positions, ProgressPainting, testing::Values(0, 1, 37, 99, 100));

TEST(ProgressWidth, StaysWithinTheControl) {
    EXPECT_EQ(FilledWidth(300, 50, 0, 100), 150);
    EXPECT_EQ(FilledWidth(300, 150, 0, 100), 300);
    EXPECT_EQ(FilledWidth(300, -5, 0, 100), 0);
    EXPECT_EQ(FilledWidth(300, 10, 10, 10), 0);
    EXPECT_EQ(FilledWidth(300, 15, 10, 20), 150);
}

// ---- custom button ----

const ButtonColors kBack{RGB(12, 99, 206), RGB(6, 105, 226), RGB(5, 89, 193), RGB(38, 125, 237)};
const ButtonColors kText{RGB(255, 255, 255), RGB(255, 255, 254), RGB(255, 255, 253), RGB(101, 168, 255)};

struct ButtonCase {
    const char* name;
    UINT itemState;
    bool hover;
    COLORREF background;
};
void PrintTo(const ButtonCase& c, std::ostream* os) {
    *os << c.name;
}
class ButtonPainting : public testing::TestWithParam<ButtonCase> {};

TEST_P(ButtonPainting, StateChoosesTheColours) {
    const ButtonCase& c = GetParam();
    Host host;
    HWND button = host.Add(L"BUTTON", BS_OWNERDRAW, L"Start", 1011, 120, 30);
    CCustomButton control;
    ASSERT_TRUE(control.Subclass(button));
    control.SetBackColors(kBack);
    control.SetTextColors(kText);
    control.SetImagePosition(4);
    if (c.hover) SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(control.Hover(), c.hover);

    Canvas canvas(120, 30);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = 1011;
    item.itemState = c.itemState;
    item.hwndItem = button;
    item.hDC = canvas.dc();
    item.rcItem = canvas.Rect();
    control.Draw(item);
    EXPECT_EQ(canvas.At(1, 1), c.background);
    EXPECT_EQ(canvas.At(118, 28), c.background);
}

INSTANTIATE_TEST_SUITE_P(
    States, ButtonPainting,
    testing::Values(ButtonCase{"Normal", 0, false, kBack.normal}, ButtonCase{"Hover", 0, true, kBack.hover},
                    ButtonCase{"Pressed", ODS_SELECTED, false, kBack.pressed},
                    ButtonCase{"PressedWhileHover", ODS_SELECTED, true, kBack.pressed},
                    ButtonCase{"Disabled", ODS_DISABLED, false, kBack.disabled},
                    ButtonCase{"DisabledWhileHover", ODS_DISABLED, true, kBack.disabled}));

TEST(ButtonPainting, NoFillLeavesTheBackgroundAndTextUsesTheStateColour) {
    Host host;
    HWND button = host.Add(L"BUTTON", BS_OWNERDRAW, L"WWWWWWWW", 1010, 160, 40);
    CCustomButton control;
    ASSERT_TRUE(control.Subclass(button));
    control.SetNoFill(true);
    control.SetTextColors(kText);
    control.SetImagePosition(4);
    Canvas canvas(160, 40);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.itemState = ODS_DISABLED;
    item.hwndItem = button;
    item.hDC = canvas.dc();
    item.rcItem = canvas.Rect();
    control.Draw(item);
    EXPECT_EQ(canvas.At(1, 1), RGB(0, 0, 0));
    int disabledText = 0, otherText = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 160; ++x) {
            const COLORREF pixel = canvas.At(x, y);
            if (pixel == kText.disabled) ++disabledText;
            if (pixel == kText.normal) ++otherText;
        }
    }
    EXPECT_GT(disabledText, 20);
    EXPECT_EQ(otherText, 0);
}

TEST(ButtonPainting, MouseLeaveEndsHover) {
    Host host;
    HWND button = host.Add(L"BUTTON", BS_OWNERDRAW, L"x", 1010, 50, 20);
    CCustomButton control;
    ASSERT_TRUE(control.Subclass(button));
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(control.Hover());
    SendMessageW(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(control.Hover());
}

struct TextFlagCase {
    int position;
    UINT flags;
};
class TextFlags : public testing::TestWithParam<TextFlagCase> {};
TEST_P(TextFlags, FollowTheImagePosition) {
    EXPECT_EQ(TextFlagsFor(GetParam().position), GetParam().flags);
}
INSTANTIATE_TEST_SUITE_P(Positions, TextFlags,
                         testing::Values(TextFlagCase{0, DT_SINGLELINE | DT_VCENTER | DT_LEFT},
                                         TextFlagCase{1, DT_SINGLELINE | DT_VCENTER | DT_LEFT},
                                         TextFlagCase{2, DT_SINGLELINE | DT_BOTTOM | DT_CENTER},
                                         TextFlagCase{3, DT_SINGLELINE | DT_TOP | DT_CENTER},
                                         TextFlagCase{4, DT_SINGLELINE | DT_VCENTER | DT_CENTER},
                                         TextFlagCase{9, DT_SINGLELINE | DT_TOP | DT_LEFT}));

TEST(ButtonIcon, CentresIconAndTextTogetherButNotBeyondTheEdge) {
    const RECT text{4, 4, 204, 36};
    EXPECT_EQ(IconLeft(text, 16, 100), 4 + 42);
    EXPECT_EQ(IconLeft(text, 16, 300), 4 + 2);
}

TEST(ButtonIcon, LoadsFourStateIconsFromInstallpanel) {
    ModuleHandle panel(LoadLibraryExW((nimbo_test::BinFolder() + L"\\installpanel.exe").c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(panel);
    CCustomButton control;
    EXPECT_TRUE(control.SetIcons(134, panel.get()));
    EXPECT_TRUE(control.SetIcons(138, panel.get()));
    EXPECT_FALSE(control.SetIcons(4000, panel.get()));
}

// ---- DPI ----

UINT WINAPI Dpi144(HWND) {
    return 144;
}
UINT WINAPI DpiNone(HWND) {
    return 0;
}
HRESULT WINAPI MonitorDpi120(HMONITOR, int, UINT* x, UINT* y) {
    *x = *y = 120;
    return S_OK;
}
HRESULT WINAPI MonitorFails(HMONITOR, int, UINT*, UINT*) {
    return E_FAIL;
}

TEST(Dpi, TakesTheFirstSourceThatAnswers) {
    HDC screen = GetDC(nullptr);
    const double screenScale = GetDeviceCaps(screen, LOGPIXELSX) / 96.0;
    ReleaseDC(nullptr, screen);
    EXPECT_DOUBLE_EQ(GetDpi(nullptr, DpiSources{Dpi144, MonitorDpi120}), 1.5);
    EXPECT_DOUBLE_EQ(GetDpi(nullptr, DpiSources{DpiNone, MonitorDpi120}), 1.25);
    EXPECT_DOUBLE_EQ(GetDpi(nullptr, DpiSources{nullptr, MonitorDpi120}), 1.25);
    EXPECT_DOUBLE_EQ(GetDpi(nullptr, DpiSources{DpiNone, MonitorFails}), screenScale);
    EXPECT_DOUBLE_EQ(GetDpi(nullptr, DpiSources{}), screenScale);
    EXPECT_EQ(Scaled(10, 1.5), 15);
    EXPECT_EQ(Scaled(18, 1.25), 23);
}

// ---- the thread-message hook ----

TEST(HookOnThread, ThreadMessageReachesTheWindowExactlyOnce) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"NimboHookTarget";
    RegisterClassW(&windowClass);
    WindowHandle window(CreateWindowW(L"NimboHookTarget", L"", 0, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(window);
    CThreadMessageHook hook;
    ASSERT_TRUE(hook.Install());
    CThreadMessageHook::SetTarget(window.get());
    PostThreadMessageW(GetCurrentThreadId(), 0x8009, 3, 5);

    // A peek that leaves the message queued must not forward it twice.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    int seen = 0;
    const ULONGLONG deadline = GetTickCount64() + 2000;
    while (GetTickCount64() < deadline) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == window.get() && msg.message == 0x8009) {
                ++seen;
                EXPECT_EQ(msg.wParam, 3u);
                EXPECT_EQ(msg.lParam, 5);
            }
            EXPECT_FALSE(msg.hwnd == nullptr && msg.message == 0x8009)
                << "the thread message went on as well";
        }
        Sleep(20);
    }
    CThreadMessageHook::SetTarget(nullptr);
    EXPECT_EQ(seen, 1);
}

// ---- the dialog layer ----

class ReflectedButton : public ui::CSubclassedControl {
public:
    int drawn = 0;

protected:
    bool DrawItem(const DRAWITEMSTRUCT&) override {
        ++drawn;
        return true;
    }
};

class TestDialog : public ui::CDialog {
public:
    explicit TestDialog(LANGID language) : ui::CDialog(IDD_TEST_DIALOG, language) {}
    std::wstring caption;
    int clicks = 0;
    int appMessages = 0;
    ReflectedButton button;

protected:
    BOOL OnInitDialog() override {
        wchar_t text[64] = {};
        GetWindowTextW(hwnd(), text, 64);
        caption = text;
        button.SubclassDlgItem(hwnd(), IDC_TEST_BUTTON);
        PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), 0);
        PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_SETFOCUS), 0);
        PostMessageW(hwnd(), WM_APP + 5, 7, 0);
        return TRUE;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    LRESULT OnClick(WPARAM, LPARAM) {
        ++clicks;
        return 0;
    }
    LRESULT OnApp(WPARAM wParam, LPARAM) {
        ++appMessages;
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = IDC_TEST_BUTTON;
        item.hwndItem = GetDlgItem(hwnd(), IDC_TEST_BUTTON);
        SendMessageW(hwnd(), WM_DRAWITEM, IDC_TEST_BUTTON, reinterpret_cast<LPARAM>(&item));
        EndDialog(static_cast<INT_PTR>(wParam) * 6);
        return 0;
    }
    static const ui::MessageEntry<TestDialog> kMap[];
};
const ui::MessageEntry<TestDialog> TestDialog::kMap[] = {
    {WM_COMMAND, IDC_TEST_BUTTON, &TestDialog::OnClick},
    {WM_APP + 5, 0, &TestDialog::OnApp},
};

bool TestDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return ui::DispatchMessageMap(this, kMap, message, wParam, lParam, result);
}

struct DialogLanguageCase {
    const char* name;
    LANGID language;
    const wchar_t* caption;
};
void PrintTo(const DialogLanguageCase& c, std::ostream* os) {
    *os << c.name;
}
class DialogLayer : public testing::TestWithParam<DialogLanguageCase> {};

TEST_P(DialogLayer, TemplateOfTheLanguageMessageMapAndReflection) {
    TestDialog dialog(GetParam().language);
    EXPECT_EQ(dialog.DoModal(nullptr), 42);
    EXPECT_EQ(dialog.caption, GetParam().caption);
    EXPECT_EQ(dialog.clicks, 1);  // the focus notification is not a click
    EXPECT_EQ(dialog.appMessages, 1);
    EXPECT_EQ(dialog.button.drawn, 1);
}

INSTANTIATE_TEST_SUITE_P(Languages, DialogLayer,
                         testing::Values(DialogLanguageCase{"English", 0x0409, L"English"},
                                         DialogLanguageCase{"German", 0x0407, L"Deutsch"},
                                         DialogLanguageCase{"MissingFallsBackToEnglish", 0x040C,
                                                            L"English"}));

TEST(DialogLayerMissing, MissingTemplateGivesMinusOne) {
    class Missing : public ui::CDialog {
    public:
        Missing() : ui::CDialog(4321, 0x0409) {}
    } dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), -1);
}

}  // namespace
