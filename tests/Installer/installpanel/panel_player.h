#pragma once
// Plays the installer for installpanel.exe: lays out a set-up folder with the settings files,
// creates the shared memory, starts the panel, writes the progress file, posts the installer's
// messages and answers the panel's boxes the way a person would.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "harness.h"
#include "nimbo/handle.h"

namespace installpanel_test {

struct PanelSetup {
    // "KXAppSetting" values of LauncherCfg.ini; AppTitle is made unique when left out.
    std::map<std::wstring, std::wstring> settings;
    bool withCommandRunner = true;  // elevhost.exe beside the panel
    bool withSharedMemory = true;
    std::string progress = "Progress=0\r\nStatus=0\r\n";
    int portWithoutService = 21000;
    int portWithService = 21002;
};

class PanelPlayer {
public:
    explicit PanelPlayer(PanelSetup setup = {});
    ~PanelPlayer();
    PanelPlayer(const PanelPlayer&) = delete;
    PanelPlayer& operator=(const PanelPlayer&) = delete;

    const nimbo_test::TempFolder& folder() const { return folder_; }
    std::wstring LauncherFolder() const { return folder_ / L"launcher"; }
    std::wstring AppsFolder() const { return folder_ / L"apps"; }
    const std::wstring& title() const { return title_; }

    // Starts the panel and waits for its window; false when it does not come.
    bool Start();
    HWND window() const { return window_; }
    DWORD threadId() const { return threadId_; }

    std::wstring Shared() const;
    void WriteShared(const std::wstring& text);
    // Waits until the shared memory holds `text`.
    bool WaitShared(const std::wstring& text, DWORD timeoutMs = 10000) const;

    void WriteProgress(const std::string& content);
    void PostThread(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void PostWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // A visible window of the panel's process owned by its main window (a message box).
    HWND WaitBox(DWORD timeoutMs = 10000) const;
    // True when no such box shows up within `ms`.
    bool NoBoxFor(DWORD ms) const;
    // Answers a box and waits until it is gone.
    bool Answer(HWND box, int buttonId) const;

    bool WaitExit(DWORD timeoutMs = 15000);
    std::wstring Setting(const wchar_t* key) const;
    std::wstring ItemText(int id) const;
    void SetItemText(int id, const std::wstring& text);
    bool ItemVisible(int id) const;
    bool ItemEnabled(int id) const;
    int ClientHeight() const;

private:
    nimbo_test::TempFolder folder_;
    PanelSetup setup_;
    std::wstring title_;
    std::wstring memName_;
    NimboNS::Handle mapping_;
    NimboNS::MappedView view_;
    NimboNS::Handle process_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
};

// Text of a message box or dialog (all its static controls).
std::wstring BoxText(HWND box);

}  // namespace installpanel_test
