#pragma once
// installpanel's own set-up log: UTF-16 entries appended to "installpanel.log", shared with every
// other writer of the file.
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>

namespace NimboNS::installpanel {

enum LogType { kLogInfo = 1, kLogWarning = 2, kLogError = 3 };

class CSetupLog {
public:
    using OpenFailureFn = std::function<void(const std::wstring& message)>;

    // Without a failure function a failed open is reported in a message box captioned "Error".
    explicit CSetupLog(std::wstring path = {}, OpenFailureFn onOpenFailure = nullptr);

    void SetPath(std::wstring path);
    std::wstring Path() const;
    void WriteLogLine(const std::wstring& text, int type);

private:
    bool Append(const std::wstring& entry);

    mutable std::mutex lock_;
    std::wstring path_;
    OpenFailureFn onOpenFailure_;
    bool firstEntry_ = true;
};

// "installpanel.log" in the user's Quillmark set-up log folder (created when missing), or in the
// temporary folder when the local application data folder cannot be found.
std::wstring DefaultSetupLogPath();

// The process's log, used by everything below.
CSetupLog& SetupLog();
void WriteLogLine(const std::wstring& text, int type = kLogInfo);
void LogFormat(int type, const wchar_t* pattern, ...);
// The text followed by the system's message for `code`, as an error entry.
void LogSystemError(const std::wstring& text, DWORD code);
std::wstring SystemErrorText(DWORD code);
// Creates a folder and every missing folder above it, one level at a time.
bool CreateFolderTree(const std::wstring& folder);

}  // namespace NimboNS::installpanel
