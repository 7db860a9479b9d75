// The export under ravelin's name, apart from <windows.h> (which declares a Win32 function of it).
#include "irun.h"

NimboNS::IRun* CreateRecordingRun();

extern "C" __declspec(dllexport) NimboNS::IRun* CreateServiceW() {
    return CreateRecordingRun();
}
