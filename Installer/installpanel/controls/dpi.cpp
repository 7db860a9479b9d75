#include "controls/dpi.h"

#include "link/setuplog.h"

namespace NimboNS::installpanel {
namespace {
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
}

DpiSources SystemDpiSources() {
    DpiSources sources;
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
        sources.getDpiForWindow =
            reinterpret_cast<decltype(sources.getDpiForWindow)>(GetProcAddress(user32, "GetDpiForWindow"));
    }
    // Loaded once for the life of the process.
    static HMODULE shcore = LoadLibraryW(L"Shcore.dll");
    if (shcore != nullptr) {
        sources.getDpiForMonitor =
            reinterpret_cast<decltype(sources.getDpiForMonitor)>(GetProcAddress(shcore, "GetDpiForMonitor"));
    }
    return sources;
}

double GetDpi(HWND window, const DpiSources& sources) {
    UINT dpi = 0;
    if (sources.getDpiForWindow != nullptr) dpi = sources.getDpiForWindow(window);
    if (dpi == 0 && sources.getDpiForMonitor != nullptr) {
        UINT dpiX = 0, dpiY = 0;
        HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (SUCCEEDED(sources.getDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY))) dpi = dpiX;
    }
    if (dpi == 0) {
        if (HDC screen = GetDC(nullptr)) {
            dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
            ReleaseDC(nullptr, screen);
        }
    }
    const bool found = dpi != 0;
    LogFormat(kLogInfo, L"GetDpi: bSuccess=%d, dpi=%d.", found ? 1 : 0, static_cast<int>(dpi));
    return found ? dpi / 96.0 : 1.0;
}

double GetDpi(HWND window) {
    return GetDpi(window, SystemDpiSources());
}

}  // namespace NimboNS::installpanel
