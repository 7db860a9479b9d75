// ravelin's one export. Kept apart from <windows.h>, whose Win32 service API has the same name.
#include "ravelin_export.h"

namespace NimboNS {
IRun* NewRunObject();
}

extern "C" __declspec(dllexport) NimboNS::IRun* CreateServiceW() {
    return NimboNS::NewRunObject();
}
