// Plays an installed app that is running: started under the app's program name, it marks
// that it runs (when given a path) and stays until it is ended.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc > 1) {
        HANDLE marker = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    }
    Sleep(120000);
    return 0;
}
