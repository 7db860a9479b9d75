#include <windows.h>

namespace NimboNS {
// The module handle of ravelin.dll, for its string resources.
HMODULE g_ravelinModule = nullptr;
}  // namespace NimboNS

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        NimboNS::g_ravelinModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
