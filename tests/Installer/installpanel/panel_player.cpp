#include "panel_player.h"

#include <atomic>

#include "scwconv.h"

namespace installpanel_test {
namespace {

std::atomic<int> g_counter{0};

void WriteUtf16Ini(const std::wstring& path, const std::wstring& text) {
    std::wstring content = L"\xFEFF" + text;
    nimbo_test::WriteFileText(
        path, std::string(reinterpret_cast<const char*>(content.data()), content.size() * sizeof(wchar_t)));
}

// The command runner beside the panel: the real elevhost.exe when the build makes it, else a
// stand-in that answers "-check" the same way.
bool CopyRunner(const std::wstring& target) {
#ifdef INSTALLPANEL_REAL_ELEVHOST
    const std::wstring source = nimbo_test::BinFolder() + L"\\elevhost.exe";
#else
    const std::wstring source = nimbo_test::TestsFolder() + L"\\installpanel_elevhost_standin.exe";
#endif
    return CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
}

struct BoxSearch {
    DWORD processId;
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsWindowVisible(window) || window == search->owner) return TRUE;
    if (GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::wstring BoxText(HWND box) {
    return nimbo_test::DialogText(box);
}

PanelPlayer::PanelPlayer(PanelSetup setup) : setup_(std::move(setup)) {
    const int n = g_counter++;
    title_ = NimboNS::FormatWide(L"Nimbo Setup %lu-%d", GetCurrentProcessId(), n);
    memName_ = NimboNS::FormatWide(L"nimbo_ip_e2e_%lu_%d", GetCurrentProcessId(), n);
    std::map<std::wstring, std::wstring> values = {
        {L"AppTitle", title_},      {L"IsCustomInstallPath", L"1"},   {L"InstallPath", LauncherFolder()},
        {L"IsCustomAppHome", L"1"}, {L"KXAppHome", AppsFolder()},     {L"UserType", L"Single"},
        {L"IsUpgrade", L"0"},       {L"SupportLanguage", L"English"},
    };
    for (const auto& [key, value] : setup_.settings) values[key] = value;
    if (values[L"AppTitle"].empty()) values[L"AppTitle"] = title_;
    title_ = values[L"AppTitle"];
    std::wstring ini = L"[KXAppSetting]\r\n";
    for (const auto& [key, value] : values) ini += key + L"=" + value + L"\r\n";
    WriteUtf16Ini(folder_ / L"LauncherCfg.ini", ini);
    nimbo_test::WriteFileText(
        folder_ / L"Config.ini",
        "[ServerListener]\r\nLauncherWithoutService_Port=" + std::to_string(setup_.portWithoutService) +
            "\r\nLauncherWithService_Port=" + std::to_string(setup_.portWithService) + "\r\n");
    CopyFileW((nimbo_test::BinFolder() + L"\\installpanel.exe").c_str(),
              (folder_ / L"installpanel.exe").c_str(), FALSE);
    if (setup_.withCommandRunner) CopyRunner(folder_ / L"elevhost.exe");
    WriteProgress(setup_.progress);
    if (setup_.withSharedMemory) {
        mapping_.reset(
            CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 600, memName_.c_str()));
        view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 600));
    }
}

PanelPlayer::~PanelPlayer() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
}

bool PanelPlayer::Start() {
    std::wstring commandLine = nimbo_test::Quote(folder_ / L"installpanel.exe") + L" " +
                               nimbo_test::Quote(folder_ / L"progress.ini");
    if (setup_.withSharedMemory) commandLine += L" /mem=" + memName_;
    process_.reset(nimbo_test::StartProgram(commandLine, folder_.path()));
    if (!process_) return false;
    window_ = nimbo_test::WaitForWindow(L"#32770", title_, 20000);
    if (window_ == nullptr) return false;
    threadId_ = GetWindowThreadProcessId(window_, nullptr);
    return true;
}

std::wstring PanelPlayer::Shared() const {
    if (!view_) return {};
    const auto* chars = static_cast<const wchar_t*>(view_.get());
    return std::wstring(chars, wcsnlen(chars, 300));
}

void PanelPlayer::WriteShared(const std::wstring& text) {
    if (!view_) return;
    auto* chars = static_cast<wchar_t*>(view_.get());
    memset(chars, 0, 600);
    wcsncpy(chars, text.c_str(), 299);
}

bool PanelPlayer::WaitShared(const std::wstring& text, DWORD timeoutMs) const {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        if (Shared() == text) return true;
        Sleep(30);
    } while (GetTickCount64() < deadline);
    return false;
}

void PanelPlayer::WriteProgress(const std::string& content) {
    // Rewritten in place as an installer would, so the folder sees a last-write change.
    HANDLE file =
        CreateFileW((folder_ / L"progress.ini").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    SetEndOfFile(file);
    CloseHandle(file);
}

void PanelPlayer::PostThread(UINT message, WPARAM wParam, LPARAM lParam) {
    PostThreadMessageW(threadId_, message, wParam, lParam);
}

void PanelPlayer::PostWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageW(window_, message, wParam, lParam);
}

HWND PanelPlayer::WaitBox(DWORD timeoutMs) const {
    DWORD processId = 0;
    GetWindowThreadProcessId(window_, &processId);
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        BoxSearch search{processId, window_, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            Sleep(200);  // let it finish drawing
            return search.found;
        }
        Sleep(50);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

bool PanelPlayer::NoBoxFor(DWORD ms) const {
    return WaitBox(ms) == nullptr;
}

bool PanelPlayer::Answer(HWND box, int buttonId) const {
    if (!nimbo_test::PressButton(box, buttonId)) return false;
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (IsWindow(box) && IsWindowVisible(box) && GetTickCount64() < deadline) Sleep(30);
    return !IsWindow(box) || !IsWindowVisible(box);
}

bool PanelPlayer::WaitExit(DWORD timeoutMs) {
    return process_ && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

std::wstring PanelPlayer::Setting(const wchar_t* key) const {
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(L"KXAppSetting", key, L"", value, 1024, (folder_ / L"LauncherCfg.ini").c_str());
    return value;
}

std::wstring PanelPlayer::ItemText(int id) const {
    // WM_GETTEXT itself: GetWindowText does not ask the controls of other processes.
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(GetDlgItem(window_, id), WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    return text;
}

void PanelPlayer::SetItemText(int id, const std::wstring& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(GetDlgItem(window_, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

bool PanelPlayer::ItemVisible(int id) const {
    return IsWindowVisible(GetDlgItem(window_, id)) != FALSE;
}
bool PanelPlayer::ItemEnabled(int id) const {
    return IsWindowEnabled(GetDlgItem(window_, id)) != FALSE;
}

int PanelPlayer::ClientHeight() const {
    RECT client{};
    GetClientRect(window_, &client);
    return client.bottom;
}

}  // namespace installpanel_test
