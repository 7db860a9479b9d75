#include "process_window.h"

namespace e2e {
namespace {

struct WindowSearch {
    DWORD processId;
    const std::wstring* className;
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t text[256] = {}, cls[256] = {};
    GetWindowTextW(window, text, 256);
    GetClassNameW(window, cls, 256);
    if (owner == search->processId && IsWindowVisible(window) && *search->title == text &&
        *search->className == cls) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND WaitForProcessWindow(DWORD processId, const std::wstring& className, const std::wstring& title,
                          DWORD timeoutMs) {
    WindowSearch search{processId != 0 ? processId : GetCurrentProcessId(), &className, &title, nullptr};
    const DWORD start = GetTickCount();
    while (search.found == nullptr && GetTickCount() - start < timeoutMs) {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) Sleep(50);
    }
    return search.found;
}

}  // namespace e2e
