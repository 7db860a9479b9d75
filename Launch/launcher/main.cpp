// launcher.exe: a windowed program with a wide main; all the work is in LauncherMain.
#include <windows.h>

#include "launcher.h"

int wmain(int argc, wchar_t** argv) {
    try {
        return NimboNS::LauncherMain(argc, argv);
    } catch (...) {
        return -1;
    }
}
