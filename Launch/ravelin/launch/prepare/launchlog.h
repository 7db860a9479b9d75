#pragma once
// The log of one launch as the preparation and the app start write it: the run's log file (the
// one the update engine started) for as long as it is known, even when the app start outlives
// the launch; the update configuration's log where there is no such file; else the debugger
// output.
#include <mutex>
#include <string>

namespace NimboNS {

class CLogView;
class IUpdateConfig;

class LaunchLog {
public:
    // plog severities.
    static constexpr int kError = 2;
    static constexpr int kWarning = 3;
    static constexpr int kInfo = 4;

    void Attach(IUpdateConfig* config);
    // Lets go of the configuration; its log file, once known, is kept.
    void Detach();
    void Write(int severity, const std::wstring& text);

private:
    bool AppendToFile(const std::wstring& line);

    std::mutex lock_;
    IUpdateConfig* config_ = nullptr;
    CLogView* view_ = nullptr;  // the run's log view while attached
    std::wstring file_;         // the run's log file
};

}  // namespace NimboNS
