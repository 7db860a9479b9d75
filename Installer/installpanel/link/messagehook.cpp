#include "link/messagehook.h"

#include <atomic>

#include "link/setuplog.h"

namespace NimboNS::installpanel {
namespace {

constexpr UINT kNeedAdmin = 0x8005;
constexpr UINT kPortInUse = 0x8064;

std::atomic<HWND> g_target{nullptr};
std::atomic<HHOOK> g_hook{nullptr};

}  // namespace

std::optional<ForwardedMessage> ThreadMessageToForward(const MSG& message) {
    if (message.hwnd != nullptr || message.message == WM_QUIT) return std::nullopt;
    if (message.message == kNeedAdmin) return ForwardedMessage{message.message, 0, 0};
    if (message.message == kPortInUse) return ForwardedMessage{message.message, message.wParam, 0};
    return ForwardedMessage{message.message, message.wParam, message.lParam};
}

CThreadMessageHook::~CThreadMessageHook() {
    Remove();
}

bool CThreadMessageHook::Install() {
    Remove();
    hook_ = SetWindowsHookExW(WH_GETMESSAGE, GetMessageProc, nullptr, GetCurrentThreadId());
    if (hook_ == nullptr) {
        LogSystemError(L"failed to install the message hook, ", GetLastError());
        return false;
    }
    g_hook = hook_;
    return true;
}

void CThreadMessageHook::Remove() {
    if (hook_ == nullptr) return;
    UnhookWindowsHookEx(hook_);
    g_hook = nullptr;
    hook_ = nullptr;
}

void CThreadMessageHook::SetTarget(HWND window) {
    g_target = window;
}

LRESULT CALLBACK CThreadMessageHook::GetMessageProc(int code, WPARAM wParam, LPARAM lParam) {
    // Only messages taken off the queue: a peek that leaves the message there sees it again later.
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (auto forward = ThreadMessageToForward(*message)) {
            HWND target = g_target;
            if (target != nullptr) PostMessageW(target, forward->message, forward->wParam, forward->lParam);
            message->message = WM_NULL;
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

}  // namespace NimboNS::installpanel
