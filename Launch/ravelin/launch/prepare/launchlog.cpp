#include "launchlog.h"

#include <windows.h>
#include <share.h>

#include <cstdio>

#include "config/updateconfig.h"
#include "log/logview.h"
#include "plog/Record.h"
#include "scwconv.h"

namespace NimboNS {

void LaunchLog::Attach(IUpdateConfig* config) {
    std::lock_guard guard(lock_);
    config_ = config;
    auto* real = dynamic_cast<CUpdateConfig*>(config);
    view_ = real != nullptr ? real->logView : nullptr;
    if (view_ != nullptr) file_ = view_->FilePath();
}

void LaunchLog::Detach() {
    std::lock_guard guard(lock_);
    config_ = nullptr;
    view_ = nullptr;
}

void LaunchLog::Write(int severity, const std::wstring& text) {
    std::lock_guard guard(lock_);
    plog::Record record(static_cast<plog::Severity>(severity), "NimboNS::LaunchLog::Write", __LINE__);
    record << text.c_str();
    // The progress window closes the run's log file when it goes; lines after that are appended.
    if (view_ != nullptr && view_->WriteToFile(record)) return;
    if (!file_.empty() && AppendToFile(CLogView::FormatRecord(record))) return;
    if (config_ != nullptr) {
        config_->OutputLog(severity, text);
        return;
    }
    OutputDebugStringW((text + L"\n").c_str());
}

bool LaunchLog::AppendToFile(const std::wstring& line) {
    FILE* file = _wfsopen(file_.c_str(), L"ab", _SH_DENYNO);
    if (file == nullptr) return false;
    const std::string bytes = WideToUtf8(line);
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

}  // namespace NimboNS
