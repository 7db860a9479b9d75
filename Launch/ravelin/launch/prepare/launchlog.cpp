#include "launchlog.h"

#include <windows.h>

#include "config/iupdateconfig.h"

namespace NimboNS {

void LaunchLog::Attach(IUpdateConfig* config) {
    std::lock_guard guard(lock_);
    config_ = config;
}

void LaunchLog::Detach() {
    Attach(nullptr);
}

void LaunchLog::Write(int severity, const std::wstring& text) {
    std::lock_guard guard(lock_);
    if (config_ != nullptr) {
        config_->OutputLog(severity, text);
    } else {
        OutputDebugStringW((text + L"\n").c_str());
    }
}

}  // namespace NimboNS
