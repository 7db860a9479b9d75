#pragma once
// Runs copies of launcher.exe as real processes: each test gets a folder of its own with the
// program, a ravelin.dll (the real one, a recording stand-in, or none) and its Config.ini.
// Under Wine the user name a process sees is the USER of the Unix environment Wine was started
// with: the test programs are started with a USER of their own (SYSTEM for service control), and
// the launchers they start inherit it.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "harness.h"

namespace launcher_e2e {

using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

enum class Ravelin { Recording, Real, Missing };

class LauncherFolder {
public:
    explicit LauncherFolder(Ravelin ravelin);
    const std::wstring& path() const { return folder_.path(); }
    std::wstring launcher() const { return folder_ / L"launcher.exe"; }
    std::wstring operator/(const std::wstring& name) const { return folder_ / name; }

    void WriteConfig(const std::string& content) const;
    // [Fake] settings of the recording ravelin: RunAppResult, RunAppDelayMs, StartServerResult, ReturnNull.
    void WriteFakeSettings(const std::string& content) const;
    // What the recording run objects were asked, one line per call.
    std::vector<std::string> Calls() const;
    bool WaitForCalls(size_t count, DWORD timeoutMs = 15000) const;
    // The environment of this folder's launchers: no search path to the build's bin folder, so
    // that only this folder's ravelin.dll can load.
    Environment environment() const;
    // The user name this test program and its launchers run under.
    const std::wstring& userName() const { return userName_; }

private:
    nimbo_test::TempFolder folder_;
    std::wstring userName_;
};

struct Result {
    bool finished = false;
    DWORD exitCode = 0;
    std::string output;
};

constexpr DWORD kFailed = static_cast<DWORD>(-1);

// A launcher process with its standard output captured.
class LauncherProcess {
public:
    LauncherProcess(const LauncherFolder& folder, const std::wstring& arguments,
                    const Environment& extra = {});
    ~LauncherProcess();
    LauncherProcess(const LauncherProcess&) = delete;
    LauncherProcess& operator=(const LauncherProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return processId_; }
    // Waits for the end; the process is killed when the time runs out (finished stays false).
    Result Wait(DWORD timeoutMs = 30000);
    // Posts WM_QUIT to every thread of the process (ends its message loop).
    void Quit();
    std::string OutputSoFar();

private:
    static DWORD WINAPI ReadOutput(void* self);
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HANDLE readEnd_ = nullptr;
    HANDLE reader_ = nullptr;
    CRITICAL_SECTION lock_;
    std::string output_;
};

Result RunLauncher(const LauncherFolder& folder, const std::wstring& arguments, const Environment& extra = {},
                   DWORD timeoutMs = 30000);

// The forwarding pipe of this Windows session.
std::wstring SessionPipeName();
// Waits until `folder`'s user has a serving launcher: its user-name mutex and the pipe exist.
bool WaitUntilServing(const LauncherFolder& folder, DWORD timeoutMs = 15000);
bool MutexExists(const std::wstring& name);
// The diagnostics minus the pipe thread's note that it has no pipe (printed by every "-u" run
// that lasts long enough).
std::string WithoutPipeNote(std::string output);

// The registry key of a machine-wide installation (32-bit view, as launcher.exe sees it).
bool MachineWideKeyExists();

}  // namespace launcher_e2e
