#pragma once
// Tells whether this machine has an ARM processor, where the launcher warns that it is not
// supported (and then carries on).
#include <windows.h>

#include <functional>

namespace NimboNS {

// The two system questions behind the decision; an empty function is one the system lacks.
struct ProcessorQueries {
    // IsWow64GuestMachineSupported(machine, &supported).
    std::function<HRESULT(USHORT machine, BOOL* supported)> guestMachineSupported;
    // IsWow64Process2 for the current process.
    std::function<BOOL(USHORT* processMachine, USHORT* nativeMachine)> wow64Process2;
};

bool IsArmMachine(const ProcessorQueries& queries);

// Asks kernel32 (loaded by name) and shows the message box on an ARM machine.
void CheckProcessor();

}  // namespace NimboNS
