#pragma once
// installpanel's start-up: command line, language, message hook and shared memory, then the
// main window until it ends.
#include <windows.h>

namespace NimboNS::installpanel {

class CInstallpanelApp {
public:
    // Runs the program; the result is the process's exit code.
    int Run(HINSTANCE instance);
};

}  // namespace NimboNS::installpanel
