#pragma once
// The browser request workflow behind the local WebSocket server, and the daemon that ties the
// launchers of several Windows sessions together. Both are owned by the run object.
#include <winsock2.h>  // before windows.h
#include <windows.h>

#include "irun.h"

namespace NimboNS {

class IWorkflow {
public:
    virtual ~IWorkflow() = default;
    virtual void Release() = 0;
    // Takes one accepted connection (its record) and serves it on a thread of its own.
    virtual int HandleConnection(void* connection) = 0;
    virtual void ReceiveSessionReport(UINT_PTR udpSocket) = 0;
    virtual void RunSessionReporter(UINT_PTR udpSocket) = 0;
    // 0 when the accept thread was started, 1 when there is no listening socket.
    virtual int StartAccepting() = 0;
    // 0 = listening on `port`, 1 = listening on a higher port, -1 = no listening socket.
    virtual int Initialize(int port, DWORD session, RequestHandler handler, int sessionLaunch) = 0;
};

class IDaemon {
public:
    virtual ~IDaemon() = default;
    virtual void Release() = 0;
    virtual int Initialize(int port, DWORD session, int serverStarted, IWorkflow* workflow) = 0;
    virtual int Start() = 0;
};

// The workflow and daemon of this build; null while the local server is not part of it.
IWorkflow* CreateLauncherWorkflow();
IDaemon* CreateSessionDaemon();

}  // namespace NimboNS
