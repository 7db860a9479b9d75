#include "command.h"

#include <windows.h>
#include <shlwapi.h>

#include "debugtrace.h"
#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "scwconv.h"

namespace Elevhost {
namespace {

using SharedMemory::DebugTrace;

constexpr size_t kMaxLogRecord = 1024;

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash != nullptr) *slash = L'\0';
    return path;
}

std::wstring LogFolder() {
    return ProgramFolder() + L"\\" + NimboNS::names::kLogFolder;
}

// Failures to write the log are ignored: the exit code still goes back to the client.
void AppendFailureRecord(const std::wstring& commandLine, int exitCode) {
    std::wstring folder = LogFolder();
    if (!PathFileExistsW(folder.c_str())) CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring record = NimboNS::FormatWide(L"%s\r\nExit code: %d\r\n", commandLine.c_str(), exitCode);
    if (record.size() > kMaxLogRecord) record.resize(kMaxLogRecord);
    std::string bytes = NimboNS::WideToAnsi(record);
    NimboNS::FileHandle file(CreateFileW(FailureLogPath().c_str(), FILE_APPEND_DATA,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

std::wstring FailureLogPath() {
    return LogFolder() + L"\\" +
           NimboNS::FormatWide(NimboNS::names::kElevhostLogFormat, static_cast<int>(GetCurrentProcessId()));
}

std::wstring InterpreterPrefix() {
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
        wchar_t path[MAX_PATH] = {};
        UINT length = GetWindowsDirectoryW(path, MAX_PATH);
        if (length > 0 && length < MAX_PATH && PathAppendW(path, L"SysNative\\cmd.exe"))
            return std::wstring(path) + L" /c ";
    }
    return L"cmd /c ";
}

int RunCommand(const std::wstring& command) {
    DebugTrace(L"Start to execute the command: %s.", command.c_str());
    std::wstring commandLine = InterpreterPrefix() + command;
    std::wstring buffer = commandLine;  // CreateProcessW may write into its command line
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info))
        return -1;
    NimboNS::Handle process(info.hProcess);
    NimboNS::Handle thread(info.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    int result = static_cast<int>(exitCode);
    if (result != 0) AppendFailureRecord(commandLine, result);
    return result;
}

CCommand::CCommand()
    : server_(new SharedMemory::CSharedServer(),
              [](SharedMemory::ISharedServer* server) { server->Release(); }) {}

bool CCommand::Open(const std::wstring& name) {
    return server_->Open(name.c_str());
}

int CCommand::PollCommand() {
    if (!server_->IsCommandReady()) {
        if (!server_->IsDisconnected()) return 0;
        DebugTrace(L"Connection disconnected, and the shared memory is closed.");
        server_->CloseAll();
        return -1;
    }
    DebugTrace(L"Reading the command line data.");
    const wchar_t* text = nullptr;
    int length = 0;
    // Only a non-empty text under status 3 is ever run; an empty one is looked at again next time.
    if (server_->ReadData(text, length) <= 0 || text == nullptr || length <= 0) return 0;
    std::wstring command(text, static_cast<size_t>(length));
    int result = RunCommand(command);
    // The data channel still holds the command: signalling 1 over it would hand the client
    // the command text as its result. Leaving ends the channel, and the client sees -1.
    if (!server_->WriteNumber(result)) {
        DebugTrace(L"Connection disconnected, and the shared memory is closed.");
        server_->CloseAll();
        return -1;
    }
    server_->SignalResult();
    DebugTrace(L"Execution result: %d. Waiting for the client to read the execution result...", result);
    return 0;
}

}  // namespace Elevhost
