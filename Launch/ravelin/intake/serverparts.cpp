#include "daemon.h"
#include "iworkflow.h"
#include "workflow.h"

namespace NimboNS {

IWorkflow* CreateLauncherWorkflow() {
    return new CLauncherWorkflow();
}
IDaemon* CreateSessionDaemon() {
    return new CDaemon();
}

}  // namespace NimboNS
