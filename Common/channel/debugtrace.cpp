#include "debugtrace.h"

#include <windows.h>

#include <cstdarg>

#include "scwconv.h"

namespace SharedMemory {

void DebugTrace(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = NimboNS::FormatWideV(format, args);
    va_end(args);
    OutputDebugStringW(text.c_str());
}

}  // namespace SharedMemory
