#pragma once
// The named pipe through which a second launcher of a Windows session hands its command line
// to the launcher that already serves the session.
#include <windows.h>

#include <string>
#include <vector>

#include "irun.h"
#include "nimbo/handle.h"

namespace NimboNS {

// Longest message in wide characters, terminator included.
inline constexpr size_t kPipeMessageChars = 4096;

// The process-wide pipe name: written by the forwarding client (or before the server starts),
// read by the server thread. Empty until then.
const wchar_t* ForwardPipeName();
void SetForwardPipeName(const wchar_t* name);
// "\\.\Pipe\lanucherpipe<session id of this process>".
void SetSessionPipeName();

// argv[1], "<@>", then every further argument followed by one space. False when the message
// with its terminator would not fit kPipeMessageChars.
bool BuildPipeMessage(int argc, wchar_t** argv, std::wstring& message);
// The request text of a received message (everything after "<@>"), or null when the message
// is no forwarded request: it must start with "-l" (any case) and hold text after the marker.
const wchar_t* ForwardedRequestText(const wchar_t* message);

// Runs a request the way a forwarded one runs (CRunWithWebBrowser with the settings of
// `configPath`): the text when there is one, then the local server; "Run error.\n" on failure.
void RunForwardedRequest(const wchar_t* text, IRun* run, const std::wstring& configPath);

// Forwarding client. Always sets this session's pipe name; forwards only when the user-name
// mutex existed already. 1 when it tried to forward, 0 otherwise.
int ForwardRequest(HANDLE userMutex, bool mutexExisted, int argc, wchar_t** argv);
// Writes the message for argv to pipe `name`, printing what failed.
void SendForward(const wchar_t* name, int argc, wchar_t** argv);

// Security attributes of the pipe: only this user and SYSTEM may open it (never a null DACL,
// which would let any user of the machine have this user's launcher start programs).
class PipeSecurity {
public:
    PipeSecurity();
    PipeSecurity(const PipeSecurity&) = delete;
    PipeSecurity& operator=(const PipeSecurity&) = delete;
    bool ok() const { return ok_; }
    SECURITY_ATTRIBUTES* attributes() { return ok_ ? &attributes_ : nullptr; }

private:
    std::vector<BYTE> userSid_;
    std::vector<BYTE> systemSid_;
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool ok_ = false;
};

// One server instance of the pipe; empty when it cannot be created.
FileHandle CreateForwardPipeInstance(const wchar_t* name);

// Serves one connection completely (the launch and the server start included) on `pipe`, an
// instance of pipe `name` that is created first when empty, and leaves the next instance in
// `pipe`. False when no pipe instance could be created.
bool ServeOneForward(const wchar_t* name, FileHandle& pipe, IRun* run, const std::wstring& configPath);
// Thread procedure (parameter: the IRun): serves forwards one at a time on ForwardPipeName()
// until a pipe instance cannot be created; returns -1.
DWORD WINAPI PipeServerThread(void* run);

}  // namespace NimboNS
