#pragma once
// A configuration object that logs into its own log view, and the log read back from disk.
#include <string>

#include "catalog.h"
#include "harness.h"
#include "log/logview.h"
#include "scwconv.h"
#include "updateconfig.h"

namespace config_test {

struct ConfigUnderTest {
    NimboNS::CLogView view;
    NimboNS::CUpdateConfig config{&view};

    // The run's log file as written so far (UTF-8).
    std::string Log() const { return nimbo_test::ReadFileText(view.FilePath()); }
    bool Logged(const std::wstring& line) const {
        return Log().find(NimboNS::WideToUtf8(line)) != std::string::npos;
    }
    // The catalogue text `id` formatted with printf-style arguments.
    template <typename... Args>
    static std::wstring Message(int id, Args... args) {
        return NimboNS::FormatWide(NimboNS::GetLocalizedMessage(id), args...);
    }
};

}  // namespace config_test
