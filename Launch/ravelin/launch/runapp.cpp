#include "runapp.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "handover.h"
#include "nimbo/handle.h"
#include "process/startprogram.h"
#include "nimbo/icookiemanager.h"
#include "objectmodel.h"
#include "ravelin_resources.h"
#include "requesttext.h"
#include "update/iupdate.h"

namespace NimboNS {
namespace {

constexpr size_t kReplyBufferBytes = 520;

// The module that holds this code and so the reply texts: ravelin.dll, or a program that
// links the launch in directly.
HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::string ToThreadAnsi(const wchar_t* text, int length) {
    int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

// The app start and the cookie store it uses belong to this job once the start thread runs;
// whichever of the thread and the launch lets go last releases them, so a start that outlives
// the launch's wait still has what it uses.
struct AppStartJob {
    IAppStart* start;
    ICookieManager* cookies;
    LONG holders = 2;

    void LetGo() {
        if (InterlockedDecrement(&holders) != 0) return;
        ReleaseObject(start);
        ReleaseObject(cookies);
        delete this;
    }
};

DWORD WINAPI AppStartThread(void* param) {
    auto* job = static_cast<AppStartJob*>(param);
    try {
        job->start->StartApp(job->cookies);
    } catch (...) {
    }
    job->LetGo();
    return 0;
}

}  // namespace

CRunApp::CRunApp(int adminInstalled) : CRunApp(adminInstalled, CreateLaunchParts(adminInstalled)) {}

CRunApp::CRunApp(int adminInstalled, LaunchParts parts)
    : parts_(std::move(parts)), adminInstalled_(adminInstalled) {
    SetDefaultSystemActions(parts_);
}

CRunApp::~CRunApp() {
    ReleaseObject(parts_.update);
    ReleaseObject(parts_.cookies);
    ReleaseObject(parts_.preparation);
    ReleaseObject(parts_.start);
}

int CRunApp::Launch(const wchar_t* text, Connection connection, ReplyFunction reply) {
    connection_ = connection;
    reply_ = reply;
    const std::wstring request = text != nullptr ? text : L"";

    if (!HasWebScheme(request)) {
        if (connection == kNoConnection) return StartCommandLine(request);
        // Text that came over the socket is never run as a command line: the socket accepts
        // connections on every local address, so anyone reaching it could start programs as
        // this user.
        Reply(IDS_FINISH);
        return -1;
    }

    std::wstring appUrl = PercentDecode(request);
    const std::wstring cookie = TakeCookieOption(appUrl);
    if (parts_.cookies != nullptr) parts_.cookies->SetCookieText(cookie.c_str(), GetTickCount());
    Reply(IDS_CHECK_FOR_UPDATES);
    debug_ = TakeDebugOption(appUrl) ? 1 : 0;

    const int result = RunUpdate(appUrl);
    Reply(result == IUpdate::kUpdateSucceeded    ? IDS_UPDATE_DOWNLOADED
          : result == IUpdate::kLauncherReplaced ? IDS_READY_TO_DOWNLOAD_LAUNCHER
                                                 : IDS_UPDATE_DOWNLOAD_FAILED);
    bool succeeded = false;
    if (result == IUpdate::kUpdateSucceeded) {
        succeeded = FinishUpdatedLaunch(request);
    } else if (result == IUpdate::kLauncherReplaced && HandOverToLauncherInstaller()) {
        parts_.endProcess(0);
        return 0;
    }
    Reply(IDS_FINISH);
    return succeeded ? 0 : -1;
}

int CRunApp::StartCommandLine(const std::wstring& text) {
    return StartShownProgram(text) ? 0 : -1;
}

int CRunApp::RunUpdate(const std::wstring& appUrl) {
    // Without an engine (or the store its downloads need) nothing was updated: report failure
    // rather than go on as if the app were ready.
    if (parts_.update == nullptr || parts_.cookies == nullptr) return IUpdate::kConfigDocumentFailed;
    return parts_.update->Update(appUrl.c_str(), parts_.cookies, debug_, adminInstalled_);
}

bool CRunApp::FinishUpdatedLaunch(const std::wstring& request) {
    // A stage this build lacks fails the launch before anything claims the app was started.
    if (parts_.preparation == nullptr || (debug_ == 0 && parts_.start == nullptr)) return false;
    Reply(IDS_APP_STARTED, AppNameFromRequest(request).c_str());
    // A preparation that fails leaves the launch successful (the update was), but the app is
    // then not started.
    if (!PrepareApp()) return true;
    if (debug_ == 0) StartAppAndWait();
    parts_.preparation->RecordShortcutStates();
    return true;
}

bool CRunApp::PrepareApp() {
    IAppPreparation* preparation = parts_.preparation;
    if (preparation->CheckProgramBitness() == 0) return false;
    const bool settingsReady = preparation->PrepareSettings() == 1;
    preparation->CopyUninstallProgram();
    preparation->MakeShortcuts();
    return settingsReady;
}

void CRunApp::StartAppAndWait() {
    auto* job = new AppStartJob{parts_.start, parts_.cookies};
    parts_.start = nullptr;
    parts_.cookies = nullptr;
    Handle thread(CreateThread(nullptr, 0, AppStartThread, job, 0, nullptr));
    if (!thread) {
        job->LetGo();  // for the thread that never ran
    } else {
        WaitForSingleObject(thread.get(), parts_.appStartWaitMs);
    }
    job->LetGo();
}

bool CRunApp::HandOverToLauncherInstaller() {
    LauncherInstaller installer;
    if (!parts_.launcherInstaller || !parts_.launcherInstaller(installer) || installer.installerPath.empty())
        return false;
    const std::wstring parameters =
        BuildInstallerParameters(installer.appUrl, installer.extraParameters, debug_ != 0);
    WriteInstallerParameterFile(InstallerParameterFilePath(), parameters);
    // A launcher that could not start its installer does not end as if it had.
    return parts_.openInstaller(installer.installerPath, parameters);
}

void CRunApp::Reply(unsigned id, const char* argument) const {
    if (connection_ == kNoConnection || reply_ == nullptr) return;
    const wchar_t* resource = nullptr;
    int length = LoadStringW(ThisModule(), id, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0) return;
    const std::string pattern = ToThreadAnsi(resource, length);
    char buffer[kReplyBufferBytes] = {};
    if (argument != nullptr) {
        std::snprintf(buffer, sizeof(buffer), pattern.c_str(), argument);
    } else {
        std::strncpy(buffer, pattern.c_str(), sizeof(buffer) - 1);
    }
    reply_(connection_, buffer, static_cast<int>(std::strlen(buffer)));
}

}  // namespace NimboNS
