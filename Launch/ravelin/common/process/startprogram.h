#pragma once
#include <string>

namespace NimboNS {

// Starts a program the way a person's command would: its own console, shown, normal priority,
// nothing inherited. The caller does not wait for it.
bool StartShownProgram(const std::wstring& commandLine);

}  // namespace NimboNS
