// Keeps Wine's desktop and system processes up for a whole test run. When the last Wine program
// of a session ends, Wine shuts them down, and the next test program starts them again: they
// inherit that program's output pipe and hold it open long after the program ended, so the test
// seems to hang. One hidden window that lives as long as the run prevents that.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"NimboTestKeeper";
    if (RegisterClassW(&windowClass) == 0) return 1;
    // Never shown: no test sees it on the screen.
    if (CreateWindowExW(0, L"NimboTestKeeper", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance,
                        nullptr) == nullptr)
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
