#pragma once
// Windows of one process: other programs under the same display may show windows of the same
// class and title at the same time.
#include <windows.h>

#include <string>

namespace e2e {

// A visible top-level window of process `processId` (this process: 0) with this class and title.
HWND WaitForProcessWindow(DWORD processId, const std::wstring& className, const std::wstring& title,
                          DWORD timeoutMs = 20000);

}  // namespace e2e
