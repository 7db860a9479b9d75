#include "update.h"

#include "app/userappupdater.h"
#include "catalog.h"
#include "launcher/launcherupdater.h"
#include "namedmutex.h"
#include "nimbo/icookiemanager.h"
#include "nimbo/names.h"
#include "objectmodel.h"
#include "plog/Record.h"
#include "runtime/runtimeupdater.h"
#include "updatedelegate.h"
#include "updatedialog.h"

namespace NimboNS {
namespace {

// Read and written only while "DownloadLauncherexe" is held.
bool g_launcherUpdated = false;

// The module that holds the progress window's template: ravelin.dll, or a program that links
// the update engine in directly.
HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

template <typename T>
void Delete(T*& object) {
    delete object;
    object = nullptr;
}

}  // namespace

CUpdate::CUpdate() {
    dialog_ = new CUpdateDialog(this);
    config_ = new CUpdateConfig(&dialog_->LogView());
    delegate_ = new CUpdateDelegate(dialog_);
    if (HMODULE http = LoadHttpClientLibrary()) {
        auto create = reinterpret_cast<PFN_CreateAsyncDownload>(
            reinterpret_cast<void*>(GetProcAddress(http, "CreateAsyncDownload")));
        if (create != nullptr) downloader_ = create();
    }
    launcherUpdater_ = new CLauncherUpdater(config_);
    runtimeUpdater_ = new CRuntimeUpdater(config_);
    appUpdater_ = new CUserAppUpdater(config_);
    if (downloader_ != nullptr) {
        for (CUpdater* updater : {launcherUpdater_, runtimeUpdater_, appUpdater_})
            updater->SetDownloader(downloader_);
        downloader_->SetDelegate(delegate_);
        for (CUpdater* updater : {launcherUpdater_, runtimeUpdater_, appUpdater_})
            updater->SetDelegate(delegate_);
    }
}

CUpdate::~CUpdate() {
    ReleaseObject(launcherUpdater_);
    ReleaseObject(runtimeUpdater_);
    ReleaseObject(appUpdater_);
    // The downloader reports to the delegate, which logs into the window object's log view:
    // each goes before what it uses.
    ReleaseObject(downloader_);
    ReleaseObject(delegate_);
    ReleaseObject(config_);
    Delete(dialog_);
}

void CUpdate::Release() {
    delete this;
}

bool CUpdate::LauncherAlreadyUpdated() {
    NamedMutexLock lock(names::kLauncherDownloadMutex);
    return g_launcherUpdated;
}

int CUpdate::Stop() {
    if (CUpdater* updater = current_.load()) updater->Stop();
    return 0;
}

int CUpdate::ForwardControl2() {
    if (CUpdater* updater = current_.load()) updater->ForwardControl2();
    return 0;
}

int CUpdate::ForwardControl1() {
    if (CUpdater* updater = current_.load()) updater->ForwardControl1();
    return 0;
}

void CUpdate::SetParameter(int n) {
    if (n <= 0) return;
    if (config_->syncDownloader != nullptr) config_->syncDownloader->SetParameter(n);
    if (downloader_ != nullptr) downloader_->SetParameter(n);
}

IUpdateConfig* CUpdate::GetConfig() {
    return config_;
}

void CUpdate::Log(int severity, int messageId) {
    config_->OutputLog(severity, GetLocalizedMessage(messageId));
}

int CUpdate::Update(const wchar_t* appUrl, ICookieManager* cookies, int debug, int adminInstalled) {
    const std::wstring url = appUrl != nullptr ? appUrl : L"";
    NamedMutexLock runLock(url);
    config_->url = url;
    config_->cookieManager = cookies;
    if (config_->syncDownloader != nullptr) config_->syncDownloader->SetCookieManager(cookies);
    config_->adminInstalled = adminInstalled;

    status_ = RunConfigurationSteps();
    if (status_ == 0) {
        const int startMode = config_->startMode;
        if ((startMode == Never && config_->isVerOffCheck == 0) ||
            (startMode == Connect && config_->serverReachable == 0))
            return 0;
        if (config_->syncDownloader == nullptr || downloader_ == nullptr) {
            // Every later step transfers: end here, before the first one, with the reason logged.
            config_->OutputLog(plog::error, GetLocalizedMessage(msg::kLoadDllFailed), L"kxhttpclient");
            status_ = kCheckServerFailed;
        }
    }
    if (status_ == 0) {
        Log(plog::info, msg::kAppUpdating);
        if (config_->CheckForUpdate() != 0) {
            status_ = kConfigDocumentFailed;
            if (config_->reportFailure == 0) return kConfigDocumentFailed;
        }
    }
    if (status_ == 0 && debug == 0) {
        bool now = false;
        const int launcher = UpdateLauncher(now);
        if (launcher == kLauncherReplaced || now) return launcher;
        status_ = launcher;
    }
    if (status_ == 0 && !worker_) {
        worker_.reset(CreateThread(nullptr, 0, WorkerThread, this, CREATE_SUSPENDED, nullptr));
        if (!worker_) {
            // Without the worker nothing is updated: that is no success.
            Log(plog::error, msg::kUpdateAppFailed);
            status_ = kAppUpdateFailed;
        }
    }
    ShowProgress();
    if (status_ == 0) Log(plog::info, msg::kAppUpdated);
    return status_;
}

int CUpdate::RunConfigurationSteps() {
    if (config_->ParseUrl() != 0) {
        config_->OutputLog(plog::error, GetLocalizedMessage(msg::kParseUrlFailed), config_->url);
        return kParseUrlFailed;
    }
    if (config_->PrepareFolders() != 0) return kPrepareFoldersFailed;
    if (config_->LoadLocalConfig() != 0) return kLoadLocalConfigFailed;
    if (config_->CheckServer() == 0) return kCheckServerFailed;
    return 0;
}

int CUpdate::UpdateLauncher(bool& now) {
    NamedMutexLock lock(names::kLauncherDownloadMutex);
    int result = 0;
    if (launcherUpdater_->LoadConfig() != 0) {
        result = kLauncherUpdateFailed;
    } else if (launcherUpdater_->NeedUpdate() == 1) {
        if (g_launcherUpdated) return kLauncherReplaced;
        result = launcherUpdater_->DoUpdate() == 0 ? kLauncherReplaced : kLauncherUpdateFailed;
        g_launcherUpdated = result == kLauncherReplaced;
    } else if (launcherUpdater_->mustUpdate != 0) {
        Log(plog::error, msg::kLauncherMustUpdate);
        result = kLauncherUpdateFailed;
    }
    now = result == kLauncherUpdateFailed && launcherUpdater_->mustUpdate != 0;
    return result;
}

void CUpdate::ShowProgress() {
    if (status_ != 0) {
        dialog_->SetLogHidden(0);
        if (status_ == kConfigDocumentFailed) dialog_->SetCaption(GetLocalizedMessage(msg::kConfigProgress));
        if (status_ == kLauncherUpdateFailed)
            dialog_->SetCaption(GetLocalizedMessage(msg::kLauncherProgress));
    }
    dialog_->SetTitle(config_->GetAppName());
    if (!dialog_->HasWindow()) {
        dialog_->ShowModal(ThisModule());
    } else {
        dialog_->BringToFront();
    }
    // The window is gone: end the transfers (whichever updater runs), then wait for the worker.
    Stop();
    if (downloader_ != nullptr) downloader_->Stop();
    if (worker_) {
        // A window that never came up never resumed the worker.
        for (DWORD previous = ResumeThread(worker_.get()); previous != static_cast<DWORD>(-1) && previous > 1;
             previous = ResumeThread(worker_.get())) {
        }
        WaitForSingleObject(worker_.get(), INFINITE);
        worker_.reset();
    }
}

DWORD WINAPI CUpdate::WorkerThread(void* param) {
    try {
        static_cast<CUpdate*>(param)->RunWorker();
    } catch (...) {
    }
    return 0;
}

void CUpdate::RunWorker() {
    int status = 0;
    {
        NamedMutexLock runtimeLock(config_->runtimeVersion);
        delegate_->OnStageBegin(4, 3, L"Updating the app runtime...",
                                GetLocalizedMessage(msg::kRuntimeProgress));
        if (runtimeUpdater_->LoadConfig() != 0) {
            Log(plog::error, msg::kParseRuntimeConfigFailed);
            status = kConfigDocumentFailed;
        } else if (runtimeUpdater_->NeedUpdate() == 1) {
            current_.store(runtimeUpdater_);
            if (runtimeUpdater_->DoUpdate() != 0) {
                Log(plog::error, msg::kUpdateRuntimeFailed);
                status = kRuntimeUpdateFailed;
            }
        }
    }
    if (status == 0) {
        NamedMutexLock appLock(config_->GetAppName());
        delegate_->OnStageBegin(4, 4, L"Updating the app...", GetLocalizedMessage(msg::kApplicationProgress));
        if (appUpdater_->LoadConfig() != 0) {
            Log(plog::error, msg::kParseAppConfigFailed);
            status = kConfigDocumentFailed;
        } else if (appUpdater_->NeedUpdate() == 1) {
            current_.store(appUpdater_);
            if (appUpdater_->DoUpdate() != 0) {
                Log(plog::error, msg::kUpdateAppFailed);
                status = kAppUpdateFailed;
            }
        }
    }
    status_ = status;
    if (status == 0)
        delegate_->OnUpdateSucceeded();
    else
        delegate_->OnUpdateFailed();
}

IUpdate* CreateUpdate() {
    try {
        return new CUpdate;
    } catch (...) {
        return nullptr;
    }
}

}  // namespace NimboNS
