#include "mainwindow.h"

#include "debugtrace.h"
#include "nimbo/names.h"
#include "resource.h"

namespace Elevhost {
namespace {

constexpr wchar_t kWindowTitle[] = L"MainWindow";

bool RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ELEVHOST));
    windowClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SMALL));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = NimboNS::names::kElevhostWindowClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

CMainWindow::CMainWindow(std::shared_ptr<CCommand> command) : command_(std::move(command)) {}

CMainWindow::~CMainWindow() {
    window_.reset();
}

bool CMainWindow::Create(HINSTANCE instance) {
    window_.reset();
    if (!RegisterWindowClass(instance, WindowProc)) return false;
    HWND window = CreateWindowExW(0, NimboNS::names::kElevhostWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr, instance, this);
    if (window == nullptr) return false;
    window_.reset(window);
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    return true;
}

LRESULT CALLBACK CMainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_CREATE) {
            auto* self = static_cast<CMainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            if (self != nullptr) self->OnCreate(window);
        } else if (auto* self = reinterpret_cast<CMainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            switch (message) {
                case WM_PAINT:
                    self->OnPaint(window);
                    break;
                case WM_TIMER:
                    self->OnTimer();
                    break;
                case WM_DESTROY:
                    self->OnDestroy();
                    break;
                case WM_NCDESTROY:
                    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                    break;
                default:
                    break;
            }
        }
    } catch (...) {
        // A failed step must not unwind through the system's window code; the next tick retries.
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void CMainWindow::OnCreate(HWND window) {
    SetTimer(window, kTimerId, kTimerPeriodMs, nullptr);
}

void CMainWindow::OnPaint(HWND window) {
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
}

void CMainWindow::OnTimer() {
    if (command_ && command_->PollCommand() == -1) {
        SharedMemory::DebugTrace(L"The current application is exited.");
        PostQuitMessage(0);
    }
}

void CMainWindow::OnDestroy() {
    PostQuitMessage(0);
}

int RunMessageLoop() {
    MSG message{};
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0 && got != -1) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : 0;
}

}  // namespace Elevhost
