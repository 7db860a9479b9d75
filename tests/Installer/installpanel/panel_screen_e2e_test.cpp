// What installpanel.exe paints, read back from the screen: the progress bar, and the picture
// behind the heading ("LauncherSetup.ini" [RES] "BKGROUND_RESTYPE" chooses a jpg, jpeg or png
// beside installpanel, else "background.bmp" from the current folder, else the program's own
// picture). The window is put on top of every other window while it is read.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "nimbo/gdiplus.h"
#include "panel_player.h"
#include "scwconv.h"

using namespace installpanel_test;

namespace {

// Saves a picture of one colour in the format of `mime` ("image/png", "image/jpeg", "image/bmp").
bool SavePicture(const std::wstring& path, COLORREF colour, const wchar_t* mime) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool saved = false;
    {
        UINT count = 0, size = 0;
        Gdiplus::GetImageEncodersSize(&count, &size);
        std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
        auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
        Gdiplus::GetImageEncoders(count, size, codecs);
        Gdiplus::Bitmap picture(64, 32, PixelFormat24bppRGB);
        Gdiplus::Graphics graphics(&picture);
        Gdiplus::SolidBrush brush(
            Gdiplus::Color(255, GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        graphics.FillRectangle(&brush, 0, 0, 64, 32);
        for (UINT i = 0; i < count && !saved; ++i) {
            if (wcscmp(codecs[i].MimeType, mime) == 0)
                saved = picture.Save(path.c_str(), &codecs[i].Clsid, nullptr) == Gdiplus::Ok;
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

bool Near(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) < 24 && abs(GetGValue(a) - GetGValue(b)) < 24 &&
           abs(GetBValue(a) - GetBValue(b)) < 24;
}

// The colour at a point of the screen once `owner` is the window seen there. Other programs'
// windows on the shared display may cover it for a while; false when one still does.
bool OwnPixel(HWND owner, POINT point, COLORREF& colour) {
    if (!nimbo_test::WaitUntil([&] { return WindowFromPoint(point) == owner; }, 20000)) return false;
    // Copied out as a screenshot copies it (GetPixel on the screen may see only the desktop).
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1, 1);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, 1, 1, screen, point.x, point.y, SRCCOPY);
    colour = GetPixel(memory, 0, 0);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return true;
}

void PutOnTop(HWND window) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(800);
}

// The colour of the picture where no control covers it (left of the heading).
COLORREF PictureColour(HWND window) {
    POINT point{4, 4};
    ClientToScreen(window, &point);
    COLORREF colour = CLR_INVALID;
    EXPECT_TRUE(OwnPixel(GetDlgItem(window, 1025), point, colour)) << "another window covers the picture";
    return colour;
}

TEST(PanelScreen, BarIsFilledToThePercentage) {
    PanelPlayer panel;
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.NoBoxFor(1500));
    panel.WriteProgress("Progress=40\r\nStatus=0\r\n");
    ASSERT_TRUE(nimbo_test::WaitUntil([&] { return panel.ItemText(1002) == L"40%"; }));
    PutOnTop(panel.window());
    nimbo_test::TakeScreenshot(L"installpanel_progress_40");
    HWND barWindow = GetDlgItem(panel.window(), 1000);
    RECT bar{};
    GetWindowRect(barWindow, &bar);
    const int y = (bar.top + bar.bottom) / 2, width = bar.right - bar.left;
    for (int tenth = 1; tenth < 10; ++tenth) {
        COLORREF colour = CLR_INVALID;
        ASSERT_TRUE(OwnPixel(barWindow, POINT{bar.left + width * tenth / 10 - 2, y}, colour))
            << "another window covers the bar";
        EXPECT_EQ(colour, tenth <= 4 ? RGB(122, 235, 255) : RGB(255, 255, 255)) << tenth << "/10 of the bar";
    }
    panel.PostWindow(WM_CLOSE);
    EXPECT_TRUE(panel.WaitExit());
}

struct BackgroundCase {
    const char* name;
    const char* resType;  // nullptr: no LauncherSetup.ini
    std::vector<std::pair<const wchar_t*, COLORREF>> files;
    COLORREF expected;  // CLR_INVALID: the program's own picture (blue)
};
void PrintTo(const BackgroundCase& c, std::ostream* os) {
    *os << c.name;
}
class PanelBackground : public testing::TestWithParam<BackgroundCase> {};

constexpr COLORREF kRed = RGB(220, 30, 30), kGreen = RGB(30, 200, 60), kGrey = RGB(128, 128, 128);

TEST_P(PanelBackground, ShowsTheChosenPicture) {
    const BackgroundCase& c = GetParam();
    PanelPlayer panel;
    if (c.resType != nullptr)
        nimbo_test::WriteFileText(panel.folder() / L"LauncherSetup.ini",
                                  std::string("[RES]\r\nBKGROUND_RESTYPE=") + c.resType + "\r\n");
    for (const auto& [name, colour] : c.files) {
        const std::wstring path = panel.folder() / name;
        const std::wstring extension = path.substr(path.rfind(L'.') + 1);
        const wchar_t* mime = extension == L"png"   ? L"image/png"
                              : extension == L"bmp" ? L"image/bmp"
                                                    : L"image/jpeg";
        ASSERT_TRUE(SavePicture(path, colour, mime)) << NimboNS::WideToUtf8(path);
    }
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.NoBoxFor(1500));
    PutOnTop(panel.window());
    const COLORREF shown = PictureColour(panel.window());
    if (c.expected == CLR_INVALID) {
        // The built-in picture: a blue that is none of the files'.
        EXPECT_GT(GetBValue(shown), 150) << std::hex << shown;
        EXPECT_LT(GetRValue(shown), 100) << std::hex << shown;
    } else {
        EXPECT_TRUE(Near(shown, c.expected)) << std::hex << shown << " wanted " << c.expected;
    }
    panel.PostWindow(WM_CLOSE);
    EXPECT_TRUE(panel.WaitExit());
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, PanelBackground,
    testing::Values(
        BackgroundCase{"Png", "3", {{L"background.png", kRed}, {L"background.bmp", kGrey}}, kRed},
        BackgroundCase{"Jpg", "1", {{L"background.jpg", kGreen}, {L"background.png", kRed}}, kGreen},
        BackgroundCase{"Jpeg", "2", {{L"background.jpeg", kRed}}, kRed},
        BackgroundCase{"ChosenFileMissingFallsToBmp", "3", {{L"background.bmp", kGrey}}, kGrey},
        BackgroundCase{
            "OtherTypeTakesBmp", "0", {{L"background.png", kRed}, {L"background.bmp", kGrey}}, kGrey},
        BackgroundCase{"NothingGivenUsesItsOwn", nullptr, {}, CLR_INVALID}));

}  // namespace
