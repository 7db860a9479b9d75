// sweeper.exe: removes one installed app. Copied into each app folder as "Uninstall.exe".
#include <windows.h>

#include "sweeper_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR arguments, int) {
    return NimboNS::RunSweeper(instance, arguments);
}
