// The session exchange between launchers: the main receiver's side (ReceiveSessionReport), the
// reporting side of a secondary launcher (RunSessionReporter), and the TCP table lookup that
// finds the browser behind a connection.
#include <winsock2.h>
#include <iphlpapi.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sessiondatagram.h"
#include "servertcpsocket.h"
#include "workflow.h"

namespace NimboNS {
namespace {

constexpr int kDatagramBytes = 256;

using GetExtendedTcpTableFn = DWORD(WINAPI*)(PVOID, PDWORD, BOOL, ULONG, TCP_TABLE_CLASS, ULONG);

void SendText(SOCKET socket, const std::string& text, const sockaddr_in& to) {
    sendto(socket, text.data(), static_cast<int>(text.size()), 0, reinterpret_cast<const sockaddr*>(&to),
           sizeof(to));
}

}  // namespace

BrowserOwner FindOwnerInTcpTable(int boundPort, int clientPort) {
    BrowserOwner owner;
    HMODULE library = LoadLibraryW(L"Iphlpapi.dll");
    if (library == nullptr) return owner;
    auto getTable = reinterpret_cast<GetExtendedTcpTableFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "GetExtendedTcpTable")));
    std::vector<BYTE> buffer;
    DWORD size = 0;
    if (getTable != nullptr &&
        getTable(nullptr, &size, TRUE, AF_INET, TCP_TABLE_OWNER_PID_ALL, 0) == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(size);
        if (getTable(buffer.data(), &size, TRUE, AF_INET, TCP_TABLE_OWNER_PID_ALL, 0) != NO_ERROR)
            buffer.clear();
    }
    FreeLibrary(library);
    if (buffer.empty()) return owner;
    const auto* table = reinterpret_cast<const MIB_TCPTABLE_OWNER_PID*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_TCPROW_OWNER_PID& row = table->table[i];
        if (ntohs(static_cast<u_short>(row.dwRemotePort)) == boundPort &&
            ntohs(static_cast<u_short>(row.dwLocalPort)) == clientPort) {
            owner.pid = row.dwOwningPid;
            break;
        }
    }
    if (owner.pid != 0 && ProcessIdToSessionId(owner.pid, &owner.session)) owner.sessionKnown = true;
    return owner;
}

void CLauncherWorkflow::ReceiveSessionReport(UINT_PTR udpSocket) {
    const SOCKET socket = static_cast<SOCKET>(udpSocket);
    char buffer[kDatagramBytes + 1] = {};
    sockaddr_in from{};
    int fromSize = sizeof(from);
    const int got =
        recvfrom(socket, buffer, kDatagramBytes, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (got <= 0) return;
    const SessionDatagram datagram = ParseSessionDatagram(std::string(buffer, static_cast<size_t>(got)));

    std::vector<int> pending;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (datagram.kind == SessionDatagram::Session) {
            for (auto& [port, session] : portSessions_)
                if (session == datagram.session) session = 0;
            portSessions_[datagram.port] = datagram.session;
        } else if (datagram.kind == SessionDatagram::Process && datagram.pid > 0 &&
                   datagram.pid != lastReportedPid_) {
            lastReportedPid_ = datagram.pid;
            pidSessions_[datagram.pid] = datagram.session;
            SetEvent(recvPortEvent_);
        }
        for (const auto& [pid, session] : pidSessions_)
            if (session == 0) pending.push_back(pid);
    }
    for (int pid : pending) SendText(socket, std::to_string(pid), from);
}

void CLauncherWorkflow::RunSessionReporter(UINT_PTR udpSocket) {
    const SOCKET socket = static_cast<SOCKET>(udpSocket);
    const sockaddr_in target = LoopbackAddress(configuredPort_);
    while (stopReporting_ == 0) {
        const std::string report = SessionReport(static_cast<int>(ownSession_), boundPort_);
        if (sendto(socket, report.data(), static_cast<int>(report.size()), 0,
                   reinterpret_cast<const sockaddr*>(&target), sizeof(target)) != SOCKET_ERROR) {
            char buffer[kDatagramBytes + 1] = {};
            const int got = recvfrom(socket, buffer, kDatagramBytes, 0, nullptr, nullptr);
            DWORD session = 0;
            const int pid = got > 0 ? std::atoi(buffer) : 0;
            if (pid > 0 && ProcessIdToSessionId(static_cast<DWORD>(pid), &session)) {
                const std::string answer = ProcessReport(static_cast<int>(session), pid);
                SendText(socket, answer, target);
            }
        } else if (WSAGetLastError() == WSAENOTSOCK) {
            return;  // the socket was closed
        }
        Sleep(10);
    }
}

}  // namespace NimboNS
