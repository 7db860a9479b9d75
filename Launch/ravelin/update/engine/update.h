#pragma once
// CUpdate: one update run before a launch. It takes the app's configuration steps on the launch
// thread, replaces the launcher when a newer one is published, then shows the progress window
// while a worker thread brings the runtime and the app up to date.
#include <windows.h>

#include <atomic>

#include "config/updateconfig.h"
#include "nimbo/handle.h"
#include "update/iupdate.h"

namespace NimboNS {

class CUpdateDialog;
class CUpdater;

class CUpdate : public IUpdate {
public:
    CUpdate();
    ~CUpdate() override;
    CUpdate(const CUpdate&) = delete;
    CUpdate& operator=(const CUpdate&) = delete;

    void Release() override;
    int Update(const wchar_t* appUrl, ICookieManager* cookies, int debug, int adminInstalled) override;
    int Stop() override;
    int ForwardControl2() override;
    int ForwardControl1() override;
    void SetParameter(int n) override;
    IUpdateConfig* GetConfig() override;

    // The worker thread while it exists (created suspended; the progress window resumes it).
    HANDLE Worker() const { return worker_.get(); }
    CUpdateConfig* Config() { return config_; }
    CUpdateDialog* Dialog() { return dialog_; }
    IAsyncDownload* Downloader() { return downloader_; }
    // Whether an earlier run of this process downloaded the launcher installer.
    static bool LauncherAlreadyUpdated();

private:
    static DWORD WINAPI WorkerThread(void* param);
    void RunWorker();
    int RunConfigurationSteps();
    // 0 nothing to do; 2 the installer was downloaded; -2 the launcher update failed. `now` is
    // set when the result must be returned at once, without the window.
    int UpdateLauncher(bool& now);
    void ShowProgress();
    void Log(int severity, int messageId);

    int status_ = 0;
    std::atomic<CUpdater*> current_{nullptr};
    CUpdateDialog* dialog_ = nullptr;
    CUpdateConfig* config_ = nullptr;
    IAsyncDownload* downloader_ = nullptr;
    IUpdateDelegate* delegate_ = nullptr;
    CUpdater* launcherUpdater_ = nullptr;
    CUpdater* runtimeUpdater_ = nullptr;
    CUpdater* appUpdater_ = nullptr;
    Handle worker_;
};

// The engine a launch uses; null when it cannot be made.
IUpdate* CreateUpdate();

}  // namespace NimboNS
