#pragma once
// The run object that ravelin.dll hands out through its export `CreateServiceW`. It crosses the
// DLL boundary, so its operations take only plain values and `const wchar_t*` texts.
namespace NimboNS {

// Receives every browser request text instead of the launch when set (see SetRequestHandler).
using RequestHandler = void (*)(const wchar_t* text);

inline constexpr int kDefaultLauncherPort = 26571;

class IRun {
public:
    virtual ~IRun() = default;
    virtual void Release() = 0;
    // Stores the handler for browser requests and returns it.
    virtual RequestHandler SetRequestHandler(RequestHandler handler) = 0;
    // Runs one launch request on the calling thread: 0 when it succeeded, -1 when it failed.
    virtual int RunApp(const wchar_t* text, int adminInstalled) = 0;
    // Starts the local server that receives requests from web pages; -1 when it is not running.
    virtual int StartServer(int port, int sessionLaunch) = 0;
};

}  // namespace NimboNS
