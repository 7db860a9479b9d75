#include "forwardpipe.h"

#include <cwchar>

#include "diagnostics.h"
#include "nimbo/names.h"
#include "runwith.h"
#include "settings.h"

namespace NimboNS {
namespace {

wchar_t g_pipeName[MAX_PATH] = {};

constexpr wchar_t kMarker[] = L"<@>";
constexpr size_t kMarkerChars = 3;

}  // namespace

void RunForwardedRequest(const wchar_t* text, IRun* run, const std::wstring& configPath) {
    auto* runWith = new CRunWithWebBrowser();
    runWith->Initialize(text, ReadLauncherPort(configPath), run, ReadNoSocket(configPath) ? 1 : 0);
    if (runWith->Run() == -1) PrintDiagnostic("Run error.\n");
    runWith->Release();
}

const wchar_t* ForwardPipeName() {
    return g_pipeName;
}

void SetForwardPipeName(const wchar_t* name) {
    wcsncpy(g_pipeName, name, MAX_PATH - 1);
}

void SetSessionPipeName() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    swprintf(g_pipeName, MAX_PATH, names::kForwardPipeFormat, static_cast<int>(session));
}

bool BuildPipeMessage(int argc, wchar_t** argv, std::wstring& message) {
    message = argc > 1 ? argv[1] : L"";
    message += kMarker;
    for (int i = 2; i < argc; ++i) {
        message += argv[i];
        message += L' ';
    }
    return message.size() + 1 <= kPipeMessageChars;
}

const wchar_t* ForwardedRequestText(const wchar_t* message) {
    if (message == nullptr || _wcsnicmp(message, L"-l", 2) != 0) return nullptr;
    const wchar_t* marker = wcsstr(message, kMarker);
    if (marker == nullptr || wcslen(marker) <= kMarkerChars) return nullptr;
    return marker + kMarkerChars;
}

int ForwardRequest(HANDLE userMutex, bool mutexExisted, int argc, wchar_t** argv) {
    SetSessionPipeName();
    if (userMutex == nullptr || !mutexExisted) return 0;
    SendForward(ForwardPipeName(), argc, argv);
    return 1;
}

void SendForward(const wchar_t* name, int argc, wchar_t** argv) {
    FileHandle pipe;
    while (!pipe) {
        if (!WaitNamedPipeW(name, NMPWAIT_WAIT_FOREVER)) {
            PrintDiagnostic("Wait namepipe failed.\n");
            return;
        }
        pipe.reset(
            CreateFileW(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        // Another forwarder took the instance that became free: wait for the next one.
        if (!pipe && GetLastError() != ERROR_PIPE_BUSY) {
            PrintDiagnostic("Open namepipe failed.\n");
            return;
        }
    }
    // A message that does not fit is not sent at all: a cut request could run something else.
    std::wstring message;
    DWORD written = 0;
    if (!BuildPipeMessage(argc, argv, message) ||
        !WriteFile(pipe.get(), message.c_str(), static_cast<DWORD>((message.size() + 1) * sizeof(wchar_t)),
                   &written, nullptr))
        PrintDiagnostic("Writefile to pipe failed.\n");
}

PipeSecurity::PipeSecurity() {
    Handle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return;
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return;
    std::vector<BYTE> tokenUser(size);
    if (!GetTokenInformation(token.get(), TokenUser, tokenUser.data(), size, &size)) return;
    PSID user = reinterpret_cast<TOKEN_USER*>(tokenUser.data())->User.Sid;
    userSid_.assign(static_cast<BYTE*>(user), static_cast<BYTE*>(user) + GetLengthSid(user));

    DWORD systemSize = SECURITY_MAX_SID_SIZE;
    systemSid_.resize(systemSize);
    if (!CreateWellKnownSid(WinLocalSystemSid, nullptr, systemSid_.data(), &systemSize)) return;
    systemSid_.resize(systemSize);

    const DWORD aclSize = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) +
                          static_cast<DWORD>(userSid_.size() + systemSid_.size());
    acl_.resize(aclSize);
    auto* acl = reinterpret_cast<ACL*>(acl_.data());
    if (!InitializeAcl(acl, aclSize, ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, userSid_.data()) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, systemSid_.data()))
        return;
    if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE))
        return;
    attributes_.nLength = sizeof(attributes_);
    attributes_.lpSecurityDescriptor = &descriptor_;
    // Not inheritable: programs started by the launch must not hold the pipe.
    attributes_.bInheritHandle = FALSE;
    ok_ = true;
}

FileHandle CreateForwardPipeInstance(const wchar_t* name) {
    PipeSecurity security;
    if (!security.ok()) return FileHandle();
    return FileHandle(
        CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                         PIPE_UNLIMITED_INSTANCES, 0, 0, NMPWAIT_WAIT_FOREVER, security.attributes()));
}

bool ServeOneForward(const wchar_t* name, FileHandle& pipe, IRun* run, const std::wstring& configPath) {
    Sleep(10);
    // Room for the longest message the client sends, and a terminator that is never overwritten.
    std::vector<wchar_t> buffer(kPipeMessageChars + 1, L'\0');
    if (!pipe) pipe = CreateForwardPipeInstance(name);
    if (!pipe) {
        PrintDiagnostic("CreatenamePipe failed.\n");
        return false;
    }
    // A client may connect between the creation and this call; it is served like any other.
    if (ConnectNamedPipe(pipe.get(), nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
        PrintDiagnostic("connect sucess.\n");
        DWORD got = 0;
        if (ReadFile(pipe.get(), buffer.data(), static_cast<DWORD>(kPipeMessageChars * sizeof(wchar_t)), &got,
                     nullptr)) {
            if (const wchar_t* text = ForwardedRequestText(buffer.data()))
                RunForwardedRequest(text, run, configPath);
        }
    }
    FlushFileBuffers(pipe.get());
    DisconnectNamedPipe(pipe.get());
    // The next instance is made before this one is closed: with no instance at all the name would
    // vanish, and a forwarder already waiting for the pipe would give up instead of being served.
    pipe = CreateForwardPipeInstance(name);
    return true;
}

DWORD WINAPI PipeServerThread(void* run) {
    try {
        const std::wstring configPath = LauncherConfigPath();
        FileHandle pipe;
        while (ServeOneForward(ForwardPipeName(), pipe, static_cast<IRun*>(run), configPath)) {
        }
    } catch (...) {
    }
    return static_cast<DWORD>(-1);
}

}  // namespace NimboNS
