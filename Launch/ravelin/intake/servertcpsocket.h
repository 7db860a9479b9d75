#pragma once
// The listening socket of the local WebSocket server: binding with a port that may rise, the
// accept loop and the thread that serves one connection.
#include <winsock2.h>

#include <string>

namespace NimboNS {

class IWorkflow;

// Highest number of ports above the requested one that are tried.
inline constexpr int kPortRetries = 20;

// One accepted connection; made by the accept loop, freed by its connection thread.
struct ConnectionRecord {
    u_short clientPort = 0;  // the peer's port, host byte order
    SOCKET socket = INVALID_SOCKET;
    IWorkflow* handler = nullptr;
    std::string origin;  // the handshake's Origin header
};

class IServerTcpSocket {
public:
    virtual ~IServerTcpSocket() = default;
    virtual void Release() = 0;
    // WSAStartup 2.2: 1 on success, 0 on failure.
    virtual int Startup() = 0;
    // 1 when a socket exists (made now if needed), else 0.
    virtual int Create() = 0;
    // 0 = listening on `port`, 1 = listening on a higher port (written back), -1 = not listening.
    virtual int BindAndListen(int& port) = 0;
    virtual void AcceptLoop() = 0;
    // 1 when binding `port` failed (it is taken), 0 when the bind succeeded.
    virtual int TryBind(int port) = 0;
    virtual void Close() = 0;
    virtual void Cleanup() = 0;
    virtual void SetHandler(IWorkflow* workflow) = 0;
};

// Every address this server binds is the loopback address: only programs of this machine may
// talk to the launcher.
class CServerTcpSocket final : public IServerTcpSocket {
public:
    CServerTcpSocket() = default;
    ~CServerTcpSocket() override;
    CServerTcpSocket(const CServerTcpSocket&) = delete;
    CServerTcpSocket& operator=(const CServerTcpSocket&) = delete;

    void Release() override { delete this; }
    int Startup() override;
    int Create() override;
    int BindAndListen(int& port) override;
    void AcceptLoop() override;
    int TryBind(int port) override;
    void Close() override;
    void Cleanup() override;
    void SetHandler(IWorkflow* workflow) override;

    u_short Port() const { return port_; }

private:
    u_short port_ = 0;
    volatile LONG stop_ = 0;
    SOCKET socket_ = INVALID_SOCKET;
    IWorkflow* handler_ = nullptr;
    bool started_ = false;
};

// Keeps `socket` out of the programs this process starts (the apps of its launches): a socket
// they inherited would hold the port after this process ended.
SOCKET NotInherited(SOCKET socket);

// A sockaddr for 127.0.0.1 and `port`.
sockaddr_in LoopbackAddress(int port);

// Thread procedure for one connection (parameter: its ConnectionRecord, which it frees): the
// handshake, the request of the request line and one client frame, handed to the workflow.
DWORD WINAPI ServeConnection(void* connection);

}  // namespace NimboNS
