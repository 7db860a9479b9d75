#pragma once
// The run object handed out by ravelin.dll: runs launch requests and starts the local server.
#include "irun.h"

namespace NimboNS {

class IWorkflow;
class IDaemon;

class CRun final : public IRun {
public:
    CRun() = default;
    ~CRun() override;
    CRun(const CRun&) = delete;
    CRun& operator=(const CRun&) = delete;

    void Release() override { delete this; }
    RequestHandler SetRequestHandler(RequestHandler handler) override;
    int RunApp(const wchar_t* text, int adminInstalled) override;
    int StartServer(int port, int sessionLaunch) override;

private:
    int port_ = kDefaultLauncherPort;
    IWorkflow* workflow_ = nullptr;
    IDaemon* daemon_ = nullptr;
    RequestHandler requestHandler_ = nullptr;
    int sessionLaunch_ = 0;
};

// A new run object for the export; null when memory runs out.
IRun* NewRunObject();

}  // namespace NimboNS
