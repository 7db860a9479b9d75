#include "link/cmdline.h"

#include <windows.h>
#include <shellapi.h>

#include "link/setuplog.h"

namespace NimboNS::installpanel {

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(commandLine, &count);
    if (list == nullptr) return args;
    for (int i = 0; i < count; ++i) args.emplace_back(list[i]);
    LocalFree(list);
    return args;
}

std::wstring GetShareMemName(const std::vector<std::wstring>& args) {
    std::wstring name;
    for (const std::wstring& arg : args) {
        if (arg.size() > 5 &&
            (_wcsnicmp(arg.c_str(), L"/mem=", 5) == 0 || _wcsnicmp(arg.c_str(), L"-mem=", 5) == 0)) {
            name = arg.substr(5);
            break;
        }
    }
    WriteLogLine(L"GetShareMemName: name=" + name, kLogInfo);
    return name;
}

PanelCommandLine ParseCommandLine(const std::vector<std::wstring>& args) {
    PanelCommandLine result;
    if (!args.empty()) {
        size_t slash = args[0].rfind(L'\\');
        if (slash != std::wstring::npos) result.folder = args[0].substr(0, slash);
    }
    if (result.folder.empty()) {
        // Started by a bare program name: the folder is where the program file lies.
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring module(path);
        size_t slash = module.rfind(L'\\');
        if (slash != std::wstring::npos) result.folder = module.substr(0, slash);
    }
    result.memName = GetShareMemName(args);
    if (args.size() > 1 && args[1].size() >= 2) {
        result.progressFile = args[1][1] == L':' ? args[1] : result.folder + L"\\" + args[1];
    } else {
        result.progressFile = result.folder + L"\\ZORBProgress.ini";
    }
    return result;
}

}  // namespace NimboNS::installpanel
