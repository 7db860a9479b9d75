// Test helper: holds a file open without sharing until its standard input closes or
// 60 seconds pass. Prints "held" once the file is open. With "--sleep" as second argument it
// ignores its standard input and just waits the 60 seconds.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::printf("held\n");
    std::fflush(stdout);
    char c;
    DWORD got = 0;
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (argc > 2 && wcscmp(argv[2], L"--sleep") == 0) {
        Sleep(60000);
        in = nullptr;
    }
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (GetTickCount64() < deadline) {
        if (in == nullptr || in == INVALID_HANDLE_VALUE || !ReadFile(in, &c, 1, &got, nullptr) || got == 0)
            break;
    }
    CloseHandle(file);
    return 0;
}
