#pragma once
// The daemon of a launcher that serves web pages. The launcher that got the configured port is
// the main receiver: it takes the session reports of the others over UDP. Any other one reports
// its session and port to it, and once a second looks whether the configured port has become
// free; then it hands over to a new serving launcher and ends.
#include <winsock2.h>  // before windows.h
#include <windows.h>

#include "iworkflow.h"

namespace NimboNS {

// The thread timer of the port watch.
inline constexpr UINT_PTR kPortWatchTimer = 101;

class CDaemon final : public IDaemon {
public:
    CDaemon() = default;
    // Ends the port watch (when called on the thread that started it).
    ~CDaemon() override;
    CDaemon(const CDaemon&) = delete;
    CDaemon& operator=(const CDaemon&) = delete;
    void Release() override { delete this; }
    int Initialize(int port, DWORD session, int serverStarted, IWorkflow* workflow) override;
    // Server role: the UDP receive thread. Client role: the UDP report thread and the port
    // watch, a timer of the calling thread (it runs while that thread dispatches messages).
    int Start() override;

private:
    int serverRole_ = 1;
    IWorkflow* workflow_ = nullptr;
    UINT_PTR timer_ = 0;  // the id SetTimer gave the port watch
};

// One tick of the port watch: when the configured port is free, starts the host program with
// "-launcher" and ends this process. False when the port is still taken or nothing started.
bool WatchPortOnce();

}  // namespace NimboNS
