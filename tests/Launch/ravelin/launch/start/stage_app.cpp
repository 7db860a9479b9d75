// stage_app.exe: an app for the start tests. It reads the ready event's name from its standard
// input, writes what it saw to stage_app.txt beside it and signals the event, as its arguments say:
//   -wait=N   wait N ms before signalling      -nosignal   never signal
//   -spam=N   first write N bytes to standard output
//   -exit=N   end with exit code N instead of staying until -stay=N ms have passed (default 3000)
#include <windows.h>

#include <string>

namespace {

std::wstring Folder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

long Option(const std::wstring& line, const wchar_t* name, long fallback) {
    size_t at = line.find(name);
    return at == std::wstring::npos ? fallback : wcstol(line.c_str() + at + wcslen(name), nullptr, 10);
}

void Report(const std::wstring& text) {
    HANDLE file = CreateFileW((Folder() + L"\\stage_app.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                              nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring line = GetCommandLineW();
    Report(L"commandline=" + line + L"\n");
    const long spam = Option(line, L"-spam=", 0);
    if (spam > 0) {
        std::string chunk(4096, 'x');
        for (long sent = 0; sent < spam; sent += static_cast<long>(chunk.size())) {
            DWORD written = 0;
            if (!WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), chunk.data(), static_cast<DWORD>(chunk.size()),
                           &written, nullptr))
                break;
        }
        Report(L"spammed\n");
    }
    wchar_t name[512] = {};
    DWORD got = 0;
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (GetFileType(input) == FILE_TYPE_PIPE &&
        ReadFile(input, name, sizeof name - sizeof(wchar_t), &got, nullptr))
        Report(L"event=" + std::wstring(name, got / sizeof(wchar_t)) + L"\n");
    const long exitCode = Option(line, L"-exit=", -1);
    if (exitCode >= 0) return static_cast<int>(exitCode);
    Sleep(static_cast<DWORD>(Option(line, L"-wait=", 0)));
    if (line.find(L"-nosignal") == std::wstring::npos) {
        HANDLE event =
            OpenEventW(EVENT_MODIFY_STATE, FALSE, std::wstring(name, got / sizeof(wchar_t)).c_str());
        Report(event != nullptr && SetEvent(event) ? L"signalled\n" : L"not signalled\n");
        if (event != nullptr) CloseHandle(event);
    }
    Sleep(static_cast<DWORD>(Option(line, L"-stay=", 3000)));
    return 0;
}
