// A stand-in for the .NET Framework's regasm.exe. Appends its arguments (the command line after
// the program name) as a UTF-8 line to "<exe>.args" and exits with the number in "<exe>.result"
// (0 when absent).
#include <windows.h>

#include <cwchar>
#include <string>

int wmain() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path = self;

    const wchar_t* arguments = GetCommandLineW();
    const bool quoted = *arguments == L'"';
    for (arguments += quoted ? 1 : 0; *arguments != L'\0'; ++arguments) {
        if (quoted ? *arguments == L'"' : *arguments == L' ' || *arguments == L'\t') break;
    }
    if (quoted && *arguments == L'"') ++arguments;
    while (*arguments == L' ' || *arguments == L'\t') ++arguments;

    char line[2048] = {};
    int size = WideCharToMultiByte(CP_UTF8, 0, arguments, -1, line, sizeof(line) - 2, nullptr, nullptr);
    std::string text = size > 0 ? std::string(line, size - 1) + "\r\n" : "\r\n";
    HANDLE file = CreateFileW((path + L".args").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }

    char code[32] = {};
    HANDLE result = CreateFileW((path + L".result").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (result == INVALID_HANDLE_VALUE) return 0;
    DWORD read = 0;
    ReadFile(result, code, sizeof(code) - 1, &read, nullptr);
    CloseHandle(result);
    return atoi(code);
}
