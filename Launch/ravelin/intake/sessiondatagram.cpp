#include "sessiondatagram.h"

#include <cstdlib>

namespace NimboNS {
namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return text;
}

// For "<marker>a<marker>b": a and b; false when the text does not have that form.
bool SplitPair(const std::string& text, const std::string& marker, int& first, int& second) {
    const std::string upper = Upper(text);
    if (upper.compare(0, marker.size(), marker) != 0) return false;
    const size_t middle = upper.find(marker, marker.size());
    if (middle == std::string::npos) return false;
    first = std::atoi(text.c_str() + marker.size());
    second = std::atoi(text.c_str() + middle + marker.size());
    return true;
}

}  // namespace

SessionDatagram ParseSessionDatagram(const std::string& text) {
    SessionDatagram datagram;
    int a = 0, b = 0;
    if (SplitPair(text, "#SESS#", a, b)) {
        if (a >= 0 && b >= 1 && b <= 65535) {
            datagram.kind = SessionDatagram::Session;
            datagram.session = a;
            datagram.port = b;
        }
    } else if (SplitPair(text, "#PROC#", a, b)) {
        datagram.kind = SessionDatagram::Process;
        datagram.session = a;
        datagram.pid = b;
    }
    return datagram;
}

std::string SessionReport(int session, int port) {
    return "#SESS#" + std::to_string(session) + "#SESS#" + std::to_string(port);
}

std::string ProcessReport(int session, int pid) {
    return "#PROC#" + std::to_string(session) + "#PROC#" + std::to_string(pid);
}

}  // namespace NimboNS
