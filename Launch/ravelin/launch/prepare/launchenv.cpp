#include "launchenv.h"

#include <shlobj.h>

#include "nimbo/handle.h"

namespace NimboNS {
namespace {

std::wstring HostProgram() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

std::wstring SpecialFolder(int csidl) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || list == nullptr) return {};
    wchar_t path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(list, path);
    CoTaskMemFree(list);
    return found ? std::wstring(path) : std::wstring();
}

bool NativeArchitecture(WORD& architecture) {
    using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    auto get = kernel != nullptr ? reinterpret_cast<GetNativeSystemInfoFn>(
                                       reinterpret_cast<void*>(GetProcAddress(kernel, "GetNativeSystemInfo")))
                                 : nullptr;
    if (get == nullptr) return false;
    SYSTEM_INFO info{};
    get(&info);
    architecture = info.wProcessorArchitecture;
    return true;
}

}  // namespace

void FillSystemEnvironment(LaunchEnvironment& environment) {
    if (!environment.hostProgram) environment.hostProgram = HostProgram;
    if (!environment.desktopFolder) environment.desktopFolder = [] { return SpecialFolder(CSIDL_DESKTOP); };
    if (!environment.programsFolder)
        environment.programsFolder = [] { return SpecialFolder(CSIDL_PROGRAMS); };
    if (!environment.nativeArchitecture) environment.nativeArchitecture = NativeArchitecture;
    if (!environment.showMessage) {
        environment.showMessage = [](const std::wstring& text, const std::wstring& caption, UINT flags) {
            MessageBoxW(nullptr, text.c_str(), caption.c_str(), flags);
        };
    }
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace NimboNS
