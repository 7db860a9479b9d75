// installpanel.exe at the screen's DPI: what the dialog template does not scale by itself (the
// progress bar's height, the fonts given in pixels) follows the DPI. Run once in the usual Wine
// prefix (96 DPI) and once in a prefix set to 144 DPI (run_at_dpi.sh); each run leaves
// screenshots of the window collapsed and expanded, named with the DPI.
#include <gtest/gtest.h>

#include <functional>

#include "panel_player.h"
#include "scwconv.h"

using namespace installpanel_test;

namespace {

RECT ItemRect(HWND window, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(window, id), &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

TEST(PanelDpi, BarAndWindowFollowTheScreen) {
    SetProcessDPIAware();
    const int dpi = ScreenDpi();
    const double scale = dpi / 96.0;
    PanelPlayer panel;
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.NoBoxFor(2000));
    panel.WriteProgress("Progress=60\r\nStatus=0\r\n");
    ASSERT_TRUE(nimbo_test::WaitUntil([&] { return panel.ItemText(1002) == L"60%"; }));

    const RECT bar = ItemRect(panel.window(), 1000);
    EXPECT_EQ(bar.bottom - bar.top, static_cast<int>(10 * scale + 0.5)) << "dpi " << dpi;
    // The dialog units grow with the font's pixels: the window is wider at a higher DPI.
    RECT client{};
    GetClientRect(panel.window(), &client);
    EXPECT_GT(client.right, static_cast<int>(600 * scale)) << "dpi " << dpi;
    // The percentage label is as wide as "000%" in a font of 18 x scale pixels.
    const RECT percent = ItemRect(panel.window(), 1002);
    EXPECT_GT(percent.right - percent.left, static_cast<int>(25 * scale));

    SetForegroundWindow(panel.window());
    Sleep(1000);
    nimbo_test::TakeScreenshot(NimboNS::FormatWide(L"installpanel_collapsed_%d", dpi));
    ASSERT_TRUE(nimbo_test::PressButton(panel.window(), 1010));
    ASSERT_TRUE(nimbo_test::WaitUntil([&] {
        return panel.ItemVisible(2016) && panel.ClientHeight() > ItemRect(panel.window(), 2019).bottom;
    }));
    Sleep(1000);
    nimbo_test::TakeScreenshot(NimboNS::FormatWide(L"installpanel_expanded_%d", dpi));
    panel.PostWindow(WM_CLOSE);
    ASSERT_TRUE(panel.WaitExit());
}

}  // namespace
