#include "processorcheck.h"

#include "nimbo/handle.h"

namespace NimboNS {
namespace {

constexpr USHORT kArmMachines[] = {0x01C0, 0x01C2, 0x01C4, 0xAA64};  // ARM, Thumb, ARMNT, ARM64

bool IsArmValue(USHORT machine) {
    for (USHORT arm : kArmMachines)
        if (machine == arm) return true;
    return false;
}

using GuestMachineSupportedFn = HRESULT(WINAPI*)(USHORT, BOOL*);
using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);

}  // namespace

bool IsArmMachine(const ProcessorQueries& queries) {
    bool arm = false;
    if (queries.guestMachineSupported) {
        for (USHORT machine : kArmMachines) {
            BOOL supported = FALSE;
            if (SUCCEEDED(queries.guestMachineSupported(machine, &supported)) && supported) arm = true;
        }
    }
    if (arm || !queries.wow64Process2) return arm;
    USHORT processMachine = 0;
    USHORT nativeMachine = 0;
    if (!queries.wow64Process2(&processMachine, &nativeMachine)) return false;
    return IsArmValue(nativeMachine);
}

void CheckProcessor() {
    ModuleHandle kernel(LoadLibraryW(L"kernel32.dll"));
    if (!kernel) return;
    ProcessorQueries queries;
    if (auto guest = reinterpret_cast<GuestMachineSupportedFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel.get(), "IsWow64GuestMachineSupported"))))
        queries.guestMachineSupported = [guest](USHORT machine, BOOL* supported) {
            return guest(machine, supported);
        };
    if (auto process2 = reinterpret_cast<IsWow64Process2Fn>(
            reinterpret_cast<void*>(GetProcAddress(kernel.get(), "IsWow64Process2"))))
        queries.wow64Process2 = [process2](USHORT* processMachine, USHORT* nativeMachine) {
            return process2(GetCurrentProcess(), processMachine, nativeMachine);
        };
    const bool arm = IsArmMachine(queries);
    kernel.reset();
    if (arm)
        MessageBoxW(
            nullptr,
            L"The app launcher has detected that your CPU architecture is ARM, which is not supported by the "
            L"current app.\r\nThe app is about to exit. Please run it on a computer with either an Intel or "
            L"AMD processor.",
            nullptr, MB_ICONERROR);
}

}  // namespace NimboNS
