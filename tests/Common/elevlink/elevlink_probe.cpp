// Test helper: a host program that loads elevlink.dll from its own folder. With "run" it opens a
// channel elevated, reports what it found, and releases the object:
//   open=<0|1> status_file=<0|1> after_release=<0|1>
// With any other argument it ends at once, so that a copy named elevhost.exe is a runner that
// never answers.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "icommand.h"

namespace {

std::wstring StatusFile() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    *std::wcsrchr(path, L'\\') = L'\0';
    return std::wstring(path) + L"\\sharedfile\\" + std::to_wstring(GetCurrentProcessId()) + L"s";
}

int Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || std::wcscmp(argv[1], L"run") != 0) return 0;
    HMODULE module = LoadLibraryW(L"elevlink.dll");
    if (module == nullptr) return 2;
    auto create = reinterpret_cast<Elevlink::CreateCommandObjectFn>(
        GetProcAddress(module, Elevlink::kCreateCommandObjectExport));
    Elevlink::ICommand* command = create != nullptr ? create() : nullptr;
    if (command == nullptr) return 3;
    bool opened = command->Open(0);
    int statusFile = Exists(StatusFile());
    command->Release();
    std::printf("open=%d status_file=%d after_release=%d\n", opened ? 1 : 0, statusFile,
                Exists(StatusFile()));
    FreeLibrary(module);
    return 0;
}
