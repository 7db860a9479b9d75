#pragma once
// The progress window shown for real on a thread of its own, as the launch thread shows it, with
// a record of every update message the window takes from its queue (payload copied before the
// window frees it).
#include <windows.h>

#include <commctrl.h>

#include <mutex>
#include <string>
#include <vector>

#include "engine/updatedialog.h"
#include "engine/updatemessages.h"

namespace engine_test {

struct Taken {
    UINT message = 0;
    std::wstring text;
    std::wstring caption;
    std::vector<int> numbers;
};

class DialogThread {
public:
    // Shows `dialog` from the template compiled into this program; returns once the window exists.
    explicit DialogThread(NimboNS::CUpdateDialog& dialog);
    ~DialogThread();
    DialogThread(const DialogThread&) = delete;
    DialogThread& operator=(const DialogThread&) = delete;

    HWND Window() const { return window_; }
    // True when the window was destroyed and the modal call returned within `ms`.
    bool WaitClosed(DWORD ms = 10000);
    // Waits until `count` update messages were taken from the queue.
    std::vector<Taken> WaitTaken(size_t count, DWORD ms = 10000);
    // Runs nothing itself: waits until the window's thread has handled everything posted so far.
    void Sync();

    std::wstring ItemText(int id) const;
    int BarPosition() const;
    PBRANGE BarRange() const;

private:
    static DWORD WINAPI Run(void* param);
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);

    NimboNS::CUpdateDialog& dialog_;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
    HHOOK hook_ = nullptr;
};

// Geometry helpers.
RECT WindowRect(HWND window);
RECT ClientRect(HWND window);
// The rich-edit pane of the window, or null.
HWND LogPane(HWND window);
std::wstring WindowText(HWND window);

}  // namespace engine_test
