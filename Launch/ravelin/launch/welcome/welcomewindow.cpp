#include "welcomewindow.h"

#include <io.h>

#include <vector>

#include "nimbo/gdiplus.h"

namespace NimboNS {
namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT kDefaultFrameDelayMs = 100;
constexpr WORD kNoIconOfThisId = 32512;

void CenterOnScreen(HWND window, int width, int height, UINT flags) {
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | flags);
}

void BringToFront(HWND window) {
    SwitchToThisWindow(window, TRUE);
    SetForegroundWindow(window);
}

}  // namespace

std::wstring WelcomePicturePath(const std::wstring& appFolder, const std::wstring& hostProgram) {
    const std::wstring appSide = appFolder + L"\\" + kWelcomePicture;
    if (_waccess(appSide.c_str(), 0) == 0) return appSide;
    const size_t slash = hostProgram.rfind(L'\\');
    const std::wstring hostFolder =
        slash == std::wstring::npos ? std::wstring(L".") : hostProgram.substr(0, slash);
    return hostFolder + L"\\" + kWelcomePicture;
}

WelcomeWindow::WelcomeWindow(HINSTANCE instance, std::wstring picture)
    : instance_(instance), picture_(std::move(picture)) {}

WelcomeWindow::~WelcomeWindow() {
    Destroy();
}

bool WelcomeWindow::Create() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = &WelcomeWindow::Procedure;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(kNoIconOfThisId));
    wc.hIconSm = LoadIconW(instance_, MAKEINTRESOURCEW(kNoIconOfThisId));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOWFRAME));
    wc.lpszClassName = kWelcomeWindowClass;
    // A class left from an earlier welcome window of this process is used again.
    RegisterClassExW(&wc);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kDefaultWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kDefaultHeight) / 2;
    window_ =
        CreateWindowExW(0, kWelcomeWindowClass, L"Welcome", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x,
                        y, kDefaultWidth, kDefaultHeight, nullptr, nullptr, instance_, this);
    if (window_ == nullptr) return false;
    SwitchToThisWindow(window_, TRUE);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    return true;
}

void WelcomeWindow::PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void WelcomeWindow::Destroy() {
    if (window_ == nullptr) return;
    HWND window = window_;
    ShowWindow(window, SW_HIDE);
    if (IsWindow(window)) DestroyWindow(window);
    window_ = nullptr;
    FreeAnimation();
}

LRESULT CALLBACK WelcomeWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<WelcomeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return self->Handle(window, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT WelcomeWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(window);
        case WM_PAINT:
            return OnPaint(window);
        case WM_TIMER:
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
            return 1;
        case WM_ERASEBKGND:
            return 1;
        case WM_CLOSE:
            return OnClose(window);
        case WM_DESTROY:
            OnDestroy(window);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT WelcomeWindow::OnCreate(HWND window) {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr) != Gdiplus::Ok) gdiplusToken_ = 0;
    if (gdiplusToken_ != 0) LoadAnimation();
    if (image_ != nullptr) {
        CenterOnScreen(window, static_cast<int>(image_->GetWidth()), static_cast<int>(image_->GetHeight()),
                       SWP_SHOWWINDOW);
        BringToFront(window);
    }
    SetTimer(window, kFrameTimer, frameDelayMs_ != 0 ? frameDelayMs_ : kDefaultFrameDelayMs, nullptr);
    BringToFront(window);
    return 0;
}

void WelcomeWindow::LoadAnimation() {
    auto image = std::make_unique<Gdiplus::Image>(picture_.c_str());
    if (image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0) return;
    frameCount_ = 1;
    frameIndex_ = 0;
    frameDelayMs_ = 0;
    const UINT dimensions = image->GetFrameDimensionsCount();
    if (dimensions > 0) {
        std::vector<GUID> ids(dimensions);
        if (image->GetFrameDimensionsList(ids.data(), dimensions) == Gdiplus::Ok)
            frameCount_ = image->GetFrameCount(&ids[0]);
    }
    if (frameCount_ > 1) {
        const UINT size = image->GetPropertyItemSize(PropertyTagFrameDelay);
        if (size >= sizeof(Gdiplus::PropertyItem) + sizeof(LONG)) {
            std::vector<BYTE> buffer(size);
            auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
            if (image->GetPropertyItem(PropertyTagFrameDelay, size, item) == Gdiplus::Ok &&
                item->length >= sizeof(LONG))
                frameDelayMs_ = static_cast<UINT>(static_cast<const LONG*>(item->value)[0]) * 10;
        }
    }
    image_ = std::move(image);
}

LRESULT WelcomeWindow::OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (image_ == nullptr) {
        FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_WINDOW));
    } else {
        Gdiplus::Graphics graphics(dc);
        graphics.DrawImage(image_.get(), 0, 0, static_cast<INT>(image_->GetWidth()),
                           static_cast<INT>(image_->GetHeight()));
        if (frameCount_ > 1) {
            frameIndex_ = (frameIndex_ + 1) % frameCount_;
            image_->SelectActiveFrame(&Gdiplus::FrameDimensionTime, frameIndex_);
        }
    }
    ++paints_;
    EndPaint(window, &paint);
    return 1;
}

// Closing (Alt+F4) ends the wait; the window itself is destroyed by its owner.
LRESULT WelcomeWindow::OnClose(HWND window) {
    closed_ = true;
    KillTimer(window, kFrameTimer);
    ShowWindow(window, SW_HIDE);
    return 0;
}

void WelcomeWindow::OnDestroy(HWND window) {
    KillTimer(window, kFrameTimer);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    FreeAnimation();
}

void WelcomeWindow::FreeAnimation() {
    image_.reset();
    if (gdiplusToken_ != 0) Gdiplus::GdiplusShutdown(gdiplusToken_);
    gdiplusToken_ = 0;
}

}  // namespace NimboNS
