// installpanel.exe: the installer's progress and options window.
#include <windows.h>

#include "panel/app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    try {
        return NimboNS::installpanel::CInstallpanelApp().Run(instance);
    } catch (...) {
        return 1;
    }
}
