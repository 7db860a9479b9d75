#pragma once
// The app's standard handles and its ready event: pipe 1 carries the event's name to the app's
// standard input, pipe 2 takes its standard output and error; the app signals the event when it
// is ready.
#include <windows.h>

#include <string>

#include "nimbo/handle.h"

namespace NimboNS {

// "Global\{C87147CD-1248-4002-A0CD-18FACD71FF85}_" followed by this process's id.
std::wstring ReadyEventName();

class StartPipes {
public:
    // Creates both pipes (none of their handles inheritable), the ready event and the
    // inheritable copies the app gets. False when any of it fails.
    bool Create(const std::wstring& eventName);
    // The inheritable copies for the app's standard input, output and error.
    HANDLE childInput() const { return childInput_.get(); }
    HANDLE childOutput() const { return childOutput_.get(); }
    HANDLE childError() const { return childError_.get(); }
    // After the app was created (it holds its own copies).
    void CloseChildCopies();

    // Writes the event's name (UTF-16, without terminator) to the app's standard input.
    bool WriteEventName();
    HANDLE readyEvent() const { return readyEvent_.get(); }
    // Reads and drops what the app has written to its standard output and error, so that an
    // app that writes more than the pipe holds does not stop.
    void DrainOutput();
    void Close();

private:
    std::wstring eventName_;
    FileHandle inputRead_, inputWrite_, outputRead_, outputWrite_;
    FileHandle childInput_, childOutput_, childError_;
    Handle readyEvent_;
};

}  // namespace NimboNS
