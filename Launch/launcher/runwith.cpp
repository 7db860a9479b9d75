#include "runwith.h"

namespace NimboNS {

int CRunWithShortCut::Initialize(const wchar_t* text, int, IRun* run, int) {
    if (text != nullptr) text_ = std::wstring(text);
    run_ = run;
    return 0;
}

int CRunWithShortCut::Run() {
    if (!text_ || run_ == nullptr) return -1;
    return run_->RunApp(text_->c_str(), adminInstalled_);
}

int CRunWithWebBrowser::Initialize(const wchar_t* text, int port, IRun* run, int noSocket) {
    port_ = port;
    text_ = text;
    run_ = run;
    noSocket_ = noSocket;
    return 0;
}

int CRunWithWebBrowser::Run() {
    int result = -1;
    if (text_ != nullptr) {
        if (handler_ != nullptr) {
            handler_(text_);
        } else if (run_ != nullptr) {
            result = run_->RunApp(text_, sessionLaunch_);
        }
    }
    if (run_ == nullptr) return result;
    if (noSocket_ != 0) return 0;
    return run_->StartServer(port_, sessionLaunch_);
}

}  // namespace NimboNS
