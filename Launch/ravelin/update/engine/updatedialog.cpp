#include "updatedialog.h"

#include <commctrl.h>

#include "background.h"
#include "catalog.h"
#include "engine_resources.h"
#include "fs/fsutil.h"
#include "plog/Record.h"
#include "scwconv.h"
#include "update.h"
#include "updatemessages.h"

namespace NimboNS {

void FreeUpdatePayload(UINT message, LPARAM lParam) {
    switch (message) {
        case WM_UPDATE_STAGE:
            delete reinterpret_cast<StagePayload*>(lParam);
            break;
        case WM_UPDATE_ITEM:
            delete reinterpret_cast<ItemPayload*>(lParam);
            break;
        case WM_UPDATE_PROGRESS:
            delete reinterpret_cast<ProgressPayload*>(lParam);
            break;
        default:
            break;
    }
}

CUpdateDialog::CUpdateDialog(CUpdate* owner) : owner_(owner) {}

CUpdateDialog::~CUpdateDialog() {
    if (background_ != nullptr) DeleteObject(background_);
}

INT_PTR CUpdateDialog::ShowModal(HINSTANCE module) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    module_ = module;
    return DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_UPDATE), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CUpdateDialog::BringToFront() {
    HWND window = Window();
    if (window == nullptr) return;
    SwitchToThisWindow(window, TRUE);
    SetForegroundWindow(window);
    ShowWindow(window, SW_SHOW);
}

bool CUpdateDialog::HasWindow() const {
    HWND window = Window();
    return window != nullptr && IsWindow(window);
}

bool CUpdateDialog::Post(UINT message, LPARAM payload) {
    HWND window = Window();
    if (window != nullptr && IsWindow(window) && PostMessageW(window, message, 0, payload)) return true;
    // Nobody would free it otherwise.
    FreeUpdatePayload(message, payload);
    return false;
}

INT_PTR CALLBACK CUpdateDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetPropW(window, kObjectProperty, reinterpret_cast<HANDLE>(lParam));
    auto* self = static_cast<CUpdateDialog*>(GetPropW(window, kObjectProperty));
    if (self == nullptr) return FALSE;
    INT_PTR result = FALSE;
    try {
        result = self->RefreshUIView(window, message, wParam, lParam);
    } catch (...) {
        result = FALSE;
    }
    if (message == WM_NCDESTROY) RemovePropW(window, kObjectProperty);
    return result;
}

INT_PTR CUpdateDialog::RefreshUIView(HWND window, UINT message, WPARAM, LPARAM lParam) {
    INT_PTR result = FALSE;
    switch (message) {
        case WM_INITDIALOG:
            result = OnInitDialog(window);
            break;
        case WM_SIZE:
            result = OnSize();
            break;
        case WM_PAINT:
            result = OnPaint();
            break;
        case WM_CLOSE:
            result = OnClose();
            break;
        case WM_DESTROY:
            result = OnDestroy();
            break;
        case WM_UPDATE_STAGE:
            result = OnStage(lParam);
            break;
        case WM_UPDATE_PROGRESS:
            result = OnProgress(lParam);
            break;
        case WM_UPDATE_ITEM:
            result = OnItem(lParam);
            break;
        case WM_UPDATE_SHOWLOG:
            result = OnShowLog();
            break;
        default:
            break;
    }
    // Every payload is freed here, whether or not its message had an effect.
    FreeUpdatePayload(message, lParam);
    return result;
}

INT_PTR CUpdateDialog::OnInitDialog(HWND window) {
    window_.store(window);
    // Restoring the window below sends WM_SIZE, which already asks for the log pane.
    const bool logShown = logHidden_ == 0;
    SetDlgItemTextW(window, IDC_UPDATE_CAPTION, L"");
    SetWindowTextW(window, title_.c_str());
    // The template starts minimized: restoring it sends the first WM_SIZE, which starts the worker.
    SwitchToThisWindow(window, TRUE);
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetForegroundWindow(window);
    ShowWindow(window, SW_SHOW);
    ShowWindow(GetDlgItem(window, IDC_UPDATE_RETRY), SW_HIDE);
    if (logShown) SetDlgItemTextW(window, IDC_UPDATE_CAPTION, caption_.c_str());
    background_ = LoadBackgroundImage(GetModuleFolder());
    return TRUE;
}

INT_PTR CUpdateDialog::OnSize() {
    HWND window = Window();
    if (logHidden_ == 0) {
        PostMessageW(window, WM_UPDATE_SHOWLOG, 0, 0);
        logHidden_ = 1;
    }
    if (resumeWorker_ != 0) {
        ResumeWorker();
        resumeWorker_ = 0;
    }
    return FALSE;
}

