#include "run.h"

#include <winsock2.h>
#include <windows.h>

#include <new>

#include "iworkflow.h"
#include "objectmodel.h"
#include "runapp.h"

namespace NimboNS {

CRun::~CRun() {
    ReleaseObject(workflow_);
    ReleaseObject(daemon_);
}

RequestHandler CRun::SetRequestHandler(RequestHandler handler) {
    requestHandler_ = handler;
    return handler;
}

int CRun::RunApp(const wchar_t* text, int adminInstalled) {
    if (text == nullptr || *text == L'\0') return -1;
    // No exception leaves the library: the caller is another module.
    try {
        CRunApp launch(adminInstalled);
        return launch.Launch(text, kNoConnection, nullptr);
    } catch (...) {
        return -1;
    }
}

int CRun::StartServer(int port, int sessionLaunch) {
    sessionLaunch_ = sessionLaunch;
    if (workflow_ != nullptr) return -1;  // one server per run object
    try {
        daemon_ = CreateSessionDaemon();
        workflow_ = CreateLauncherWorkflow();
        if (workflow_ == nullptr) {
            ReleaseObject(daemon_);
            return -1;
        }
        DWORD session = 0;
        ProcessIdToSessionId(GetCurrentProcessId(), &session);
        const int bound = workflow_->Initialize(port, session, requestHandler_, sessionLaunch);
        if (sessionLaunch == 0) {
            if (daemon_ == nullptr) return -1;
            daemon_->Initialize(port, session, bound == 0 ? 1 : 0, workflow_);
            if (bound == -1) return -1;
            daemon_->Start();
        }
        return workflow_->StartAccepting();
    } catch (...) {
        return -1;
    }
}

IRun* NewRunObject() {
    return new (std::nothrow) CRun();
}

}  // namespace NimboNS
