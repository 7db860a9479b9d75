#pragma once
// The welcome window: an animated picture in a borderless window in the middle of the screen,
// shown while the app starts. It belongs to the thread that creates it, which pumps its messages
// while it waits for the app.
#include <windows.h>

#include <memory>
#include <string>

namespace Gdiplus {
class Image;
}

namespace NimboNS {

inline constexpr wchar_t kWelcomeWindowClass[] = L"KxNimboWelcome";
inline constexpr wchar_t kWelcomePicture[] = L"loading_ica.gif";

// The picture: loading_ica.gif in the app folder when it has one, else beside the host program.
std::wstring WelcomePicturePath(const std::wstring& appFolder, const std::wstring& hostProgram);

class WelcomeWindow {
public:
    static constexpr int kDefaultWidth = 425;
    static constexpr int kDefaultHeight = 240;

    WelcomeWindow(HINSTANCE instance, std::wstring picture);
    ~WelcomeWindow();
    WelcomeWindow(const WelcomeWindow&) = delete;
    WelcomeWindow& operator=(const WelcomeWindow&) = delete;

    // Creates and shows the window, topmost; false when it cannot be created.
    bool Create();
    HWND window() const { return window_; }
    // Set when the user closed the window.
    bool closed() const { return closed_; }
    // Handles every message waiting for this thread.
    static void PumpMessages();
    // Hides and destroys the window (on the thread that created it).
    void Destroy();

    // The loaded animation (for tests): frames and delay between them.
    UINT frameCount() const { return frameCount_; }
    UINT frameDelayMs() const { return frameDelayMs_; }
    UINT paints() const { return paints_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate(HWND window);
    LRESULT OnPaint(HWND window);
    LRESULT OnClose(HWND window);
    void OnDestroy(HWND window);
    void LoadAnimation();
    void FreeAnimation();

    HINSTANCE instance_;
    std::wstring picture_;
    HWND window_ = nullptr;
    ULONG_PTR gdiplusToken_ = 0;
    std::unique_ptr<Gdiplus::Image> image_;
    UINT frameCount_ = 0;
    UINT frameIndex_ = 0;
    UINT frameDelayMs_ = 0;
    UINT paints_ = 0;
    bool closed_ = false;
};

}  // namespace NimboNS
