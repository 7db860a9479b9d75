#pragma once
// The window's DPI as a scale factor against 96.
#include <windows.h>

namespace NimboNS::installpanel {

struct DpiSources {
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
};

// GetDpiForWindow from "user32.dll" and GetDpiForMonitor from "Shcore.dll", where the system has them.
DpiSources SystemDpiSources();

// The first DPI the sources give (then the screen's logical pixels) divided by 96; 1 when none.
double GetDpi(HWND window, const DpiSources& sources);
double GetDpi(HWND window);

inline int Scaled(int pixels, double scale) {
    return static_cast<int>(pixels * scale + 0.5);
}

}  // namespace NimboNS::installpanel
