#pragma once
// The log of one launch as the preparation and the app start write it: the run's log (the
// update configuration's) while the launch is going on; afterwards, when the app start outlives
// the launch, the debugger output.
#include <mutex>
#include <string>

namespace NimboNS {

class IUpdateConfig;

class LaunchLog {
public:
    // plog severities.
    static constexpr int kError = 2;
    static constexpr int kWarning = 3;
    static constexpr int kInfo = 4;

    void Attach(IUpdateConfig* config);
    // From here on lines go to the debugger output only.
    void Detach();
    void Write(int severity, const std::wstring& text);

private:
    std::mutex lock_;
    IUpdateConfig* config_ = nullptr;
};

}  // namespace NimboNS
