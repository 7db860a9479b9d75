#include "launch_fixture.h"
#include "nimbo/gdiplus.h"
#include "process_window.h"
#include "scwconv.h"

// The welcome window stays up, with the launcher's animation, until the app signals that it is
// ready; the app here (stage_app) signals a few seconds after it started.
namespace {

using namespace launch_e2e;

// The logical screen size of a GIF file (bytes 6 to 9, little-endian).
SIZE GifSize(const std::wstring& path) {
    const std::string bytes = nimbo_test::ReadFileText(path);
    if (bytes.size() < 10) return {};
    auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    return {byte(6) | byte(7) << 8, byte(8) | byte(9) << 8};
}

// The colour of one pixel of the first frame of a picture file, as COLORREF.
bool PicturePixel(const std::wstring& path, int x, int y, COLORREF& color) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool read = false;
    {
        Gdiplus::Bitmap picture(path.c_str());
        Gdiplus::Color pixel;
        if (picture.GetLastStatus() == Gdiplus::Ok && picture.GetPixel(x, y, &pixel) == Gdiplus::Ok) {
            color = RGB(pixel.GetR(), pixel.GetG(), pixel.GetB());
            read = true;
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return read;
}

bool Near(COLORREF a, COLORREF b) {
    auto close = [](int x, int y) { return x - y < 8 && y - x < 8; };
    return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) &&
           close(GetBValue(a), GetBValue(b));
}

class WelcomeWindow : public LaunchTest {};

TEST_F(WelcomeWindow, ShowsTheAnimationUntilTheAppIsReady) {
    const std::wstring stageApp = nimbo_test::TestsFolder() + L"\\stage_app.exe";
    ASSERT_TRUE(nimbo_test::FileExists(stageApp)) << "build stage_app too";
    PublishBaseAndServe();
    ASSERT_TRUE(deployment.PublishApp(
        "LaunchWelcome", "1.0.0", {{L"stage_app.exe", nimbo_test::ReadFileText(stageApp)}},
        R"(, "Arguments": "-wait=8000 -stay=300", "ShowStartAnimatedWindow": true)", "stage_app.exe"));
    const std::wstring app = AppFolder(L"LaunchWelcome");

    auto process = StartLaunch(AppUrl(L"LaunchWelcome"));
    HWND window = e2e::WaitForProcessWindow(process->id(), L"KxNimboWelcome", L"Welcome", 60000);
    ASSERT_NE(window, nullptr) << LauncherLog();
    Sleep(800);  // a few frames of the animation
    RECT frame{};
    GetWindowRect(window, &frame);
    const bool topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    const std::wstring picture = nimbo_test::TakeScreenshot(L"launch_welcome_window");
    // What the screen shows in the window's corner is the animation's own background.
    HDC screen = GetDC(nullptr);
    const COLORREF shown = GetPixel(screen, frame.left + 12, frame.top + 12);
    ReleaseDC(nullptr, screen);
    // The app has not signalled yet: the window is still there.
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(ReadUtf16Text(app + L"\\stage_app.txt").find(L"signalled"), std::wstring::npos);

    Result run = process->Wait(90000);
    EXPECT_EQ(run.exitCode, 0u) << run.output << LauncherLog();
    // The app notes the signal after giving it, and then ends.
    EXPECT_TRUE(WaitForProgramsToEnd(app));
    EXPECT_NE(ReadUtf16Text(app + L"\\stage_app.txt").find(L"\nsignalled\n"), std::wstring::npos);
    EXPECT_NE(LauncherLog().find("The app signalled that it is ready."), std::string::npos) << LauncherLog();
    IniSections ini;
    ASSERT_TRUE(ReadUtf16Ini(app + L"\\kxapp.ini", ini));
    EXPECT_EQ(ini[L"dwcenter"][L"showStartPage"], L"1");

    // The window takes the size of the launcher's animation, centred on the screen, on top.
    const SIZE gif = GifSize(nimbo_test::BinFolder() + L"\\loading_ica.gif");
    ASSERT_GT(gif.cx, 0);
    EXPECT_EQ(frame.right - frame.left, gif.cx);
    EXPECT_EQ(frame.bottom - frame.top, gif.cy);
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - gif.cx) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - gif.cy) / 2);
    EXPECT_TRUE(topmost);
    COLORREF painted = 0;
    ASSERT_TRUE(PicturePixel(nimbo_test::BinFolder() + L"\\loading_ica.gif", 12, 12, painted));
    EXPECT_TRUE(Near(shown, painted)) << std::hex << "screen " << shown << ", picture " << painted;
    EXPECT_FALSE(picture.empty());
}

}  // namespace
