#include "sweeper_app.h"

#include <shellapi.h>

#include <cwctype>

#include "appsettings.h"
#include "scwconv.h"
#include "sweeper_resources.h"
#include "uninstall.h"
#include "uninstall_dialog.h"

namespace NimboNS {
namespace {

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return length > 0 && length <= MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

bool IsBlank(const wchar_t* text) {
    for (; text != nullptr && *text; ++text)
        if (!std::iswspace(*text)) return false;
    return true;
}

void RunFromProgramFolder() {
    const std::wstring program = ProgramPath();
    const size_t slash = program.rfind(L'\\');
    if (slash == std::wstring::npos) return;
    const std::wstring folder = program.substr(0, slash);
    if (ReadAppName(folder).empty()) return;
    RelaunchFromTemp(program, folder);
}

int MessageLoop(HWND dialog) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

void RunForAppFolder(HINSTANCE instance, const std::wstring& folder) {
    if (!PathIsFolder(folder) || !PathIsFile(AppSettingsPath(folder))) return;
    const std::wstring appName = ReadAppName(folder);
    const std::wstring caption = LoadFormattedString(instance, IDS_UNINSTALL_CAPTION, appName.c_str());
    const std::wstring question = LoadFormattedString(instance, IDS_UNINSTALL_QUESTION, appName.c_str());
    if (appName.empty()) return;
    if (MessageBoxW(nullptr, question.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;

    // A process whose current folder lies inside the app folder keeps Windows from removing it.
    const std::wstring temp = TempFolder();
    if (!temp.empty()) SetCurrentDirectoryW(temp.c_str());

    IUninstall* uninstall = GetUninstall();
    uninstall->SetFolder(folder);
    CUninstallDialog dialog(instance, uninstall);
    if (!dialog.Create()) return;
    MessageLoop(dialog.Window());

    const std::wstring text = uninstall->PopMessage();
    const UINT icon = uninstall->GetErrorCode() != kUninstallOk ? MB_ICONERROR : MB_ICONINFORMATION;
    if (!text.empty()) MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | icon);
}

}  // namespace

bool RelaunchFromTemp(const std::wstring& program, const std::wstring& appFolder) {
    const std::wstring temp = TempFolder();
    const size_t slash = program.rfind(L'\\');
    if (temp.empty() || slash == std::wstring::npos) return false;
    const std::wstring copy = temp + program.substr(slash + 1);
    DeleteFileW(copy.c_str());
    if (!CopyFileW(program.c_str(), copy.c_str(), FALSE)) return false;
    const std::wstring parameters = L"\"" + appFolder + L"\"";
    // The copy starts in the temporary folder, not in the app folder it is about to remove.
    HINSTANCE started =
        ShellExecuteW(nullptr, L"open", copy.c_str(), parameters.c_str(), temp.c_str(), SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

std::wstring AppFolderArgument(const wchar_t* arguments) {
    if (IsBlank(arguments)) return {};
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(arguments, &count);
    if (list == nullptr) return {};
    std::wstring folder = count > 0 ? list[0] : L"";
    LocalFree(list);
    if (folder.empty()) return {};
    wchar_t full[MAX_PATH] = {};
    DWORD length = GetFullPathNameW(folder.c_str(), MAX_PATH, full, nullptr);
    if (length > 0 && length < MAX_PATH) folder.assign(full, length);
    // "C:\App\" and "C:\App" are the same folder; keep a drive's root as it is.
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return folder;
}

int RunSweeper(HINSTANCE instance, const wchar_t* arguments) {
    try {
        if (IsBlank(arguments)) {
            RunFromProgramFolder();
        } else {
            const std::wstring folder = AppFolderArgument(arguments);
            if (!folder.empty()) RunForAppFolder(instance, folder);
        }
    } catch (...) {
    }
    return 0;
}

}  // namespace NimboNS
