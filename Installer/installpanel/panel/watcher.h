#pragma once
// The worker that follows the progress file: it reads the file at start and whenever the file's
// folder reports a write, keeps the texts, and posts UM_PROGRESS_FILE_CHANGED to the window.
#include <windows.h>

#include <mutex>
#include <string>

#include "link/progressfile.h"
#include "nimbo/handle.h"

namespace NimboNS::installpanel {

class CProgressWatcher {
public:
    explicit CProgressWatcher(std::wstring path);
    ~CProgressWatcher();
    CProgressWatcher(const CProgressWatcher&) = delete;
    CProgressWatcher& operator=(const CProgressWatcher&) = delete;

    // Starts the thread; it ends when `stopEvent` (manual reset, owned by the caller) is set.
    bool Start(HWND window, HANDLE stopEvent);
    // Waits for the thread; its result is the last error of the change notification (0: none).
    DWORD Join();
    bool Running() const { return static_cast<bool>(thread_); }

    // Reads the file into the texts once (without posting).
    bool ReadOnce();
    ProgressTexts Texts() const;

private:
    static DWORD WINAPI ThreadProc(void* self);
    DWORD Run();
    void ReadAndPost();
    DWORD PollUntilStopped();

    std::wstring path_;
    HWND window_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    Handle thread_;
    mutable std::mutex lock_;
    ProgressTexts texts_;
};

}  // namespace NimboNS::installpanel
