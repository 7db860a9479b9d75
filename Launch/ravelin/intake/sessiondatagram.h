#pragma once
// The UDP datagrams between launchers (ASCII, decimal numbers, no terminator on the wire):
//   "#SESS#<session>#SESS#<port>"  a launcher serves <session> and listens on <port>
//   "<pid>"                        the main receiver asks in which session <pid> runs
//   "#PROC#<session>#PROC#<pid>"   the answer: <pid> runs in <session>
#include <string>

namespace NimboNS {

struct SessionDatagram {
    enum Kind { Other, Session, Process } kind = Other;
    int session = 0;
    int port = 0;
    int pid = 0;
};

// The markers are compared without regard to case. A session report with a port outside
// 1..65535 or a negative session counts as Other.
SessionDatagram ParseSessionDatagram(const std::string& text);
std::string SessionReport(int session, int port);
std::string ProcessReport(int session, int pid);

}  // namespace NimboNS
