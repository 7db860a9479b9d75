#include <gtest/gtest.h>

#include "harness.h"
#include "welcome/welcomewindow.h"

// The welcome window with the launcher's own animation and with a picture of the app.
namespace {

using namespace NimboNS;

class Welcome : public testing::Test {
protected:
    static void PumpFor(DWORD ms) {
        const ULONGLONG end = GetTickCount64() + ms;
        while (GetTickCount64() < end) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            WelcomeWindow::PumpMessages();
        }
    }
};

TEST_F(Welcome, TheLaunchersAnimationPlaysFrameAfterFrame) {
    const std::wstring picture = nimbo_test::BinFolder() + L"\\loading_ica.gif";
    ASSERT_TRUE(nimbo_test::FileExists(picture));
    WelcomeWindow welcome(GetModuleHandleW(nullptr), picture);
    ASSERT_TRUE(welcome.Create());
    PumpFor(1500);
    EXPECT_EQ(welcome.frameCount(), 12u);
    EXPECT_EQ(welcome.frameDelayMs(), 80u);
    // About one paint per frame delay.
    EXPECT_GE(welcome.paints(), 6u);
    EXPECT_TRUE(IsWindowVisible(welcome.window()));
    HWND window = welcome.window();
    welcome.Destroy();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(Welcome, TheAppsOwnPictureComesFirstAndSizesTheWindow) {
    nimbo_test::TempFolder app, host;
    const std::wstring hostProgram = host / L"launcher.exe";
    EXPECT_EQ(WelcomePicturePath(app.path(), hostProgram), host / L"loading_ica.gif");
    // Two frames of 200 x 100, half a second each.
    ASSERT_TRUE(CopyFileW((nimbo_test::TestsFolder() + L"\\fixtures\\launch\\small_welcome.gif").c_str(),
                          (app / L"loading_ica.gif").c_str(), FALSE));
    EXPECT_EQ(WelcomePicturePath(app.path(), hostProgram), app / L"loading_ica.gif");

    WelcomeWindow welcome(GetModuleHandleW(nullptr), WelcomePicturePath(app.path(), hostProgram));
    ASSERT_TRUE(welcome.Create());
    PumpFor(300);
    RECT rect{};
    GetWindowRect(welcome.window(), &rect);
    EXPECT_EQ(rect.right - rect.left, 200);
    EXPECT_EQ(rect.bottom - rect.top, 100);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 200) / 2);
    EXPECT_EQ(welcome.frameCount(), 2u);
    EXPECT_EQ(welcome.frameDelayMs(), 500u);
}

TEST_F(Welcome, AMissingPictureKeepsTheDefaultSize) {
    nimbo_test::TempFolder app;
    WelcomeWindow welcome(GetModuleHandleW(nullptr), app / L"missing.gif");
    ASSERT_TRUE(welcome.Create());
    PumpFor(300);
    RECT rect{};
    GetWindowRect(welcome.window(), &rect);
    EXPECT_EQ(rect.right - rect.left, WelcomeWindow::kDefaultWidth);
    EXPECT_EQ(rect.bottom - rect.top, WelcomeWindow::kDefaultHeight);
    EXPECT_EQ(welcome.frameCount(), 0u);
    EXPECT_GE(welcome.paints(), 1u);
}

TEST_F(Welcome, ClosingTheWindowMarksItClosed) {
    WelcomeWindow welcome(GetModuleHandleW(nullptr), nimbo_test::BinFolder() + L"\\loading_ica.gif");
    ASSERT_TRUE(welcome.Create());
    EXPECT_FALSE(welcome.closed());
    SendMessageW(welcome.window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(welcome.closed());
    EXPECT_FALSE(IsWindowVisible(welcome.window()));
    // A second window after the first one went.
    welcome.Destroy();
    WelcomeWindow again(GetModuleHandleW(nullptr), nimbo_test::BinFolder() + L"\\loading_ica.gif");
    EXPECT_TRUE(again.Create());
}

}  // namespace
