#pragma once
// Helpers for tests that drive real programs and real windows under Wine.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace nimbo_test {

// The folder laid out as installed (launcher.exe, ravelin.dll, ...): <build>/bin.
std::wstring BinFolder();
// The folder of the test programs: <build>/tests.
std::wstring TestsFolder();

struct ProgramResult {
    bool started = false;
    bool finished = false;  // false when the time-out ended the wait (the process was then killed)
    DWORD exitCode = 0;
    std::string output;  // standard output and standard error together
};

// Starts `commandLine` (program path first) and waits for it, capturing what it prints.
ProgramResult RunProgram(const std::wstring& commandLine, DWORD timeoutMs = 30000,
                         const std::wstring& workingFolder = L"");

// Starts a program without waiting; the caller owns the returned process handle.
HANDLE StartProgram(const std::wstring& commandLine, const std::wstring& workingFolder = L"");

// Asks `condition` again and again until it holds (true) or the time is up (false).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Waits for a visible top-level window by class and/or title (either may be empty).
HWND WaitForWindow(const std::wstring& className, const std::wstring& title, DWORD timeoutMs = 15000);

// Presses a button of a dialog or message box the way a person would: the window comes to the
// front, the button gets the focus and is clicked. `button` is a control id (IDOK, IDYES, ...).
bool PressButton(HWND dialog, int buttonId);
// Same, finding the button by its caption (ampersands ignored).
bool PressButtonByText(HWND dialog, const std::wstring& caption);
// All texts of the static controls of a dialog (what a message box says).
std::wstring DialogText(HWND dialog);

// Saves the whole screen as a PNG under <build>/tests/screenshots/<name>.png; returns the path.
std::wstring TakeScreenshot(const std::wstring& name);

// A fresh folder under the temporary folder, deleted with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

bool WriteFileText(const std::wstring& path, const std::string& bytes);
std::string ReadFileText(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
std::wstring Quote(const std::wstring& text);

}  // namespace nimbo_test
