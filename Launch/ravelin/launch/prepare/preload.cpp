#include "preload.h"

#include "Common/elevlink/include/icommand.h"
#include "launchlog.h"
#include "launchtext.h"
#include "scwconv.h"

namespace NimboNS {

CommandChannel::~CommandChannel() {
    Close();
}

bool CommandChannel::Open(const std::wstring& library, bool elevated, LaunchLog& log) {
    Close();
    library_.reset(LoadLibraryW(library.c_str()));
    auto create = library_ ? reinterpret_cast<Elevlink::CreateCommandObjectFn>(reinterpret_cast<void*>(
                                 GetProcAddress(library_.get(), Elevlink::kCreateCommandObjectExport)))
                           : nullptr;
    if (create == nullptr) {
        log.Write(LaunchLog::kError,
                  FormatWide(L"The preload commands cannot run: %s cannot be loaded.", library.c_str()));
        Close();
        return false;
    }
    command_ = create();
    opened_ = command_ != nullptr && command_->Open(elevated ? 0 : 1);
    if (!opened_) {
        log.Write(LaunchLog::kError, L"The preload commands cannot run: the command channel does not open.");
        Close();
    }
    return opened_;
}

int CommandChannel::Execute(const std::wstring& command) {
    if (!opened_) return -1;
    return command_->Execute(command.c_str(), static_cast<int>(command.size()));
}

void CommandChannel::Close() {
    if (command_ != nullptr) {
        if (opened_) command_->Close();
        command_->Release();
        command_ = nullptr;
    }
    opened_ = false;
    library_.reset();
}

void RunPreloadCommands(const std::wstring& commands, const std::wstring& appFolder, bool elevated,
                        const std::wstring& library, LaunchLog& log) {
    if (commands.empty()) return;
    CommandChannel channel;
    if (!channel.Open(library, elevated, log)) return;
    for (const std::wstring& line : SplitCommandLines(commands)) {
        const int exitCode = channel.Execute(PreloadCommand(appFolder, line));
        log.Write(exitCode == 0 ? LaunchLog::kInfo : LaunchLog::kWarning,
                  FormatWide(L"Preload command: %s; exit code: %d.", line.c_str(), exitCode));
    }
    channel.Close();
}

}  // namespace NimboNS
