#include "launcher_process.h"

#include <tlhelp32.h>

namespace launcher_e2e {
namespace {

constexpr wchar_t kMachineWideKey[] = L"Software\\Quillmark\\NimboLauncher\\22.0";

bool CopyInto(const std::wstring& source, const std::wstring& target) {
    return CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
}

// The parent's environment with `overrides` replacing (or adding) variables.
std::wstring EnvironmentBlock(const Environment& overrides) {
    std::wstring block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; *p != L'\0'; p += wcslen(p) + 1) {
        std::wstring entry = p;
        size_t equals = entry.find(L'=', 1);
        std::wstring name = entry.substr(0, equals);
        bool replaced = false;
        for (const auto& [key, value] : overrides)
            if (_wcsicmp(key.c_str(), name.c_str()) == 0) replaced = true;
        if (!replaced) block += entry + L'\0';
    }
    FreeEnvironmentStringsW(strings);
    for (const auto& [key, value] : overrides) block += key + L"=" + value + L'\0';
    block += L'\0';
    return block;
}

}  // namespace

LauncherFolder::LauncherFolder(Ravelin ravelin) {
    wchar_t name[260] = {};
    DWORD size = 260;
    GetUserNameW(name, &size);
    userName_ = name;
    const std::wstring bin = nimbo_test::BinFolder();
    CopyInto(bin + L"\\launcher.exe", launcher());
    if (ravelin == Ravelin::Real) CopyInto(bin + L"\\ravelin.dll", folder_ / L"ravelin.dll");
    if (ravelin == Ravelin::Recording)
        CopyInto(nimbo_test::TestsFolder() + L"\\fake_ravelin\\ravelin.dll", folder_ / L"ravelin.dll");
    WriteConfig("[Server]\r\nNimboLauncher_Port=26571\r\nNimboLauncher_NoSocket=0\r\n");
}

void LauncherFolder::WriteConfig(const std::string& content) const {
    nimbo_test::WriteFileText(folder_ / L"Config.ini", content);
}

void LauncherFolder::WriteFakeSettings(const std::string& content) const {
    nimbo_test::WriteFileText(folder_ / L"fake_ravelin.ini", "[Fake]\r\n" + content);
}

std::vector<std::string> LauncherFolder::Calls() const {
    std::vector<std::string> lines;
    std::string text = nimbo_test::ReadFileText(folder_ / L"calls.log");
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

bool LauncherFolder::WaitForCalls(size_t count, DWORD timeoutMs) const {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (Calls().size() < count) {
        if (GetTickCount64() > deadline) return false;
        Sleep(50);
    }
    return true;
}

Environment LauncherFolder::environment() const {
    return {{L"PATH", L"C:\\windows\\system32;C:\\windows"}};
}

LauncherProcess::LauncherProcess(const LauncherFolder& folder, const std::wstring& arguments,
                                 const Environment& extra) {
    InitializeCriticalSection(&lock_);
    Environment environment = folder.environment();
    for (const auto& variable : extra) environment.push_back(variable);
    const std::wstring block = EnvironmentBlock(environment);

    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd_, &writeEnd, &inherit, 0)) return;
    SetHandleInformation(readEnd_, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = nimbo_test::Quote(folder.launcher());
    if (!arguments.empty()) commandLine += L" " + arguments;
    BOOL ok = CreateProcessW(folder.launcher().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                             CREATE_UNICODE_ENVIRONMENT, const_cast<wchar_t*>(block.c_str()),
                             folder.path().c_str(), &startup, &info);
    CloseHandle(writeEnd);
    CloseHandle(nul);
    if (!ok) return;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    reader_ = CreateThread(nullptr, 0, ReadOutput, this, 0, nullptr);
}

LauncherProcess::~LauncherProcess() {
    if (process_ != nullptr) {
        if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
            TerminateProcess(process_, 259);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
    if (reader_ != nullptr) {
        if (WaitForSingleObject(reader_, 3000) != WAIT_OBJECT_0) CancelSynchronousIo(reader_);
        WaitForSingleObject(reader_, 2000);
        CloseHandle(reader_);
    }
    if (readEnd_ != nullptr) CloseHandle(readEnd_);
    DeleteCriticalSection(&lock_);
}

DWORD WINAPI LauncherProcess::ReadOutput(void* param) {
    auto* self = static_cast<LauncherProcess*>(param);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(self->readEnd_, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        EnterCriticalSection(&self->lock_);
        self->output_.append(buffer, got);
        LeaveCriticalSection(&self->lock_);
    }
    return 0;
}

std::string LauncherProcess::OutputSoFar() {
    EnterCriticalSection(&lock_);
    std::string copy = output_;
    LeaveCriticalSection(&lock_);
    return copy;
}

Result LauncherProcess::Wait(DWORD timeoutMs) {
    Result result;
    if (process_ == nullptr) return result;
    if (WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0) {
        result.finished = true;
    } else {
        TerminateProcess(process_, 259);
        WaitForSingleObject(process_, 5000);
    }
    GetExitCodeProcess(process_, &result.exitCode);
    // Programs the launcher started may hold the output pipe: do not wait for them.
    if (reader_ != nullptr && WaitForSingleObject(reader_, 3000) != WAIT_OBJECT_0)
        CancelSynchronousIo(reader_);
    result.output = OutputSoFar();
    return result;
}

void LauncherProcess::Quit() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == processId_) PostThreadMessageW(entry.th32ThreadID, WM_QUIT, 0, 0);
    CloseHandle(snapshot);
}

Result RunLauncher(const LauncherFolder& folder, const std::wstring& arguments, const Environment& extra,
                   DWORD timeoutMs) {
    LauncherProcess process(folder, arguments, extra);
    return process.Wait(timeoutMs);
}

std::wstring SessionPipeName() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return L"\\\\.\\Pipe\\lanucherpipe" + std::to_wstring(session);
}

bool MutexExists(const std::wstring& name) {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    if (mutex == nullptr) return false;
    CloseHandle(mutex);
    return true;
}

bool WaitUntilServing(const LauncherFolder& folder, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    const std::wstring pipe = SessionPipeName();
    while (!(MutexExists(folder.userName()) && WaitNamedPipeW(pipe.c_str(), 0))) {
        if (GetTickCount64() > deadline) return false;
        Sleep(50);
    }
    return true;
}

std::string WithoutPipeNote(std::string output) {
    static constexpr char kNote[] = "CreatenamePipe failed.\n";
    for (size_t at; (at = output.find(kNote)) != std::string::npos;) output.erase(at, sizeof(kNote) - 1);
    return output;
}

bool MachineWideKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineWideKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

}  // namespace launcher_e2e
