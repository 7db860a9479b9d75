#include "appstart.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "catalog/catalog.h"
#include "commandline.h"
#include "nimbo/handle.h"
#include "nimbo/icookiemanager.h"
#include "nimbo/names.h"
#include "prepare/appsettingsfile.h"
#include "scwconv.h"
#include "startpipes.h"
#include "welcome/welcomewindow.h"

namespace NimboNS {
namespace {

constexpr DWORD kWaitSliceMs = 10;
constexpr DWORD kEndWaitMs = 2000;

// One app start at a time in this session, across processes.
class StartLock {
public:
    StartLock() : mutex_(CreateMutexW(nullptr, FALSE, names::kAppStartMutex)) {
        if (!mutex_) return;
        const DWORD result = WaitForSingleObject(mutex_.get(), INFINITE);
        owned_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    ~StartLock() {
        if (owned_) ReleaseMutex(mutex_.get());
    }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

private:
    Handle mutex_;
    bool owned_ = false;
};

// The program's own name leads the command line; a name with a space is quoted so that the app
// does not take part of it for an argument.
std::wstring ProgramName(const std::wstring& startFile) {
    return startFile.find_first_of(L" \t") == std::wstring::npos ? startFile : L"\"" + startFile + L"\"";
}

void DeleteCookieFile(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    if (name.empty() ||
        FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return;
    DeleteFileW((std::wstring(folder) + L"\\Temp\\" + name).c_str());
}

}  // namespace

CAppStart::CAppStart(std::shared_ptr<const LaunchSettings> settings, std::shared_ptr<LaunchLog> log,
                     int adminInstalled, LaunchEnvironment environment)
    : settings_(std::move(settings)),
      log_(std::move(log)),
      adminInstalled_(adminInstalled),
      environment_(std::move(environment)) {
    FillSystemEnvironment(environment_);
}

void CAppStart::StartApp(ICookieManager* cookies) {
    const LaunchSettings& s = *settings_;
    if (s.appFolder.empty() || s.startFile.empty()) {
        outcome_ = Outcome::Refused;
        log_->Write(LaunchLog::kError, L"The app cannot start: its folder or start file is unknown.");
        return;
    }
    const std::wstring program = FormatWide(L"%s\\%s", s.appFolder.c_str(), s.startFile.c_str());
    // The command line is made first, while the launch still logs: the lock below may wait for
    // the welcome window of another start.
    const wchar_t* exported = cookies != nullptr ? cookies->ExportCookieFile(1) : nullptr;
    const std::wstring cookieFile = exported != nullptr ? exported : L"";
    std::vector<wchar_t> commandLine;
    if (!BuildAppCommandLine(ProgramName(s.startFile), s.arguments, cookieFile, commandLine)) {
        outcome_ = Outcome::Refused;
        DeleteCookieFile(cookieFile);
        log_->Write(
            LaunchLog::kError,
            FormatWide(L"The app is not started: its command line would be longer than %u characters (%s).",
                       static_cast<unsigned>(s.arguments.size() + kCommandLineReserve), program.c_str()));
        return;
    }

    StartLock lock;
    StartPipes pipes;
    const bool piped = pipes.Create(ReadyEventName());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (piped) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = pipes.childInput();
        startup.hStdOutput = pipes.childOutput();
        startup.hStdError = pipes.childError();
    }
    PROCESS_INFORMATION created{};
    const BOOL started =
        CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT, nullptr, s.appFolder.c_str(), &startup, &created);
    const DWORD error = started ? 0 : GetLastError();
    pipes.CloseChildCopies();
    if (!started) {
        outcome_ = Outcome::StartFailed;
        DeleteCookieFile(cookieFile);
        ReportStartFailure(program, error);
        return;
    }
    Handle process(created.hProcess);
    Handle thread(created.hThread);
    processId_ = created.dwProcessId;
    log_->Write(LaunchLog::kInfo, FormatWide(L"The app is started: %s (process %lu).", program.c_str(),
                                             static_cast<unsigned long>(processId_)));
    outcome_ = piped ? WelcomeAndWait(pipes, process.get()) : Outcome::NotWaited;
    WaitForSingleObject(process.get(), kEndWaitMs);
}

void CAppStart::ReportStartFailure(const std::wstring& program, DWORD error) {
    log_->Write(LaunchLog::kError, FormatWide(L"Failed to start the app %s; error %lu.", program.c_str(),
                                              static_cast<unsigned long>(error)));
    if (adminInstalled_ != 0 && PathFileExistsW(program.c_str()) &&
        PathFileExistsW(settings_->appFolder.c_str()))
        environment_.showMessage(GetLocalizedMessage(msg::kNoRunPermission), GetLocalizedMessage(msg::kError),
                                 MB_ICONERROR | MB_SYSTEMMODAL);
}

CAppStart::Outcome CAppStart::WelcomeAndWait(StartPipes& pipes, HANDLE process) {
    if (!pipes.WriteEventName()) {
        log_->Write(LaunchLog::kWarning, L"The app did not take the name of its ready event.");
        return Outcome::NotWaited;
    }
    const std::wstring& folder = settings_->appFolder;
    if (AppSettingsFile(folder).ReadInt(AppSettingsFile::kLaunchSection, L"showStartPage", 1) == 0) {
        WaitForInputIdle(process, INFINITE);
        return Outcome::Idle;
    }
    WelcomeWindow welcome(GetModuleHandleW(nullptr), WelcomePicturePath(folder, environment_.hostProgram()));
    if (!welcome.Create()) return Outcome::NotWaited;
    Outcome outcome = Outcome::Closed;
    const HANDLE waits[2] = {pipes.readyEvent(), process};
    while (!welcome.closed()) {
        const DWORD result = MsgWaitForMultipleObjects(2, waits, FALSE, kWaitSliceMs, QS_TIMER | QS_PAINT);
        pipes.DrainOutput();
        if (result == WAIT_OBJECT_0) {
            outcome = Outcome::Ready;
            break;
        }
        if (result == WAIT_OBJECT_0 + 1 || result == WAIT_FAILED) {
            outcome = Outcome::Ended;
            break;
        }
        WelcomeWindow::PumpMessages();
    }
    welcome.Destroy();
    log_->Write(LaunchLog::kInfo, outcome == Outcome::Ready ? L"The app signalled that it is ready."
                                  : outcome == Outcome::Ended
                                      ? L"The app ended before it signalled that it is ready."
                                      : L"The welcome window was closed.");
    return outcome;
}

}  // namespace NimboNS
