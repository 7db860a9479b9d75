#pragma once
// Diagnostics of the command channel, elevlink and elevhost: formatted and passed to the
// debugger output as they are, without prefix or line ending.
namespace SharedMemory {

void DebugTrace(const wchar_t* format, ...);

}  // namespace SharedMemory
