#pragma once
// The UDP sockets of the session exchange between launchers, both on the loopback address:
// the main receiver's, bound to the configured port, and a secondary launcher's reporting one.
#include <winsock2.h>

namespace NimboNS {

class IWorkflow;

class IServerUdpSocket {
public:
    virtual ~IServerUdpSocket() = default;
    virtual void Release() = 0;
    virtual int Startup() = 0;       // WSAStartup 2.2, 1 = ok
    virtual int Create() = 0;        // 1 = ok
    virtual int Bind(int port) = 0;  // 1 = ok, 0 = failed
    // Hands one datagram at a time to the workflow until Cleanup or the socket closes.
    virtual void ReceiveLoop() = 0;
    virtual void Cleanup() = 0;
    virtual void SetHandler(IWorkflow* workflow) = 0;
};

class CServerUdpSocket final : public IServerUdpSocket {
public:
    CServerUdpSocket() = default;
    ~CServerUdpSocket() override;
    CServerUdpSocket(const CServerUdpSocket&) = delete;
    CServerUdpSocket& operator=(const CServerUdpSocket&) = delete;
    void Release() override { delete this; }
    int Startup() override;
    int Create() override;
    int Bind(int port) override;
    void ReceiveLoop() override;
    void Cleanup() override;
    void SetHandler(IWorkflow* workflow) override { handler_ = workflow; }

private:
    volatile LONG stop_ = 0;
    SOCKET socket_ = INVALID_SOCKET;
    IWorkflow* handler_ = nullptr;
    bool started_ = false;
};

class IClientUdpSocket {
public:
    virtual ~IClientUdpSocket() = default;
    virtual void Release() = 0;
    virtual int Startup() = 0;
    virtual int Create() = 0;  // with a 500 ms receive time-out; 1 = ok
    // The workflow's reporting loop on this socket.
    virtual void Run() = 0;
    virtual void Close() = 0;
    virtual void SetHandler(IWorkflow* workflow) = 0;
};

class CClientUdpSocket final : public IClientUdpSocket {
public:
    CClientUdpSocket() = default;
    ~CClientUdpSocket() override { Close(); }
    CClientUdpSocket(const CClientUdpSocket&) = delete;
    CClientUdpSocket& operator=(const CClientUdpSocket&) = delete;
    void Release() override { delete this; }
    int Startup() override { return 1; }
    int Create() override;
    void Run() override;
    void Close() override;
    void SetHandler(IWorkflow* workflow) override { handler_ = workflow; }

private:
    SOCKET socket_ = INVALID_SOCKET;
    IWorkflow* handler_ = nullptr;
};

}  // namespace NimboNS
