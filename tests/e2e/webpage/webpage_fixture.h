#pragma once
// What the web-page tests work with: launcher copies laid out as installed, launcher processes,
// the app home of the launchers, the sample app published and served by nginx, and a web page
// in headless Chromium that talks to the launcher's local WebSocket.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "harness.h"
#include "testserver.h"

namespace webpage_e2e {

// launcher.exe, ravelin.dll and what they load, in a folder of their own with a Config.ini.
class LauncherInstall {
public:
    explicit LauncherInstall(int port);
    std::wstring launcher() const { return folder_ / L"launcher.exe"; }
    const std::wstring& path() const { return folder_.path(); }

private:
    nimbo_test::TempFolder folder_;
};

// A launcher process. Under Wine a process's user name is the USER of the Unix environment it
// started with: a launcher of another user is started through the Unix `env` program.
class LauncherRun {
public:
    LauncherRun(const LauncherInstall& install, const std::wstring& arguments,
                const std::string& unixUser = "");
    ~LauncherRun();
    LauncherRun(const LauncherRun&) = delete;
    LauncherRun& operator=(const LauncherRun&) = delete;
    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }
    // Ends its message loop (WM_QUIT to every thread).
    void Quit() const;
    // True when it ended within the time (its exit code in `exitCode`); killed otherwise.
    bool Wait(DWORD timeoutMs, DWORD& exitCode);

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

void QuitProcess(DWORD processId);
// Launcher programs started by `parentId`.
std::vector<DWORD> ChildLaunchers(DWORD parentId);
// Ends a process we did not start ourselves: quit first, then kill.
void EndProcess(DWORD processId);

// "NimboHome" of the launchers (in the real HKEY_CURRENT_USER, which they read) points to a
// fresh folder, and the remembered page answers are cleared; both are put back at the end.
class HomeScope {
public:
    HomeScope();
    ~HomeScope();
    HomeScope(const HomeScope&) = delete;
    HomeScope& operator=(const HomeScope&) = delete;
    std::wstring AppFolder(const std::wstring& app) const;

private:
    nimbo_test::TempFolder home_;
    bool hadHome_ = false;
    std::wstring previousHome_;
};

// NimboSample 1.0.0 with its runtime and a launcher document, published by nimbo-publish and
// served by nginx.
class SampleDeployment {
public:
    SampleDeployment();
    bool Ready() const { return server_ && server_->Ready(); }
    std::wstring AppUrl() const { return server_->Url(L"/NimboSample"); }

private:
    bool Publish();
    nimbo_test::TempFolder folder_;
    std::unique_ptr<nimbo_test::TestServer> server_;
};

// The test page, served on loopback and opened by headless Chromium with `fragment` (the app
// URL the page sends).
class PageBrowser {
public:
    explicit PageBrowser(const std::wstring& fragment);
    ~PageBrowser();
    PageBrowser(const PageBrowser&) = delete;
    PageBrowser& operator=(const PageBrowser&) = delete;
    bool Ready() const { return port_ > 0; }
    // The texts one socket of the page received, in order ("first" or "second").
    std::vector<std::string> Replies(const std::string& socket) const;
    bool WaitForReply(const std::string& socket, const std::string& text, DWORD timeoutMs) const;
    int Port() const { return port_; }
    std::string ChromiumLog() const;

private:
    nimbo_test::TempFolder state_;
    int port_ = 0;
};

}  // namespace webpage_e2e
