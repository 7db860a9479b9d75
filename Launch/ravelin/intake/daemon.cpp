#include "daemon.h"

#include <string>

#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "objectmodel.h"
#include "process/startprogram.h"
#include "servertcpsocket.h"
#include "udpsockets.h"

namespace NimboNS {
namespace {

volatile LONG g_daemonPort = 0;
IServerTcpSocket* g_probeSocket = nullptr;  // kept for the life of the process

DWORD WINAPI ReceiveThread(void* param) {
    try {
        IServerUdpSocket* socket = new CServerUdpSocket();
        socket->SetHandler(static_cast<IWorkflow*>(param));
        if (socket->Startup() != 0 && socket->Create() != 0 && socket->Bind(g_daemonPort) != 0)
            socket->ReceiveLoop();
        socket->Release();
    } catch (...) {
    }
    return 0;
}

DWORD WINAPI ReportThread(void* param) {
    try {
        IClientUdpSocket* socket = new CClientUdpSocket();
        socket->SetHandler(static_cast<IWorkflow*>(param));
        socket->Startup();
        if (socket->Create() != 0) {
            socket->Run();
            socket->Close();
        }
        socket->Release();
    } catch (...) {
    }
    return 0;
}

void StartThread(LPTHREAD_START_ROUTINE procedure, void* param) {
    Handle thread(CreateThread(nullptr, 0, procedure, param, 0, nullptr));
}

VOID CALLBACK PortWatchTick(HWND, UINT, UINT_PTR, DWORD) {
    try {
        WatchPortOnce();
    } catch (...) {
    }
}

bool StartServingLauncher() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return StartShownProgram(std::wstring(L"\"") + path + L"\" -launcher");
}

}  // namespace

CDaemon::~CDaemon() {
    if (timer_ != 0) KillTimer(nullptr, timer_);
}

int CDaemon::Initialize(int port, DWORD, int serverStarted, IWorkflow* workflow) {
    InterlockedExchange(&g_daemonPort, port);
    serverRole_ = serverStarted;
    workflow_ = workflow;
    return 0;
}

int CDaemon::Start() {
    if (serverRole_ != 0) {
        StartThread(ReceiveThread, workflow_);
    } else {
        StartThread(ReportThread, workflow_);
        // Without a window the timer gets an id of its own; kPortWatchTimer is only asked for.
        timer_ = SetTimer(nullptr, kPortWatchTimer, 1000, PortWatchTick);
    }
    return 0;
}

bool WatchPortOnce() {
    Handle mutex(CreateMutexW(nullptr, FALSE, names::kMainSpecialPortMutex));
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return false;  // another process checks
    if (g_probeSocket == nullptr) g_probeSocket = new CServerTcpSocket();
    if (g_probeSocket->Create() == 0) return false;
    if (g_probeSocket->TryBind(g_daemonPort) != 0) {
        g_probeSocket->Close();
        Sleep(50);
        return false;
    }
    g_probeSocket->Close();
    // The main receiver is gone: a new serving launcher takes the port, and this one ends.
    if (StartServingLauncher()) {
        mutex.reset();
        ExitProcess(0);
    }
    Sleep(50);
    return false;
}

}  // namespace NimboNS
