#pragma once
// The restart question: a small white dialog (resource 103) with a warning icon, a large heading,
// the message, and a grey band holding "Restart Now" (1) and "Restart Later" (2, the default).
#include <windows.h>

#include <string>

#include "nimbo/handle.h"
#include "ui/dialog.h"

namespace NimboNS::installpanel {

class CMyMessageBox : public ui::CDialog {
public:
    explicit CMyMessageBox(LANGID language, HMODULE module = nullptr);

    void SetCaption(std::wstring caption) { caption_ = std::move(caption); }
    void SetHeading(std::wstring heading) { heading_ = std::move(heading); }
    void SetMessage(std::wstring message) { message_ = std::move(message); }

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void PaintBand();

    std::wstring caption_;
    std::wstring heading_;
    std::wstring message_;
    GdiObject headingFont_;
    GdiObject white_;
};

}  // namespace NimboNS::installpanel
