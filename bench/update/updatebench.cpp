// Runs one update of an app the way a launch does, on a home folder of its own, and prints what it
// took:
//   update_bench.exe APP_URL HOME_FOLDER
// Output (one line each): result (that of IUpdate::Update), seconds (from the start of the run to
// its end), update_type.
// The home folder is given to the run through a private registry view of this process only.
#include <windows.h>

#include <cstdio>
#include <string>

#include "nimbo/names.h"
#include "update_run.h"

namespace {

// Points "NimboHome" of a private HKEY_CURRENT_USER at `home`.
bool UsePrivateHome(const std::wstring& home) {
    const std::wstring path = L"Software\\NimboBench\\home-" + std::to_wstring(GetCurrentProcessId());
    HKEY user = nullptr, key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user, nullptr) !=
            ERROR_SUCCESS ||
        RegOverridePredefKey(HKEY_CURRENT_USER, user) != ERROR_SUCCESS)
        return false;
    bool ok = RegCreateKeyExW(HKEY_CURRENT_USER, NimboNS::names::kRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr) == ERROR_SUCCESS &&
              RegSetValueExW(key, NimboNS::names::kRegistryHomeValue, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(home.c_str()),
                             static_cast<DWORD>((home.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    if (key != nullptr) RegCloseKey(key);
    return ok;
}

void Cleanup() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\NimboBench");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("usage: update_bench APP_URL HOME_FOLDER\n", stderr);
        return 2;
    }
    if (!UsePrivateHome(argv[2])) {
        std::fputs("cannot set up a private registry view\n", stderr);
        return 1;
    }
    int result = 0, updateType = 0;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    {
        update_e2e::UpdateRun run;
        if (!run.HasDownloadLibrary()) {
            std::fputs("kxhttpclient.dll missing\n", stderr);
            Cleanup();
            return 1;
        }
        QueryPerformanceCounter(&start);
        result = run.Update(argv[1]);
        QueryPerformanceCounter(&end);
        updateType = run.config.updateType;
        if (result != 0) std::fputs(run.LogText().c_str(), stderr);
    }
    Cleanup();
    std::printf("result %d\nseconds %.3f\nupdate_type %d\n", result,
                static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
                updateType);
    return 0;
}
