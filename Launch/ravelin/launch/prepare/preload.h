#pragma once
// The app's preload commands, run in the app folder through elevlink's command object (with
// administrator rights when the app asks for them).
#include <string>

#include "nimbo/handle.h"

namespace Elevlink {
class ICommand;
}

namespace NimboNS {

class LaunchLog;

// elevlink loaded by name and its command object; both let go at the end of its life.
class CommandChannel {
public:
    CommandChannel() = default;
    ~CommandChannel();
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    // Loads the library, creates the command object and opens it: elevated ("runas") or not
    // ("open"). False when any of these fails.
    bool Open(const std::wstring& library, bool elevated, LaunchLog& log);
    // The command's exit code, or -1.
    int Execute(const std::wstring& command);
    // Closes and releases the command object and frees the library.
    void Close();

private:
    ModuleHandle library_;
    Elevlink::ICommand* command_ = nullptr;
    bool opened_ = false;
};

// Runs every non-empty line of `commands` in `appFolder`; exit codes are logged, not acted on.
void RunPreloadCommands(const std::wstring& commands, const std::wstring& appFolder, bool elevated,
                        const std::wstring& library, LaunchLog& log);

}  // namespace NimboNS
