#pragma once
// One update run without the progress window, as the update worker runs it: the configuration
// steps, then the runtime and the app updaters, with the real download library. Used by the end-to-
// end tests and the update benchmarks.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "../../Launch/ravelin/update/tasks/fake_downloader.h"
#include "app/userappupdater.h"
#include "config/updateconfig.h"
#include "engine/update.h"
#include "engine/updatedialog.h"
#include "replace/extract.h"
#include "runtime/runtimeupdater.h"
#include "scwconv.h"
#include "tasks/updater.h"

namespace update_e2e {

using update_test::CapturingLogView;

// The update delegate of a run without the progress window: the library's reports become log
// lines, archives are unpacked through kxcompression.
class LoggingDelegate : public NimboNS::IUpdateDelegate {
public:
    explicit LoggingDelegate(NimboNS::CLogView* view) : view_(view) { InitializeCriticalSection(&lock_); }
    ~LoggingDelegate() override {
        if (compression_ != nullptr) FreeLibrary(compression_);
        DeleteCriticalSection(&lock_);
    }
    void Release() override {}
    void OnStageBegin(int, int, const wchar_t*, const wchar_t*) override {}
    void OnOverallProgress(int, int, int, int, int) override {}
    void OnItemProgress(const wchar_t*, const wchar_t*, int) override {}
    void OnError(const wchar_t* file, int code, const wchar_t* text) override {
        Log(plog::error, NimboNS::FormatDownloadErrorLine(file, code, text));
    }
    void OnPutLog(int kind, const wchar_t* file, int code, long long size) override {
        Log(plog::verbose, NimboNS::FormatPutLogLine(kind, file, code, size));
    }
    void OnUpdateSucceeded() override {}
    void OnUpdateFailed() override {}
    int Unzip(const wchar_t* archive, const wchar_t* folder) override {
        EnterCriticalSection(&lock_);
        const int result =
            NimboNS::UnzipArchive(compression_, extract_, archive, folder,
                                  [this](int severity, const std::wstring& line) { Log(severity, line); });
        LeaveCriticalSection(&lock_);
        return result;
    }

private:
    void Log(int severity, const std::wstring& line) {
        plog::Record record(static_cast<plog::Severity>(severity), "LoggingDelegate", 0);
        record << line.c_str();
        view_->write(record);
    }
    NimboNS::CLogView* view_;
    HMODULE compression_ = nullptr;
    NimboNS::CExtractDelegate extract_;
    CRITICAL_SECTION lock_;
};

// One update run: the configuration steps, then the runtime and the app updaters, as the update
// worker runs them. Results are those of IUpdate::Update.
class UpdateRun {
public:
    explicit UpdateRun(bool withDownloadLibrary = true) {
        if (withDownloadLibrary) {
            auto create = reinterpret_cast<NimboNS::PFN_CreateAsyncDownload>(reinterpret_cast<void*>(
                GetProcAddress(NimboNS::LoadHttpClientLibrary(), "CreateAsyncDownload")));
            downloader_ = create != nullptr ? create() : nullptr;
        } else if (config.syncDownloader != nullptr) {
            config.syncDownloader->Release();
            config.syncDownloader = nullptr;
        }
        if (config.syncDownloader != nullptr) config.syncDownloader->SetTimeouts(5000, 5000);
        // The user takes every newer version offered.
        config.SetVersionPrompt([this](const wchar_t* text, const wchar_t*, UINT flags) {
            prompts.push_back(text);
            return (flags & MB_YESNO) == MB_YESNO ? IDYES : IDOK;
        });
        if (downloader_ != nullptr) {
            downloader_->SetTimeouts(5000, 5000);
            for (NimboNS::CUpdater* updater :
                 {static_cast<NimboNS::CUpdater*>(&runtime), static_cast<NimboNS::CUpdater*>(&app)}) {
                updater->SetDownloader(downloader_);
                updater->SetDelegate(&delegate_);
            }
            downloader_->SetDelegate(&delegate_);
        }
    }
    bool HasDownloadLibrary() const { return downloader_ != nullptr; }
    ~UpdateRun() {
        if (downloader_ != nullptr) downloader_->Stop();
        if (downloader_ != nullptr) downloader_->Release();
    }
    UpdateRun(const UpdateRun&) = delete;
    UpdateRun& operator=(const UpdateRun&) = delete;

