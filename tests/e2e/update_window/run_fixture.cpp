#include "run_fixture.h"

#include <utility>

#include "cookie/cookiemanager.h"
#include "engine/engine_resources.h"
#include "engine/updatedialog.h"
#include "nimbo/names.h"

namespace run_test {

WindowWatcher::WindowWatcher(NimboNS::CUpdate* update, std::function<void(HWND)> onShown,
                             std::wstring paneScreenshot)
    : update_(update),
      onShown_(std::move(onShown)),
      paneScreenshot_(std::move(paneScreenshot)),
      thread_([this] { Watch(); }) {}

WindowWatcher::~WindowWatcher() {
    Finish();
}

Seen WindowWatcher::Finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return seen_;
}

static std::wstring TextOf(HWND window) {
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    return text;
}

void WindowWatcher::Watch() {
    HWND window = nullptr;
    while (!stop_ && (window = update_->Dialog()->Window()) == nullptr) Sleep(10);
    if (window == nullptr) return;
    seen_.shown = true;
    Sleep(200);  // let it come up
    seen_.title = TextOf(window);
    if (onShown_) onShown_(window);
    for (;;) {
        if (!IsWindow(window)) {
            seen_.closedByItself = !seen_.paneShown;
            return;
        }
        HWND pane = FindWindowExW(window, nullptr, L"RICHEDIT20W", nullptr);
        if (pane != nullptr && IsWindowVisible(pane)) {
            Sleep(300);  // the pane fills itself
            seen_.paneShown = true;
            seen_.caption = TextOf(GetDlgItem(window, IDC_UPDATE_CAPTION));
            seen_.paneText = TextOf(pane);
            RECT client{};
            GetClientRect(window, &client);
            seen_.clientHeight = client.bottom;
            GetWindowRect(pane, &seen_.pane);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&seen_.pane), 2);
            if (!paneScreenshot_.empty()) nimbo_test::TakeScreenshot(paneScreenshot_);
            // The user closes the window with its close box.
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            while (IsWindow(window)) Sleep(20);
            return;
        }
        Sleep(20);
    }
}

RunFixture::RunFixture() {
    config_test::RegistryScope::SetHome(HKEY_CURRENT_USER, home_.path());
    config_test::RegistryScope::SetHome(HKEY_LOCAL_MACHINE, home_.path());
    cookies_ = NimboNS::CreateCookieManager();
}

RunFixture::~RunFixture() {
    if (update_ != nullptr) update_->Release();
    if (cookies_ != nullptr) cookies_->Release();
}

bool RunFixture::Serve(const std::string& script) {
    server_ = std::make_unique<nimbo_test::TestServer>(script, deployment.Folder());
    return server_->Ready();
}

std::wstring RunFixture::AppUrl(const std::wstring& app) const {
    return server_->Url(L"/" + app);
}

int RunFixture::Requests(const std::string& text) const {
    const std::string log = ServerLog();
    int count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
    return count;
}

int RunFixture::RunUpdate(const std::wstring& url, int debug, int admin, std::function<void(HWND)> onShown) {
    if (update_ != nullptr) update_->Release();
    update_ = new NimboNS::CUpdate;
    if (update_->Config()->syncDownloader != nullptr)
        update_->Config()->syncDownloader->SetTimeouts(3000, 3000);
    WindowWatcher watcher(update_, std::move(onShown), std::exchange(paneScreenshot_, L""));
    const int result = update_->Update(url.c_str(), cookies_, debug, admin);
    seen_ = watcher.Finish();
    return result;
}

std::string RunFixture::Log() const {
    return update_ != nullptr ? nimbo_test::ReadFileText(update_->Dialog()->LogView().FilePath())
                              : std::string();
}

std::wstring RunFixture::AppFolder(const std::wstring& app) const {
    return home_.path() + L"\\Applications\\127.0.0.1_" + app;
}

bool RunFixture::SetLauncherVersion(HKEY root, const std::wstring& version) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, NimboNS::names::kRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LSTATUS status = RegSetValueExW(key, NimboNS::names::kRegistryVersionValue, 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(version.c_str()),
                                          static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace run_test
