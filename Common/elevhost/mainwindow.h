#pragma once
// elevhost's hidden main window: its one-second timer drives the polling of the channel.
#include <windows.h>

#include <memory>

#include "command.h"
#include "nimbo/handle.h"

namespace Elevhost {

class CMainWindow {
public:
    static constexpr UINT_PTR kTimerId = 2020;
    static constexpr UINT kTimerPeriodMs = 1000;

    explicit CMainWindow(std::shared_ptr<CCommand> command);
    ~CMainWindow();
    CMainWindow(const CMainWindow&) = delete;
    CMainWindow& operator=(const CMainWindow&) = delete;

    // Registers the window class and creates the window, never shown. An earlier window goes.
    bool Create(HINSTANCE instance);
    HWND GetHandle() const { return window_.get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate(HWND window);
    void OnPaint(HWND window);
    void OnTimer();
    void OnDestroy();

    NimboNS::WindowHandle window_;
    std::shared_ptr<CCommand> command_;
};

// Pumps messages until WM_QUIT; returns the quit code.
int RunMessageLoop();

}  // namespace Elevhost