    int Update(const std::wstring& appUrl) {
        config.url = appUrl;
        if (config.ParseUrl() != 0) return 6;
        if (config.PrepareFolders() != 0) return 7;
        if (config.LoadLocalConfig() != 0) return 8;
        if (config.CheckServer() == 0) return 5;
        if ((config.startMode == NimboNS::Never && config.isVerOffCheck == 0) ||
            (config.startMode == NimboNS::Connect && config.serverReachable == 0))
            return 0;
        if (config.CheckForUpdate() != 0) return -1;
        if (runtime.LoadConfig() != 0) return -1;
        if (runtime.NeedUpdate() == 1 && runtime.DoUpdate() != 0) return -3;
        if (app.LoadConfig() != 0) return -1;
        if (app.NeedUpdate() == 1 && app.DoUpdate() != 0) return -4;
        return 0;
    }
    // Ends the transfers, as closing the progress window does.
    void Stop() {
        if (downloader_ != nullptr) downloader_->Stop();
    }
    bool Logged(const std::wstring& part) const { return view.HasPart(part); }
    // The run's log lines, for failure messages.
    std::string LogText() const {
        std::string text;
        for (const std::wstring& line : view.lines) text += NimboNS::WideToUtf8(line) + "\n";
        return text;
    }

    CapturingLogView view;
    std::vector<std::wstring> prompts;
    NimboNS::CUpdateConfig config{&view};
    NimboNS::CRuntimeUpdater runtime{&config};
    NimboNS::CUserAppUpdater app{&config};

private:
    NimboNS::IAsyncDownload* downloader_ = nullptr;
    LoggingDelegate delegate_{&view};
};

// One run of the real update engine, CUpdate::Update, with its progress window on the test display.
// The user's part is played here: every newer version offered is taken, and the window, which stays
// open with its log after a failure, is closed once the log pane is there.
class EngineRun {
public:
    EngineRun() : update_(new NimboNS::CUpdate), config(*update_->Config()) {
        config.SetVersionPrompt([this](const wchar_t* text, const wchar_t*, UINT flags) {
            prompts.push_back(text);
            return (flags & MB_YESNO) == MB_YESNO ? IDYES : IDOK;
        });
        if (config.syncDownloader != nullptr) config.syncDownloader->SetTimeouts(5000, 5000);
        if (update_->Downloader() != nullptr) update_->Downloader()->SetTimeouts(5000, 5000);
    }
    ~EngineRun() { update_->Release(); }
    EngineRun(const EngineRun&) = delete;
    EngineRun& operator=(const EngineRun&) = delete;

    bool HasDownloadLibrary() const { return update_->Downloader() != nullptr; }

    int Update(const std::wstring& appUrl, int debug = 0, int adminInstalled = 0) {
        std::atomic<bool> done{false};
        std::thread user([&] {
            while (!done) {
                HWND window = update_->Dialog()->Window();
                if (window != nullptr && IsWindow(window) &&
                    FindWindowExW(window, nullptr, L"RichEdit20W", nullptr)) {
                    logShown = true;
                    PostMessageW(window, WM_CLOSE, 0, 0);
                    break;
                }
                Sleep(50);
            }
        });
        const int result = update_->Update(appUrl.c_str(), nullptr, debug, adminInstalled);
        done = true;
        user.join();
        return result;
    }
    // Ends the transfers, as closing the progress window does.
    void Stop() { update_->Stop(); }
    std::string LogText() const { return nimbo_test::ReadFileText(update_->Dialog()->LogView().FilePath()); }
    bool Logged(const std::wstring& part) const {
        return LogText().find(NimboNS::WideToUtf8(part)) != std::string::npos;
    }

private:
    NimboNS::CUpdate* update_;

public:
    NimboNS::CUpdateConfig& config;
    std::vector<std::wstring> prompts;
    bool logShown = false;
};

}  // namespace update_e2e
