#include "diagnostics.h"

#include <windows.h>

#include <cstring>

namespace NimboNS {

void PrintDiagnostic(const char* text) {
    // Straight to the handle: nothing is buffered, so nothing is lost when the process ends
    // without returning from main.
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    const DWORD error = GetLastError();  // exit codes of service control are the last error
    WriteFile(out, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    SetLastError(error);
}

}  // namespace NimboNS
