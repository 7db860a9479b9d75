#pragma once
// The collaborators of one launch (CRunApp) behind their interfaces, and the system actions it
// takes, so that each stage can be replaced and watched on its own.
#include <windows.h>

#include <functional>
#include <string>

namespace NimboNS {

class IUpdate;
class ICookieManager;

// The connection a request came over (the socket of a WebSocket connection); kNoConnection for
// a request from the command line.
using Connection = UINT_PTR;
inline constexpr Connection kNoConnection = 0;
// Sends one text reply on a connection (a WebSocket text frame).
using ReplyFunction = void (*)(Connection connection, const char* bytes, int length);

// Prepares an updated app for its start: the bitness check, the runtime path file, the app
// configuration document, the app settings file with its preload commands, the uninstall
// program and the shortcuts.
class IAppPreparation {
public:
    virtual ~IAppPreparation() = default;
    virtual void Release() = 0;
    // 1 when the app's program can run on this machine; on 0 the user has been told why not.
    virtual int CheckProgramBitness() = 0;
    // Writes the runtime path file, reads the app configuration document, writes the app settings
    // file and runs the preload commands; 1 when the first two were handled.
    virtual int PrepareSettings() = 0;
    virtual void CopyUninstallProgram() = 0;
    virtual void MakeShortcuts() = 0;
    // Writes the shortcut states into the app settings file.
    virtual void RecordShortcutStates() = 0;
};

// Starts the app's program and shows the welcome window until the app is ready. StartApp runs on
// a thread of its own that may outlive the launch; the object must own or copy everything it
// uses there, except the cookie store, which the launch hands over together with it.
class IAppStart {
public:
    virtual ~IAppStart() = default;
    virtual void Release() = 0;
    virtual void StartApp(ICookieManager* cookies) = 0;
};

// What the hand-over to the launcher installer needs from the update configuration.
struct LauncherInstaller {
    std::wstring installerPath;    // the downloaded launcher installer
    std::wstring appUrl;           // the app URL of the request
    std::wstring extraParameters;  // further installer parameters of the launcher setup document
};

// Everything a launch works with. The launch owns and releases the objects; a null object is a
// stage that does not exist, and a launch that needs it fails.
struct LaunchParts {
    IUpdate* update = nullptr;
    ICookieManager* cookies = nullptr;
    IAppPreparation* preparation = nullptr;
    IAppStart* start = nullptr;
    // Fills in the launcher installer after an update that asked for the hand-over.
    std::function<bool(LauncherInstaller&)> launcherInstaller;

    // System actions, replaceable to watch them.
    std::function<bool(const std::wstring& file, const std::wstring& parameters)> openInstaller;
    std::function<void(UINT exitCode)> endProcess;
    // How long the launch waits for the app start before it returns (the start goes on).
    DWORD appStartWaitMs = 600 * 100;
};

// The parts of a real launch; stages that are not part of this build stay null.
LaunchParts CreateLaunchParts(int adminInstalled);
// Fills in the system actions that are not set: ShellExecuteW with "open" and ExitProcess.
void SetDefaultSystemActions(LaunchParts& parts);

}  // namespace NimboNS
