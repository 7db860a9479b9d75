// elevlink.dll: one export, the factory of the command object.
#include <windows.h>

#include "commandimpl.h"

extern "C" Elevlink::ICommand* CreateCommandObject() {
    return Elevlink::NewCommandObject();
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}
