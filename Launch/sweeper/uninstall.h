#pragma once
// The uninstall worker: removes one app folder on a thread of its own and reports to the
// progress dialog with posted messages and a queue of status texts.
#include <windows.h>

#include <string>

namespace NimboNS {

// Posted by the worker to the dialog.
inline constexpr UINT UM_STATUS = 0x1401;    // take the next queued text
inline constexpr UINT UM_DONE = 0x1402;      // finished; the final text is queued
inline constexpr UINT UM_FAILED = 0x1403;    // stopped; the final text is queued
inline constexpr UINT UM_PROGRESS = 0x1404;  // lParam != 0: range 0..lParam at wParam; 0: one step

// GetErrorCode() values.
inline constexpr int kUninstallOk = 0;
inline constexpr int kUninstallFileInUse = 1;
inline constexpr int kUninstallAppNotFound = 2;

class IUninstall {
public:
    virtual ~IUninstall() = default;
    virtual void Release() = 0;
    virtual void SetWindow(HWND window) = 0;
    virtual void SetFolder(const std::wstring& folder) = 0;
    virtual std::wstring GetAppName() = 0;
    // Starts the worker; a process runs it once.
    virtual bool Start() = 0;
    virtual int GetErrorCode() = 0;
    // Removes and returns the oldest queued text; empty when there is none.
    virtual std::wstring PopMessage() = 0;
};

// The process-wide worker, created on first use; Release() ends it.
IUninstall* GetUninstall();

}  // namespace NimboNS
