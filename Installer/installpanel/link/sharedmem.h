#pragma once
// The small named shared memory through which installpanel answers the installer: one
// zero-terminated UTF-16 text at a time in 600 bytes.
#include <windows.h>

#include <string>

#include "nimbo/handle.h"

// windows.h makes ZeroMemory a macro; here it is the name of an operation.
#undef ZeroMemory

namespace NimboNS::installpanel {

inline constexpr DWORD kSharedMemBytes = 600;
inline constexpr size_t kSharedMemChars = kSharedMemBytes / sizeof(wchar_t);

class CPanelSharedMemory {
public:
    CPanelSharedMemory() = default;
    // Creates (or opens the installer's) mapping, zeroes it and writes "0001"; an empty name only
    // logs that no shared memory is wanted.
    bool Create(const std::wstring& name);
    void Close();
    bool IsOpen() const { return static_cast<bool>(view_); }

    // The text with its terminating zero; a text longer than the memory holds is cut.
    void OutputSharedMem(const std::wstring& text);
    // The text up to its zero, never reading past the 600 bytes.
    std::wstring ReadFromSharedMem();
    void ZeroMemory();

private:
    wchar_t* Chars() const { return static_cast<wchar_t*>(view_.get()); }

    Handle mapping_;
    MappedView view_;
};

}  // namespace NimboNS::installpanel
