#pragma once
// Whether the app's program can run on this machine: a 64-bit program cannot run on 32-bit
// Windows.
#include <windows.h>

#include <functional>
#include <string>

namespace NimboNS {

// The Machine field of a program's PE file header; false when the file cannot be opened or is
// too short to hold the header.
bool ReadProgramMachine(const std::wstring& path, WORD& machine);

// 1 when the program can run, 0 when it cannot. A file that cannot be read passes (its start
// fails later). `nativeArchitecture` answers the machine's processor architecture; false when
// the system cannot tell, which makes a 64-bit program fail.
int CheckProgramBitness(const std::wstring& programPath,
                        const std::function<bool(WORD& architecture)>& nativeArchitecture);

}  // namespace NimboNS
