#pragma once
// NimboSample's side of the app start contract: the command line the launcher builds, the ready
// event whose name arrives on standard input, and the cookie hand-over file.
#include <windows.h>

#include <string>

namespace NimboSample {

struct StartInfo {
    std::wstring arguments;   // what came between the program name and " -cookies "
    std::wstring cookieFile;  // the hand-over file's name (in %LOCALAPPDATA%\Temp), or empty
    DWORD autoCloseMs = 0;    // "-autoclose=N" among the arguments: close after N ms (for tests)
};

// commandLine: the whole command line, program name first (GetCommandLineW).
StartInfo ParseCommandLine(const std::wstring& commandLine);

// The version in use: "appdeployversion" of kxapp.ini in folder (the launcher writes it), else
// the first line of version.txt in folder, else "unknown".
std::wstring ReadVersion(const std::wstring& folder);

// Reads the cookie hand-over file through kxcrypt and deletes it, as the launcher's cookie store
// does on import. kxcrypt.dll is loaded by name, else from beside the launcher named in
// kxapp.ini of `folder`. Returns false with a reason when it cannot.
bool TakeCookieFile(const std::wstring& name, const std::wstring& folder, std::string& cookies,
                    std::wstring& error);

// Reads the ready event's name from the launcher's pipe (UTF-16, no terminator). Blocks until the
// launcher writes; false when standard input is not a pipe or the read fails.
bool ReadReadyEventName(HANDLE input, std::wstring& name);

// Opens and signals the named event; false when it does not exist.
bool SignalReady(const std::wstring& name);

// What the sample saw, as "key=value" lines in NimboSample.report.txt (UTF-8) in folder.
struct Report {
    std::wstring version, arguments, cookieFile, readyEvent, error;
    std::string cookies;
    bool signalled = false;
    bool closed = false;  // written last, when the window goes
};
void WriteReport(const std::wstring& folder, const Report& report);

}  // namespace NimboSample
