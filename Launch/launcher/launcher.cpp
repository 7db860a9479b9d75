#include "launcher.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "diagnostics.h"
#include "forwardpipe.h"
#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "processorcheck.h"
#include "ravelin_export.h"
#include "runwith.h"
#include "service.h"
#include "settings.h"

namespace NimboNS {
namespace {

constexpr DWORD kUserNameChars = 260;

bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix) {
    return _wcsnicmp(text, prefix, wcslen(prefix)) == 0;
}

std::wstring CurrentUserName() {
    wchar_t name[kUserNameChars] = {};
    DWORD size = kUserNameChars;
    if (!GetUserNameW(name, &size)) return {};
    return name;
}

bool MachineWideInstallation() {
    KeyHandle key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, names::kRegistryKey, 0, KEY_QUERY_VALUE, key.put()) ==
           ERROR_SUCCESS;
}

// True when another process holds "Global\ravelin".
bool AnotherInstanceRuns() {
    Handle probe(CreateMutexW(nullptr, FALSE, names::kInstanceMutex));
    if (probe && GetLastError() == ERROR_ALREADY_EXISTS) return true;
    if (probe) ReleaseMutex(probe.get());
    return false;
}

// Arguments 2 to n joined with single spaces; none with fewer than three arguments.
bool JoinRequest(int argc, wchar_t** argv, std::wstring& text) {
    if (argc <= 2) return false;
    text = argv[2];
    for (int i = 3; i < argc; ++i) {
        text += L' ';
        text += argv[i];
    }
    return true;
}

// ravelin's factory, or null when the library or its export is missing. The library stays
// loaded for the life of the process: the pipe thread may still run its code.
CreateServiceFn LoadRunFactory() {
    HMODULE ravelin = LoadLibraryW(names::kRavelinDll);
    if (ravelin == nullptr) return nullptr;
    return reinterpret_cast<CreateServiceFn>(
        reinterpret_cast<void*>(GetProcAddress(ravelin, kCreateServiceExport)));
}

void PumpMessages() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int RunShortCut(IRun* run, int argc, wchar_t** argv, int adminInstalled) {
    std::wstring text;
    const bool hasText = JoinRequest(argc, argv, text);
    auto* runWith = new CRunWithShortCut(adminInstalled);
    runWith->Initialize(hasText ? text.c_str() : nullptr, ReadLauncherPort(LauncherConfigPath()), run, 0);
    const int result = runWith->Run();
    run->Release();
    runWith->Release();
    return result;
}

// Runs the request at once: SYSTEM, or a user of a machine-wide installation.
int DirectRun(int argc, wchar_t** argv) {
    CreateServiceFn create = LoadRunFactory();
    IRun* run = create != nullptr ? create() : nullptr;
    if (run == nullptr) return -1;
    return RunShortCut(run, argc, argv, 1);
}

int ServiceDispatch(int argc, wchar_t** argv, CWinService* service) {
    DWORD error = GetLastError();
    if (argc >= 2 && argv[1][0] == L'-') {
        if (RunServiceCommand(argv[1], argc, argv)) {
            error = GetLastError();
        } else if (StartsWithNoCase(argv[1], L"-u")) {
            service->Release();
            return DirectRun(argc, argv);
        }
    }
    service->Release();
    return static_cast<int>(error);
}

// The session's serving launcher: holds the user-name mutex, answers forwarded requests on its
// pipe thread, runs its own request as a forwarded one (the text, then the local server) and
// pumps messages (the local server's timer runs on this thread) until it is told to quit. The
// run object is not released afterwards: the pipe thread may be in the middle of a request with
// it when the process ends.
int Serve(IRun* run, Handle& userMutex, int argc, wchar_t** argv) {
    Handle(CreateThread(nullptr, 0, PipeServerThread, run, 0, nullptr));
    std::wstring text;
    const bool hasText = JoinRequest(argc, argv, text);
    RunForwardedRequest(hasText ? text.c_str() : nullptr, run, LauncherConfigPath());
    PumpMessages();
    ReleaseMutex(userMutex.get());
    userMutex.reset();
    return 0;
}

// Creates the user-name mutex; true when it existed already (another launcher serves). A plain
// "-launcher" looks a little longer: the serving launcher that handed its port over to this one
// ends right after starting it, and a forward of "-launcher" alone would be dropped.
bool ClaimUserMutex(const std::wstring& userName, bool handOver, Handle& userMutex) {
    constexpr int kHandOverTries = 20;
    constexpr DWORD kHandOverPauseMs = 100;
    for (int attempt = 0;; ++attempt) {
        userMutex.reset(CreateMutexW(nullptr, FALSE, userName.c_str()));
        const bool existed = userMutex && GetLastError() == ERROR_ALREADY_EXISTS;
        if (!existed || !handOver || attempt + 1 >= kHandOverTries) return existed;
        userMutex.reset();
        Sleep(kHandOverPauseMs);
    }
}

int UserPath(const std::wstring& userName, int argc, wchar_t** argv) {
    const bool firstIsRun = argc >= 2 && StartsWithNoCase(argv[1], L"-u");
    if (firstIsRun && MachineWideInstallation()) return ServiceDispatch(argc, argv, new CWinService());
    if (!firstIsRun && AnotherInstanceRuns()) return 0;
    if (argc < 2) {
        PrintDiagnostic("Invalid Parameter.\n");
        return -1;
    }

    bool keepsRequest = false;
    for (int i = 1; i < argc; ++i)
        if (StartsWithNoCase(argv[i], L"-debug") || StartsWithNoCase(argv[i], L"-u")) keepsRequest = true;
    Handle userMutex;
    if (!keepsRequest) {
        const bool existed = ClaimUserMutex(userName, _wcsicmp(argv[1], L"-launcher") == 0, userMutex);
        if (ForwardRequest(userMutex.get(), existed, argc, argv)) return 0;
    }

    CreateServiceFn create = LoadRunFactory();
    if (create == nullptr) return 0;
    IRun* run = create();
    if (run == nullptr) {
        PumpMessages();
        if (userMutex) ReleaseMutex(userMutex.get());
        return 0;
    }

    if (!firstIsRun) {
        // "-l" ("-launcher" at logon) makes this process the session's serving launcher when no
        // other serves it.
        if (userMutex && StartsWithNoCase(argv[1], L"-l")) return Serve(run, userMutex, argc, argv);
        // Not forwarded and not ours to run. No pipe thread is started: the run object goes now.
        PrintDiagnostic("parameter error.");
        userMutex.reset();
        run->Release();
        return -1;
    }

    // The pipe name is empty on this path, so the thread ends at once and never uses the run
    // object; it only reports that it has no pipe.
    Handle(CreateThread(nullptr, 0, PipeServerThread, run, 0, nullptr));
    const int result = RunShortCut(run, argc, argv, 0);
    if (result == -1) {
        PrintDiagnostic("Run userapp error.");
        return -1;
    }
    return 0;
}

}  // namespace

int LauncherMain(int argc, wchar_t** argv) {
    CheckProcessor();
    const std::wstring userName = CurrentUserName();
    if (userName == L"SYSTEM") return ServiceDispatch(argc, argv, new CWinService());
    return UserPath(userName, argc, argv);
}

}  // namespace NimboNS
