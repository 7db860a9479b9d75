// Runs one update of an app the way a launch does, on a home folder of its own, and prints what it
// took:
//   update_bench.exe APP_URL HOME_FOLDER [direct]
// By default the run is CUpdate::Update with its progress window (the launcher self-update skipped,
// as with "-debug"); "direct" runs the configuration steps and the updaters without the window.
// Output (one line each): result (that of IUpdate::Update), seconds (from the start of Update to its
// return), update_type.
// The home folder is given to the run through a private registry view of this process only.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "nimbo/names.h"
#include "update_run.h"

namespace {

// Points "NimboHome" of a private HKEY_CURRENT_USER at `home`.
bool UsePrivateHome(const std::wstring& home) {
    const std::wstring path = L"Software\\NimboBench\\home-" + std::to_wstring(GetCurrentProcessId());
    HKEY user = nullptr, key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user,
                        nullptr) != ERROR_SUCCESS ||
        RegOverridePredefKey(HKEY_CURRENT_USER, user) != ERROR_SUCCESS)
        return false;
    bool ok = RegCreateKeyExW(HKEY_CURRENT_USER, NimboNS::names::kRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr) == ERROR_SUCCESS &&
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
    const bool direct = argc > 3 && wcscmp(argv[3], L"direct") == 0;
    int result = 0, updateType = 0;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    auto measure = [&](auto& run, auto&& update) {
        if (!run.HasDownloadLibrary()) return false;
        QueryPerformanceCounter(&start);
        result = update();
        QueryPerformanceCounter(&end);
        updateType = run.config.updateType;
        if (result != 0) std::fputs(run.LogText().c_str(), stderr);
        return true;
    };
    bool measured = false;
    if (direct) {
        update_e2e::UpdateRun run;
        measured = measure(run, [&] { return run.Update(argv[1]); });
    } else {
        update_e2e::EngineRun run;
        measured = measure(run, [&] { return run.Update(argv[1], 1); });
    }
    Cleanup();
    if (!measured) {
        std::fputs("kxhttpclient.dll missing\n", stderr);
        return 1;
    }
    std::printf("result %d\nseconds %.3f\nupdate_type %d\n", result,
                static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
                updateType);
    return 0;
}
