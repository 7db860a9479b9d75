// Stands in for the command runner in installpanel's tests until the real elevhost.exe is in the
// bin folder: "-check" anywhere in the arguments exits with 0, "-test" with 1, anything else 0.
#include <windows.h>

#include <cwchar>

int wmain() {
    const wchar_t* commandLine = GetCommandLineW();
    if (wcsstr(commandLine, L"-check") != nullptr) return 0;
    if (wcsstr(commandLine, L"-test") != nullptr) return 1;
    return 0;
}
