// winsock2.h must come before windows.h.
#include <winsock2.h>

#include "doubles.h"

namespace kxtest {

int RefusedPort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        int length = sizeof(address);
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    closesocket(s);
    return port;
}

}  // namespace kxtest