void CUpdateDialog::ResumeWorker() {
    HANDLE worker = owner_ != nullptr ? owner_->Worker() : nullptr;
    if (worker == nullptr) return;
    // The worker was created suspended once; resume until it runs (or the call fails).
    for (DWORD previous = ResumeThread(worker); previous != static_cast<DWORD>(-1) && previous > 1;
         previous = ResumeThread(worker)) {
    }
}

INT_PTR CUpdateDialog::OnPaint() {
    HWND window = Window();
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    if (dc != nullptr && background_ != nullptr) {
        BITMAP info{};
        GetObjectW(background_, sizeof(info), &info);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, background_);
        BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    EndPaint(window, &paint);
    return FALSE;
}

INT_PTR CUpdateDialog::OnClose() {
    DestroyWindow(Window());
    logView_.CloseLogFile();
    return FALSE;
}

INT_PTR CUpdateDialog::OnDestroy() {
    HWND window = window_.exchange(nullptr);
    DrainPayloads(window);
    return FALSE;
}

void CUpdateDialog::DrainPayloads(HWND window) {
    // Messages still queued for the window would be discarded with their payloads.
    MSG message{};
    while (PeekMessageW(&message, window, WM_UPDATE_STAGE, WM_UPDATE_SHOWLOG, PM_REMOVE))
        FreeUpdatePayload(message.message, message.lParam);
}

INT_PTR CUpdateDialog::OnStage(LPARAM lParam) {
    HWND window = Window();
    const auto* stage = reinterpret_cast<const StagePayload*>(lParam);
    // The stage text is addressed to a control the template does not have.
    SetDlgItemTextW(window, IDC_UPDATE_STAGE_TEXT, stage->text.c_str());
    SetDlgItemTextW(window, IDC_UPDATE_CAPTION, stage->caption.c_str());
    SendDlgItemMessageW(window, IDC_UPDATE_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendDlgItemMessageW(window, IDC_UPDATE_PROGRESS, PBM_SETPOS, 0, 0);
    SetDlgItemTextW(window, IDC_UPDATE_COUNT, L"");
    return FALSE;
}

INT_PTR CUpdateDialog::OnProgress(LPARAM lParam) {
    HWND window = Window();
    const auto* progress = reinterpret_cast<const ProgressPayload*>(lParam);
    if (progress->total == 0) return FALSE;
    const std::wstring count = FormatWide(L"(%d/%d)", progress->done, progress->total);
    SetDlgItemTextW(window, IDC_UPDATE_COUNT, count.c_str());
    const int position =
        static_cast<int>(static_cast<float>(progress->done) / static_cast<float>(progress->total) * 100);
    SendDlgItemMessageW(window, IDC_UPDATE_PROGRESS, PBM_SETPOS, position, 0);
    return FALSE;
}

INT_PTR CUpdateDialog::OnItem(LPARAM lParam) {
    HWND window = Window();
    const auto* item = reinterpret_cast<const ItemPayload*>(lParam);
    // Addressed to an item caption and an item bar the template does not have.
    SetDlgItemTextW(window, IDC_UPDATE_ITEM_CAPTION, item->caption.c_str());
    if (item->percent == 0)
        SendDlgItemMessageW(window, IDC_UPDATE_ITEM_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendDlgItemMessageW(window, IDC_UPDATE_ITEM_PROGRESS, PBM_SETPOS, item->percent, 0);
    return FALSE;
}

INT_PTR CUpdateDialog::OnShowLog() {
    HWND window = Window();
    if (!logView_.CreateView(module_, window)) {
        LogError(GetLocalizedMessage(msg::kRichEditFailed));
        return FALSE;
    }
    RECT client{};
    GetClientRect(window, &client);
    if (!logPaneOpen_) {
        // A second request (the configuration failed and the log was asked for again) does not
        // grow the window once more.
        logPaneOpen_ = true;
        paneTop_ = client.bottom;
        RECT frame{};
        GetWindowRect(window, &frame);
        MoveWindow(window, frame.left, frame.top, frame.right - frame.left,
                   frame.bottom - frame.top + kLogPaneHeight, TRUE);
        GetClientRect(window, &client);
    }
    // The four fields are taken as x, y, width and height.
    RECT pane{client.left, paneTop_, client.right, kLogPaneHeight};
    logView_.MoveView(pane);
    logView_.ShowView(SW_SHOW);
    logView_.RefreshView();
    return FALSE;
}

void CUpdateDialog::LogError(const wchar_t* text) {
    plog::Record record(plog::error, "NimboNS::CUpdateDialog::RefreshUIView", __LINE__);
    record << text;
    logView_.write(record);
}

}  // namespace NimboNS
