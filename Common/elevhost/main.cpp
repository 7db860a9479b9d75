// elevhost.exe: runs the command lines that its client hands over the command channel.
#include <windows.h>

#include "elevhostapp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    try {
        return Elevhost::RunElevhost(instance, arguments);
    } catch (...) {
        return 0;
    }
}
