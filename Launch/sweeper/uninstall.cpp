#include "uninstall.h"

#include <list>
#include <vector>

#include "appsettings.h"
#include "cleanup.h"
#include "fs/fsutil.h"
#include "nimbo/handle.h"
#include "scwconv.h"
#include "sweeper_resources.h"

namespace NimboNS {
namespace {

class CUninstallImpl final : public IUninstall {
public:
    CUninstallImpl() { InitializeCriticalSection(&lock_); }
    ~CUninstallImpl() override;

    void Release() override;
    void SetWindow(HWND window) override { window_ = window; }
    void SetFolder(const std::wstring& folder) override { folder_ = folder; }
    std::wstring GetAppName() override { return ReadAppName(folder_); }
    bool Start() override;
    int GetErrorCode() override;
    std::wstring PopMessage() override;

private:
    static DWORD WINAPI ThreadProc(void* param);
    void Run();
    void Queue(const std::wstring& text);
    void Status(const std::wstring& text);
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        PostMessageW(window_, message, wParam, lParam);
    }
    void Fail(int code, const std::wstring& text);
    bool DeleteAppProgram(const std::wstring& appName);
    void DeleteShortcuts();
    void DeleteAppFolder();

    HWND window_ = nullptr;
    std::wstring folder_;
    CRITICAL_SECTION lock_;
    int errorCode_ = kUninstallOk;
    std::list<std::wstring> messages_;
    Handle worker_;
    bool started_ = false;
};

CUninstallImpl* g_instance = nullptr;

std::wstring Text(UINT id, const std::wstring& argument = {}) {
    return LoadFormattedString(GetModuleHandleW(nullptr), id, argument.c_str());
}

CUninstallImpl::~CUninstallImpl() {
    // The dialog closes only after the worker's last message, but the worker may still be on
    // its way out: it must not outlive the object it runs on.
    if (worker_) WaitForSingleObject(worker_.get(), INFINITE);
    DeleteCriticalSection(&lock_);
}

void CUninstallImpl::Release() {
    if (g_instance == this) g_instance = nullptr;
    delete this;
}

bool CUninstallImpl::Start() {
    if (started_) return false;
    started_ = true;
    worker_.reset(CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    return static_cast<bool>(worker_);
}

int CUninstallImpl::GetErrorCode() {
    EnterCriticalSection(&lock_);
    const int code = errorCode_;
    LeaveCriticalSection(&lock_);
    return code;
}

std::wstring CUninstallImpl::PopMessage() {
    std::wstring text;
    EnterCriticalSection(&lock_);
    if (!messages_.empty()) {
        text = std::move(messages_.front());
        messages_.pop_front();
    }
    LeaveCriticalSection(&lock_);
    return text;
}

void CUninstallImpl::Queue(const std::wstring& text) {
    EnterCriticalSection(&lock_);
    messages_.push_back(text);
    LeaveCriticalSection(&lock_);
}

void CUninstallImpl::Status(const std::wstring& text) {
    Queue(text);
    Post(UM_STATUS);
}

void CUninstallImpl::Fail(int code, const std::wstring& text) {
    EnterCriticalSection(&lock_);
    errorCode_ = code;
    LeaveCriticalSection(&lock_);
    Queue(text);
    Post(UM_FAILED);
}

DWORD WINAPI CUninstallImpl::ThreadProc(void* param) {
    auto* self = static_cast<CUninstallImpl*>(param);
    try {
        self->Run();
    } catch (...) {
        // Out of memory or the like: the dialog must still close.
        self->Post(UM_FAILED);
    }
    return 0;
}

void CUninstallImpl::Run() {
    Status(Text(IDS_INITIALIZING));
    const std::wstring appName = ReadAppName(folder_);
    if (appName.empty()) return Fail(kUninstallAppNotFound, Text(IDS_APP_NOT_FOUND));
    RunCleanupScript(folder_);
    if (!DeleteAppProgram(appName))
        return Fail(kUninstallFileInUse, Text(IDS_FILE_OCCUPIED, folder_ + L"\\" + appName + L".exe"));
    DeleteShortcuts();
    DeleteAppFolder();
    Queue(Text(IDS_UNINSTALLED));
    Post(UM_DONE);
}

bool CUninstallImpl::DeleteAppProgram(const std::wstring& appName) {
    const std::wstring program = folder_ + L"\\" + appName + L".exe";
    if (DeleteOneFile(program)) return true;
    // A program that is already gone cannot be running: nothing holds the app back.
    const DWORD error = GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && !PathIsFile(program);
}

void CUninstallImpl::DeleteShortcuts() {
    const std::wstring desktopLink = ReadShortcutValue(folder_, L"desktopshortcutname");
    if (ReadShortcutValue(folder_, L"desktopshortcut", L"0") == L"1" && PathIsFile(desktopLink))
        DeleteOneFile(desktopLink);
    const std::wstring startMenuFolder = ReadShortcutValue(folder_, L"startmenushortcutpath");
    if (ReadShortcutValue(folder_, L"startmenushortcut", L"0") == L"1" && PathIsFolder(startMenuFolder))
        DeleteTree(startMenuFolder);
}

void CUninstallImpl::DeleteAppFolder() {
    std::vector<std::wstring> files, folders;
    WIN32_FIND_DATAW entry{};
    FindHandle search(FindFirstFileW(FormatWide(L"%s\\*.*", folder_.c_str()).c_str(), &entry));
    if (search) {
        do {
            if (IsDotOrDotDot(entry.cFileName)) continue;
            std::wstring path = FormatWide(L"%s\\%s", folder_.c_str(), entry.cFileName);
            ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? folders : files)
                .push_back(std::move(path));
        } while (FindNextFileW(search.get(), &entry));
        search.reset();
    }
    Post(UM_PROGRESS, 0, static_cast<LPARAM>(files.size() + folders.size() + 1));
    for (const std::wstring& file : files) {
        Status(Text(IDS_DELETING_FILE, file));
        if (DeleteOneFile(file)) Post(UM_PROGRESS);
    }
    for (const std::wstring& folder : folders) {
        Status(Text(IDS_DELETING_FOLDER, folder));
        if (PathIsFolder(folder) && DeleteTree(folder)) Post(UM_PROGRESS);
    }
    Status(Text(IDS_DELETING_FOLDER, folder_));
    if (PathIsFolder(folder_) && DeleteTree(folder_)) Post(UM_PROGRESS);
}

}  // namespace

IUninstall* GetUninstall() {
    if (g_instance == nullptr) g_instance = new CUninstallImpl();
    return g_instance;
}

}  // namespace NimboNS
