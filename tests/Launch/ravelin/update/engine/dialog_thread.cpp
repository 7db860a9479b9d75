#include "dialog_thread.h"

#include <commctrl.h>

#include "engine/engine_resources.h"

namespace engine_test {
namespace {

std::mutex g_lock;
std::vector<Taken> g_taken;

Taken Copy(const MSG& message) {
    Taken taken;
    taken.message = message.message;
    using namespace NimboNS;
    if (message.message == WM_UPDATE_STAGE) {
        const auto* p = reinterpret_cast<const StagePayload*>(message.lParam);
        taken.text = p->text, taken.caption = p->caption, taken.numbers = {p->stageCount, p->stage};
    } else if (message.message == WM_UPDATE_ITEM) {
        const auto* p = reinterpret_cast<const ItemPayload*>(message.lParam);
        taken.text = p->text, taken.caption = p->caption, taken.numbers = {p->percent};
    } else if (message.message == WM_UPDATE_PROGRESS) {
        const auto* p = reinterpret_cast<const ProgressPayload*>(message.lParam);
        taken.numbers = {p->a, p->b, p->c, p->total, p->done};
    }
    return taken;
}

}  // namespace

LRESULT CALLBACK DialogThread::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG& message = *reinterpret_cast<const MSG*>(lParam);
        const bool update =
            (message.message >= NimboNS::WM_UPDATE_STAGE && message.message <= NimboNS::WM_UPDATE_SHOWLOG) ||
            message.message == WM_CLOSE;
        if (update) {
            std::lock_guard<std::mutex> guard(g_lock);
            g_taken.push_back(Copy(message));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI DialogThread::Run(void* param) {
    auto* self = static_cast<DialogThread*>(param);
    // The hook is set by the window's own thread before its queue sees any update message.
    self->hook_ = SetWindowsHookExW(WH_GETMESSAGE, Hook, nullptr, GetCurrentThreadId());
    self->dialog_.ShowModal(GetModuleHandleW(nullptr));
    UnhookWindowsHookEx(self->hook_);
    return 0;
}

DialogThread::DialogThread(NimboNS::CUpdateDialog& dialog) : dialog_(dialog) {
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_taken.clear();
    }
    thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
    for (int i = 0; i < 1000 && window_ == nullptr; ++i) {
        window_ = dialog_.Window();
        if (window_ == nullptr) Sleep(10);
    }
    Sync();
}

DialogThread::~DialogThread() {
    if (dialog_.HasWindow()) PostMessageW(dialog_.Window(), WM_CLOSE, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
}

bool DialogThread::WaitClosed(DWORD ms) {
    return WaitForSingleObject(thread_, ms) == WAIT_OBJECT_0;
}

std::vector<Taken> DialogThread::WaitTaken(size_t count, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(g_lock);
            if (g_taken.size() >= count || GetTickCount() - start > ms) return g_taken;
        }
        Sleep(10);
    }
}

void DialogThread::Sync() {
    // A sent message is handled after the posted ones already queued are taken.
    DWORD_PTR ignored = 0;
    if (window_ != nullptr) SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    for (int i = 0; i < 5; ++i) {
        Sleep(20);
        if (window_ != nullptr) SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    }
}

std::wstring DialogThread::ItemText(int id) const {
    return WindowText(GetDlgItem(window_, id));
}

int DialogThread::BarPosition() const {
    return static_cast<int>(SendDlgItemMessageW(window_, IDC_UPDATE_PROGRESS, PBM_GETPOS, 0, 0));
}

PBRANGE DialogThread::BarRange() const {
    PBRANGE range{};
    SendDlgItemMessageW(window_, IDC_UPDATE_PROGRESS, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    return range;
}

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ClientRect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

HWND LogPane(HWND window) {
    return FindWindowExW(window, nullptr, L"RICHEDIT20W", nullptr);
}

std::wstring WindowText(HWND window) {
    if (window == nullptr) return L"";
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace engine_test
