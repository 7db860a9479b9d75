#pragma once
// The serving side of elevhost: one poll of the command channel and the run of one command.
#include <memory>
#include <string>

#include "sharedserver.h"

namespace Elevhost {

class CCommand {
public:
    CCommand();
    // Opens the server end of channel `name` (the data channel and the client's status channel).
    bool Open(const std::wstring& name);
    // One step of serving: 0 to go on, -1 when the client has gone and the program should end.
    int PollCommand();

private:
    std::shared_ptr<SharedMemory::ISharedServer> server_;
};

// Runs `command` through the command interpreter, waits for it and returns its exit code, or
// -1 when it cannot be started. A non-zero exit code is recorded in the failure log.
int RunCommand(const std::wstring& command);

// The interpreter part that RunCommand puts before the command: "cmd /c " or, for a 32-bit
// elevhost on 64-bit Windows, the 64-bit interpreter through the SysNative folder.
std::wstring InterpreterPrefix();
// This process's failure log: "log\elevhost<pid>.log" beside the program.
std::wstring FailureLogPath();

}  // namespace Elevhost
