// Registration of the app's COM components and .NET assemblies with administrator rights,
// through elevlink's command channel, remembered in the app's registration history.
#include <string>
#include <utility>
#include <vector>

#include "Common/elevlink/include/icommand.h"
#include "Launch/ravelin/include/ravelin_resources.h"
#include "catalog.h"
#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "plog/Record.h"
#include "regasm.h"
#include "reghistory.h"
#include "scwconv.h"
#include "updateconfig.h"

namespace NimboNS {

namespace {

constexpr wchar_t kWarningCaption[] = L"Warining";

struct Candidate {
    std::wstring name;  // relative to the app folder, as the file record spells it
    std::wstring hashCode;
    std::wstring fullPath;
    bool unregisterFirst = false;
};

// "Path" and "Name" of a file record the way the registration list spells them.
std::wstring RecordName(const FileRecord& record) {
    std::wstring name = record.Path;
    if (!name.empty() && name.back() != L'\\' && name.back() != L'/') name += L'\\';
    return name + record.Name;
}

// Components named by registerFiles that the loaded document lists as files, in list order.
std::vector<Candidate> FindCandidates(CUpdateConfig& config) {
    std::vector<FileRecord> records;
    config.ReadFileListMember(L"PredownloadFiles", records);
    std::vector<Candidate> candidates;
    for (const std::wstring& entry : config.registerFiles) {
        for (const FileRecord& record : records) {
            std::wstring name = RecordName(record);
            if (_wcsicmp(name.c_str(), entry.c_str()) != 0) continue;
            candidates.push_back({name, record.HashCode, config.GetAppPath() + L"\\" + name});
            break;
        }
    }
    return candidates;
}

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// The cmd interpreter that runs the commands gives '"' no escape, and a control character would
// end the command line early: such a path is never put into an elevated command.
bool CanQuote(const std::wstring& path) {
    if (path.empty()) return false;
    for (wchar_t c : path)
        if (c < 0x20 || c == L'"') return false;
    return true;
}

// The channel lives from the first registration until the history is saved.
class CommandChannel {
public:
    explicit CommandChannel(CUpdateConfig& config) : config_(config) {}
    ~CommandChannel() { Close(); }
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    bool Open() {
        if (config_.commandObject != nullptr) return true;
        ModuleHandle library(LoadLibraryW(names::kElevlinkDll));
        if (!library) return false;
        auto create = reinterpret_cast<Elevlink::CreateCommandObjectFn>(
            reinterpret_cast<void*>(GetProcAddress(library.get(), Elevlink::kCreateCommandObjectExport)));
        Elevlink::ICommand* command = create != nullptr ? create() : nullptr;
        if (command == nullptr) return false;
        if (!command->Open(0)) {
            command->Release();
            return false;
        }
        config_.commandObject = command;
        config_.commandLibrary = library.release();
        return true;
    }

    void Close() {
        if (Elevlink::ICommand* command = std::exchange(config_.commandObject, nullptr)) {
            command->Close();
            command->Release();
        }
        ModuleHandle library(std::exchange(config_.commandLibrary, nullptr));
    }

private:
    CUpdateConfig& config_;
};

// The box asks whether to go on warning; false once the user has chosen Cancel.
bool WarnOfFailure(CUpdateConfig& config, const Candidate& candidate) {
    HMODULE module = config.resourceModule != nullptr ? config.resourceModule : ThisModule();
    std::wstring text = LoadFormattedString(module, IDS_REGISTER_WARNING, candidate.name.c_str());
    if (text.empty())
        text = FormatWide(GetLocalizedMessage(msg::kRegisterFileFailed), candidate.name.c_str());
    return MessageBoxW(nullptr, text.c_str(), kWarningCaption, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDCANCEL;
}

int Execute(CUpdateConfig& config, const std::wstring& command) {
    if (config.commandObject == nullptr) return -1;
    return config.commandObject->Execute(command.c_str(), static_cast<int>(command.size()));
}

void SaveHistory(const std::wstring& file, const CRegistrationHistory& added) {
    CRegistrationHistory history;
    history.Load(file);
    for (const auto& [path, hashCode] : added.Entries()) history.Set(path, hashCode);
    history.Save(file);
}

}  // namespace

void CUpdateConfig::RegisterComponents() {
    if (registerFiles.empty() || GetAppPath().empty()) return;
    std::vector<Candidate> candidates = FindCandidates(*this);

    const std::wstring historyFile = GetAppPath() + L"\\" + GetAppName() + names::kRegHistoryExtension;
    CRegistrationHistory history;
    history.Load(historyFile);
    std::vector<Candidate> work;
    for (Candidate& candidate : candidates) {
        const std::wstring* recorded = history.Find(candidate.fullPath);
        if (recorded != nullptr && *recorded == candidate.hashCode) continue;
        candidate.unregisterFirst = recorded != nullptr;
        work.push_back(std::move(candidate));
    }
    if (work.empty()) return;

    CommandChannel channel(*this);
    if (!channel.Open()) {
        OutputLog(plog::error, GetLocalizedMessage(msg::kElevlinkOpenFailed));
        return;
    }
    CRegistrationHistory added;
    bool showWarnings = true;
    for (const Candidate& candidate : work) {
        bool registered = !candidate.unregisterFirst || RegisterFile(candidate.fullPath, 1) == 0;
        registered = registered && RegisterFile(candidate.fullPath, 0) == 0;
        if (registered)
            added.Set(candidate.fullPath, candidate.hashCode);
        else if (showWarnings)
            showWarnings = WarnOfFailure(*this, candidate);
    }
    channel.Close();
    if (!added.Empty()) SaveHistory(historyFile, added);
}

int CUpdateConfig::RegisterFile(const std::wstring& path, int unregister) {
    if (!CanQuote(path)) {
        OutputLog(plog::error, GetLocalizedMessage(msg::kRegisterFileFailed), path);
        return -1;
    }
    const wchar_t* regsvr32 = unregister ? L"regsvr32 /u /s \"%s\"" : L"regsvr32 /s \"%s\"";
    const int result = Execute(*this, FormatWide(regsvr32, path.c_str()));
    if (result == 0) return 0;

    // Not a COM server: perhaps a .NET assembly.
    const std::wstring regasm = FindRegasm(is64Bit != 0);
    if (regasm.empty()) return result;
    const wchar_t* pattern =
        unregister ? L"%s /u /s /nologo \"%s\" /codebase" : L"%s /s /nologo \"%s\" /codebase";
    const int code = Execute(*this, FormatWide(pattern, regasm.c_str(), path.c_str()));
    if (code != 0) OutputLog(plog::error, GetLocalizedMessage(msg::kRegisterFileFailed), path);
    return code;
}

}  // namespace NimboNS
