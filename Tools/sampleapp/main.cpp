// NimboSample.exe: a tiny app to publish and start through the launcher. Its window title shows
// the version in use; it signals the launcher's ready event once the window is up and shows the
// cookies it was handed.
#include <windows.h>

#include <memory>
#include <string>

#include "sample.h"
#include "scwconv.h"

namespace {

constexpr UINT kReadyNameMessage = WM_APP + 1;  // lParam: std::wstring* from the reader thread
constexpr UINT_PTR kAutoCloseTimer = 1;
constexpr wchar_t kClassName[] = L"NimboSampleWindow";

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

class SampleWindow {
public:
    explicit SampleWindow(NimboSample::StartInfo start) : start_(std::move(start)) {}

    bool Create(HINSTANCE instance, int show) {
        folder_ = ProgramFolder();
        report_.version = NimboSample::ReadVersion(folder_);
        report_.arguments = start_.arguments;
        report_.cookieFile = start_.cookieFile;
        if (!start_.cookieFile.empty())
            NimboSample::TakeCookieFile(start_.cookieFile, folder_, report_.cookies, report_.error);
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = &SampleWindow::Procedure;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClassName;
        RegisterClassExW(&wc);
        std::wstring title = L"Nimbo Sample " + report_.version;
        HWND window = CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                      CW_USEDEFAULT, 520, 260, nullptr, nullptr, instance, this);
        if (!window) return false;
        ShowWindow(window, show);
        UpdateWindow(window);
        if (start_.autoCloseMs) SetTimer(window, kAutoCloseTimer, start_.autoCloseMs, nullptr);
        NimboSample::WriteReport(folder_, report_);
        StartReader(window);
        return true;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<SampleWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self) return DefWindowProcW(window, message, wParam, lParam);
        try {
            return self->Handle(window, message, wParam, lParam);
        } catch (...) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
    }

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_PAINT:
                return OnPaint(window);
            case kReadyNameMessage:
                return OnReadyName(window,
                                   std::unique_ptr<std::wstring>(reinterpret_cast<std::wstring*>(lParam)));
            case WM_TIMER:
                if (wParam == kAutoCloseTimer) PostMessageW(window, WM_CLOSE, 0, 0);
                return 0;
            case WM_DESTROY:
                report_.closed = true;
                NimboSample::WriteReport(folder_, report_);
                PostQuitMessage(0);
                return 0;
            default:
                return DefWindowProcW(window, message, wParam, lParam);
        }
    }

    // The launcher writes the event's name once the process runs; the read blocks, so it has a
    // thread of its own, which hands the name over as a message.
    void StartReader(HWND window) {
        HANDLE thread = CreateThread(nullptr, 0, &SampleWindow::ReadName, window, 0, nullptr);
        if (thread) CloseHandle(thread);
    }
    static DWORD WINAPI ReadName(void* window) {
        try {
            auto name = std::make_unique<std::wstring>();
            if (!NimboSample::ReadReadyEventName(GetStdHandle(STD_INPUT_HANDLE), *name)) return 0;
            if (PostMessageW(static_cast<HWND>(window), kReadyNameMessage, 0,
                             reinterpret_cast<LPARAM>(name.get()))) {
                name.release();
            }
        } catch (...) {
        }
        return 0;
    }

    LRESULT OnReadyName(HWND window, std::unique_ptr<std::wstring> name) {
        report_.readyEvent = *name;
        report_.signalled = NimboSample::SignalReady(*name);
        NimboSample::WriteReport(folder_, report_);
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    }

    LRESULT OnPaint(HWND window) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        std::wstring text = L"Version: " + report_.version + L"\nArguments: " + report_.arguments +
                            L"\nCookies: " + NimboNS::Utf8ToWide(report_.cookies) + L"\nReady event: " +
                            (report_.signalled ? L"signalled" : L"not signalled") +
                            (report_.error.empty() ? L"" : L"\n" + report_.error);
        RECT area;
        GetClientRect(window, &area);
        InflateRect(&area, -12, -12);
        DrawTextW(dc, text.c_str(), -1, &area, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
        EndPaint(window, &ps);
        return 0;
    }

    NimboSample::StartInfo start_;
    std::wstring folder_;
    NimboSample::Report report_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    try {
        SampleWindow window(NimboSample::ParseCommandLine(GetCommandLineW()));
        if (!window.Create(instance, show)) return 1;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        return 0;
    } catch (...) {
        return 1;
    }
}
