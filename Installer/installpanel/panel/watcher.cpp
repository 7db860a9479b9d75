#include "panel/watcher.h"

#include "link/setuplog.h"
#include "panel/messages.h"

namespace NimboNS::installpanel {
namespace {
constexpr DWORD kWaitMs = 500;
}

CProgressWatcher::CProgressWatcher(std::wstring path) : path_(std::move(path)) {}

CProgressWatcher::~CProgressWatcher() {
    if (thread_ && stopEvent_ != nullptr) {
        SetEvent(stopEvent_);
        Join();
    }
}

bool CProgressWatcher::Start(HWND window, HANDLE stopEvent) {
    window_ = window;
    stopEvent_ = stopEvent;
    thread_.reset(CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    return static_cast<bool>(thread_);
}

DWORD CProgressWatcher::Join() {
    if (!thread_) return 0;
    WaitForSingleObject(thread_.get(), INFINITE);
    DWORD result = 0;
    GetExitCodeThread(thread_.get(), &result);
    thread_.reset();
    return result;
}

bool CProgressWatcher::ReadOnce() {
    ProgressTexts texts = Texts();
    if (!ReadProgressFile(path_, texts)) return false;
    std::lock_guard<std::mutex> guard(lock_);
    texts_ = std::move(texts);
    return true;
}

ProgressTexts CProgressWatcher::Texts() const {
    std::lock_guard<std::mutex> guard(lock_);
    return texts_;
}

void CProgressWatcher::ReadAndPost() {
    ReadOnce();
    if (IsWindow(window_)) PostMessageW(window_, UM_PROGRESS_FILE_CHANGED, 0, 0);
}

DWORD WINAPI CProgressWatcher::ThreadProc(void* self) {
    try {
        return static_cast<CProgressWatcher*>(self)->Run();
    } catch (...) {
        return ERROR_INTERNAL_ERROR;
    }
}

DWORD CProgressWatcher::Run() {
    ReadAndPost();
    const size_t slash = path_.rfind(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : path_.substr(0, slash);
    HANDLE change = FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (change == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        LogSystemError(L"failed to watch the progress file's folder " + folder + L", ", error);
        PollUntilStopped();
        return error;
    }
    DWORD result = 0;
    const HANDLE waits[2] = {stopEvent_, change};
    for (;;) {
        const DWORD wait = WaitForMultipleObjects(2, waits, FALSE, kWaitMs);
        if (wait == WAIT_OBJECT_0) break;
        if (wait == WAIT_OBJECT_0 + 1) {
            ReadAndPost();
            if (!FindNextChangeNotification(change)) {
                result = GetLastError();
                break;
            }
        } else if (wait == WAIT_FAILED) {
            result = GetLastError();
            break;
        }
    }
    FindCloseChangeNotification(change);
    return result;
}

// Without change notifications the file is read every half second, posting only what changed.
DWORD CProgressWatcher::PollUntilStopped() {
    ProgressTexts last = Texts();
    while (WaitForSingleObject(stopEvent_, kWaitMs) == WAIT_TIMEOUT) {
        if (!ReadOnce()) continue;
        ProgressTexts now = Texts();
        if (now.progress == last.progress && now.status == last.status) continue;
        last = now;
        if (IsWindow(window_)) PostMessageW(window_, UM_PROGRESS_FILE_CHANGED, 0, 0);
    }
    return 0;
}

}  // namespace NimboNS::installpanel
