// A host program for the update engine, for tests that need it in a process of its own: in a
// folder without kxhttpclient.dll, or beside a background picture of the progress window.
//   update_host --home FOLDER --url URL [--admin]   runs Update; prints "result=N", exits with N
//   update_host --dialog TITLE                      shows the progress window until it is closed
#include <windows.h>

#include <cstdio>
#include <string>

#include "cookie/cookiemanager.h"
#include "engine/update.h"
#include "engine/updatedialog.h"
#include "registry_scope.h"

int wmain(int argc, wchar_t** argv) {
    std::wstring home, url, title;
    bool dialogOnly = false;
    int admin = 0;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--home" && i + 1 < argc)
            home = argv[++i];
        else if (arg == L"--url" && i + 1 < argc)
            url = argv[++i];
        else if (arg == L"--dialog" && i + 1 < argc)
            dialogOnly = true, title = argv[++i];
        else if (arg == L"--admin")
            admin = 1;
    }
    try {
        if (dialogOnly) {
            NimboNS::CUpdateDialog dialog(nullptr);
            dialog.SetTitle(title);
            dialog.ShowModal(GetModuleHandleW(nullptr));
            return 0;
        }
        config_test::RegistryScope registry;
        config_test::RegistryScope::SetHome(admin ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, home);
        NimboNS::ICookieManager* cookies = NimboNS::CreateCookieManager();
        NimboNS::IUpdate* update = NimboNS::CreateUpdate();
        const int result = update != nullptr ? update->Update(url.c_str(), cookies, 0, admin) : -100;
        if (update != nullptr) update->Release();
        cookies->Release();
        std::printf("result=%d\n", result);
        std::fflush(stdout);
        return result;
    } catch (...) {
        return -101;
    }
}
