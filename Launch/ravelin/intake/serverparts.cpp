#include "iworkflow.h"

namespace NimboNS {

// The local WebSocket server and the session daemon plug in here. Until they exist, a run
// object cannot start a server and says so (StartServer returns -1).
IWorkflow* CreateLauncherWorkflow() {
    return nullptr;
}
IDaemon* CreateSessionDaemon() {
    return nullptr;
}

}  // namespace NimboNS
