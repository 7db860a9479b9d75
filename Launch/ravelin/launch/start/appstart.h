#pragma once
// The start of the app's program on a thread of its own: the command line with the cookie
// hand-over file, the standard-handle pipes with the ready event, and the welcome window until
// the app signals that it is ready or ends.
#include <windows.h>

#include <memory>
#include <string>

#include "launchparts.h"
#include "prepare/launchenv.h"
#include "prepare/launchlog.h"
#include "prepare/launchsettings.h"

namespace NimboNS {

class CAppStart : public IAppStart {
public:
    // What happened to the last start (for tests and the log).
    enum class Outcome { NotStarted, Refused, StartFailed, Ready, Ended, Closed, NotWaited, Idle };

    // The settings are those the preparation fills in before the start; the log is shared with it.
    CAppStart(std::shared_ptr<const LaunchSettings> settings, std::shared_ptr<LaunchLog> log,
              int adminInstalled, LaunchEnvironment environment);
    CAppStart(const CAppStart&) = delete;
    CAppStart& operator=(const CAppStart&) = delete;

    void Release() override { delete this; }
    void StartApp(ICookieManager* cookies) override;

    Outcome outcome() const { return outcome_; }
    DWORD processId() const { return processId_; }

private:
    void ReportStartFailure(const std::wstring& program, DWORD error);
    Outcome WelcomeAndWait(class StartPipes& pipes, HANDLE process);

    std::shared_ptr<const LaunchSettings> settings_;
    std::shared_ptr<LaunchLog> log_;
    int adminInstalled_;
    LaunchEnvironment environment_;
    Outcome outcome_ = Outcome::NotStarted;
    DWORD processId_ = 0;
};

}  // namespace NimboNS
