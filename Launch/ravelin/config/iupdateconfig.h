#pragma once
// The update configuration of one launch as the orchestrator, the updaters and the launch
// workflow see it. Lives inside ravelin only, so it may use standard strings.
#include <string>

namespace NimboNS {

class IUpdateConfig {
public:
    virtual ~IUpdateConfig() = default;
    virtual void Release() = 0;
    virtual std::wstring GetLauncherPackagePath() = 0;
    virtual std::wstring GetVersionUrl() = 0;
    virtual std::wstring GetRuntimePath() = 0;
    virtual std::wstring GetVersion() = 0;
    virtual std::wstring GetAppPath() = 0;
    virtual std::wstring GetAppName() = 0;
    virtual std::wstring GetUrl() = 0;
    virtual std::wstring GetUrlParameter() = 0;
    virtual std::wstring GetStartupFile() = 0;
    virtual std::wstring GetWebApiUrl() = 0;
    // Logs one line (plog severity) to the run's log file and log pane.
    virtual void OutputLog(int severity, const std::wstring& text) = 0;
    virtual unsigned long long GetResumableDownloadFileSize() = 0;
    virtual std::wstring GetAppUrl() = 0;
    virtual int GetSaveDynamicCommandLineArgs() = 0;
};

}  // namespace NimboNS
