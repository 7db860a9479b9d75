#pragma once
// CUpdateDialog: the modal progress window of one update run, with the run's log (CLogView) and
// its pane, which opens below the progress area when the run fails.
#include <windows.h>

#include <atomic>
#include <string>

#include "log/logview.h"

namespace NimboNS {

class CUpdate;

class CUpdateDialog {
public:
    // Window property that binds the window to its object.
    static constexpr wchar_t kObjectProperty[] = L"{C7FA901C-1308-4A18-A079-CC324F1E9437}";
    // How much taller the window grows when the log pane opens, and where the pane sits.
    static constexpr int kLogPaneHeight = 165;
    static constexpr int kLogPaneTop = 348;

    explicit CUpdateDialog(CUpdate* owner);
    ~CUpdateDialog();
    CUpdateDialog(const CUpdateDialog&) = delete;
    CUpdateDialog& operator=(const CUpdateDialog&) = delete;

    // Shows the window modally from template 101 of `module`; returns when it is destroyed.
    INT_PTR ShowModal(HINSTANCE module);
    // Brings an existing window to the front.
    void BringToFront();

    // The window while it exists; safe to read from any thread.
    HWND Window() const { return window_.load(); }
    bool HasWindow() const;
    CLogView& LogView() { return logView_; }

    // Posts `message` with `payload` to the window; when there is no window the payload is freed
    // here and false returned.
    bool Post(UINT message, LPARAM payload);

    void SetTitle(const std::wstring& title) { title_ = title; }
    void SetCaption(const std::wstring& caption) { caption_ = caption; }
    void SetLogHidden(int hidden) { logHidden_ = hidden; }
    int LogHidden() const { return logHidden_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR RefreshUIView(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnInitDialog(HWND window);
    INT_PTR OnSize();
    INT_PTR OnPaint();
    INT_PTR OnClose();
    INT_PTR OnDestroy();
    void DrainPayloads(HWND window);
    INT_PTR OnStage(LPARAM payload);
    INT_PTR OnProgress(LPARAM payload);
    INT_PTR OnItem(LPARAM payload);
    INT_PTR OnShowLog();
    void ResumeWorker();
    void LogError(const wchar_t* text);

    CUpdate* owner_;
    std::atomic<HWND> window_{nullptr};
    int resumeWorker_ = 1;
    CLogView logView_;
    std::wstring title_;
    std::wstring caption_;
    int logHidden_ = 1;
    HINSTANCE module_ = nullptr;
    HBITMAP background_ = nullptr;
    bool logPaneOpen_ = false;
    int paneTop_ = kLogPaneTop;
};

}  // namespace NimboNS
