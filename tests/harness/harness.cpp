#include "harness.h"

#include "nimbo/gdiplus.h"
#include <shlwapi.h>

#include <atomic>
#include <memory>

namespace nimbo_test {
namespace {

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    return path;
}

void CloseIf(HANDLE h) {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

}  // namespace

std::wstring TestsFolder() {
    return ExeFolder();
}

std::wstring BinFolder() {
    std::wstring tests = ExeFolder();
    size_t slash = tests.rfind(L'\\');
    return (slash == std::wstring::npos ? tests : tests.substr(0, slash)) + L"\\bin";
}

std::wstring Quote(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

HANDLE StartProgram(const std::wstring& commandLine, const std::wstring& workingFolder) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

ProgramResult RunProgram(const std::wstring& commandLine, DWORD timeoutMs,
                         const std::wstring& workingFolder) {
    ProgramResult result;
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nul;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    BOOL ok = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                             workingFolder.empty() ? nullptr : workingFolder.c_str(), &si, &pi);
    CloseIf(writeEnd);
    CloseIf(nul);
    if (!ok) {
        CloseIf(readEnd);
        return result;
    }
    result.started = true;
    struct Reader {
        HANDLE pipe;
        std::string output;
        static DWORD WINAPI Run(void* param) {
            auto* self = static_cast<Reader*>(param);
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(self->pipe, buffer, sizeof(buffer), &got, nullptr) && got > 0)
                self->output.append(buffer, got);
            return 0;
        }
    } reader{readEnd, {}};
    HANDLE readerThread = CreateThread(nullptr, 0, Reader::Run, &reader, 0, nullptr);
    DWORD wait = WaitForSingleObject(pi.hProcess, timeoutMs);
    if (wait != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 259);
        WaitForSingleObject(pi.hProcess, 5000);
    } else {
        result.finished = true;
    }
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    // Children may still hold the pipe's write end; do not wait for them forever.
    if (readerThread != nullptr) {
        if (WaitForSingleObject(readerThread, 3000) != WAIT_OBJECT_0) {
            CancelSynchronousIo(readerThread);
            WaitForSingleObject(readerThread, 2000);
        }
        CloseHandle(readerThread);
    }
    std::string output = std::move(reader.output);
    result.output = std::move(output);
    CloseIf(readEnd);
    CloseIf(pi.hThread);
    CloseIf(pi.hProcess);
    return result;
}

namespace {
struct FindRequest {
    const std::wstring* className;
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* request = reinterpret_cast<FindRequest*>(param);
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t text[512] = {};
    if (!request->className->empty()) {
        GetClassNameW(window, text, 512);
        if (*request->className != text) return TRUE;
    }
    if (!request->title->empty()) {
        GetWindowTextW(window, text, 512);
        if (*request->title != text) return TRUE;
    }
    request->found = window;
    return FALSE;
}
}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > deadline) return false;
        Sleep(20);
    }
    return true;
}

HWND WaitForWindow(const std::wstring& className, const std::wstring& title, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        FindRequest request{&className, &title, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&request));
        if (request.found) return request.found;
        Sleep(50);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

static bool ClickControl(HWND dialog, HWND button) {
    if (button == nullptr) return false;
    // Another process's window: bring it forward, then click as a mouse press on the button would.
    SetForegroundWindow(dialog);
    PostMessageW(button, BM_CLICK, 0, 0);
    return true;
}

bool PressButton(HWND dialog, int buttonId) {
    if (dialog == nullptr) return false;
    return ClickControl(dialog, GetDlgItem(dialog, buttonId));
}

namespace {
struct TextSearch {
    std::wstring caption;
    HWND found;
    std::wstring collected;
};

std::wstring WithoutAmpersands(const wchar_t* text) {
    std::wstring out;
    for (; *text; ++text)
        if (*text != L'&') out += *text;
    return out;
}

BOOL CALLBACK MatchButton(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<TextSearch*>(param);
    wchar_t text[512] = {};
    GetWindowTextW(child, text, 512);
    if (WithoutAmpersands(text) == search->caption) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<TextSearch*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    if (_wcsicmp(cls, L"Static") == 0) {
        wchar_t text[4096] = {};
        GetWindowTextW(child, text, 4096);
        if (!search->collected.empty() && text[0]) search->collected += L"\n";
        search->collected += text;
    }
    return TRUE;
}
}  // namespace

bool PressButtonByText(HWND dialog, const std::wstring& caption) {
    if (dialog == nullptr) return false;
    TextSearch search{caption, nullptr, {}};
    EnumChildWindows(dialog, MatchButton, reinterpret_cast<LPARAM>(&search));
    return ClickControl(dialog, search.found);
}

std::wstring DialogText(HWND dialog) {
    TextSearch search{{}, nullptr, {}};
    EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&search));
    return search.collected;
}

namespace {
bool PngEncoder(CLSID* clsid) {
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (size == 0) return false;
    std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
    Gdiplus::GetImageEncoders(count, size, codecs);
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}
}  // namespace

std::wstring TakeScreenshot(const std::wstring& name) {
    std::wstring folder = TestsFolder() + L"\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring path = folder + L"\\" + name + L".png";

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return {};
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    bool saved = false;
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        CLSID png;
        saved = PngEncoder(&png) && image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    Gdiplus::GdiplusShutdown(token);
    return saved ? path : std::wstring();
}

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    for (;;) {
        wchar_t name[MAX_PATH];
        _snwprintf(name, MAX_PATH, L"%snimbo_test_%lu_%d", temp, GetCurrentProcessId(), counter++);
        name[MAX_PATH - 1] = 0;
        if (CreateDirectoryW(name, nullptr)) {
            path_ = name;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
}

static void RemoveAll(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveAll(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

TempFolder::~TempFolder() {
    if (!path_.empty()) RemoveAll(path_);
}

bool WriteFileText(const std::wstring& path, const std::string& bytes) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadFileText(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) out.append(buffer, got);
    CloseHandle(file);
    return out;
}

bool FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace nimbo_test
