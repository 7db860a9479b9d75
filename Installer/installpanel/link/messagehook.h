#pragma once
// The installer may post its messages to installpanel's user-interface thread instead of its
// window; a WH_GETMESSAGE hook hands each such thread message on to the main window.
#include <windows.h>

#include <optional>

namespace NimboNS::installpanel {

struct ForwardedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// What a thread message becomes for the main window; nothing for messages that are not the
// installer's (WM_QUIT ends the thread's loop and stays where it is).
std::optional<ForwardedMessage> ThreadMessageToForward(const MSG& message);

class CThreadMessageHook {
public:
    CThreadMessageHook() = default;
    ~CThreadMessageHook();
    CThreadMessageHook(const CThreadMessageHook&) = delete;
    CThreadMessageHook& operator=(const CThreadMessageHook&) = delete;

    bool Install();  // on the calling thread
    void Remove();
    // The window that receives the forwarded messages; until then they are dropped.
    static void SetTarget(HWND window);

private:
    static LRESULT CALLBACK GetMessageProc(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_ = nullptr;
};

}  // namespace NimboNS::installpanel
