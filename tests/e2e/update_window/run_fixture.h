#pragma once
// A deployment written by nimbo-publish and served by nginx, a private registry and home folder,
// and an update engine driven the way the launch drives it, with a watcher that looks at the
// progress window from another thread and closes it as a person would.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "deployment.h"
#include "engine/update.h"
#include "harness.h"
#include "nimbo/icookiemanager.h"
#include "process_window.h"
#include "registry_scope.h"
#include "testserver.h"

namespace run_test {

using e2e::AppFile;
using e2e::Deployment;
using e2e::Publish;
using e2e::StandardFiles;
using e2e::WaitForProcessWindow;

// What the watcher saw of one progress window.
struct Seen {
    bool shown = false;
    bool closedByItself = false;  // the run closed it (success)
    bool paneShown = false;       // the log pane was open
    std::wstring title;
    std::wstring caption;  // control 1004 once the pane was open
    std::wstring paneText;
    int clientHeight = 0;  // of the window with the pane open
    RECT pane{};           // the pane in the window's client coordinates
};

// Looks at the progress window of `update` from its own thread. A window whose log pane opens is
// looked at and closed with the close box; `onShown` runs once the window is first seen (e.g. a
// screenshot while it works).
class WindowWatcher {
public:
    explicit WindowWatcher(NimboNS::CUpdate* update, std::function<void(HWND)> onShown = {},
                           std::wstring paneScreenshot = L"");
    ~WindowWatcher();
    // Ends the watch (after Update returned) and gives what was seen.
    Seen Finish();

private:
    void Watch();

    NimboNS::CUpdate* update_;
    std::function<void(HWND)> onShown_;
    std::wstring paneScreenshot_;
    std::atomic<bool> stop_{false};
    Seen seen_;
    std::thread thread_;
};

// The private registry, home folder and a served deployment, with one engine per run.
class RunFixture {
public:
    RunFixture();
    ~RunFixture();

    bool Serve(const std::string& script = "nginxserve.py");
    std::wstring AppUrl(const std::wstring& app = L"Sales") const;
    std::string ServerLog() const { return server_ ? server_->Log() : std::string(); }
    // Requests in the server's log whose line contains `text`.
    int Requests(const std::string& text) const;
    void StopServer() { server_.reset(); }

    // One Update on a fresh engine, its window watched; the engine stays for inspection.
    int RunUpdate(const std::wstring& url, int debug = 0, int admin = 0,
                  std::function<void(HWND)> onShown = {});
    NimboNS::CUpdate* Engine() { return update_; }
    // The next run's window is photographed once its log pane is open.
    void ScreenshotLogPane(const std::wstring& name) { paneScreenshot_ = name; }
    const Seen& LastSeen() const { return seen_; }
    std::string Log() const;  // the last run's log file

    std::wstring Home() const { return home_.path(); }
    std::wstring AppFolder(const std::wstring& app = L"Sales") const;
    std::wstring DownloadFolder() const { return home_.path() + L"\\Download"; }
    static bool SetLauncherVersion(HKEY root, const std::wstring& version);

    config_test::RegistryScope registry;
    Deployment deployment;

private:
    nimbo_test::TempFolder home_;
    std::unique_ptr<nimbo_test::TestServer> server_;
    NimboNS::CUpdate* update_ = nullptr;
    NimboNS::ICookieManager* cookies_ = nullptr;
    std::wstring paneScreenshot_;
    Seen seen_;
};

}  // namespace run_test
