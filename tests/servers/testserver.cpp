#include "testserver.h"

#include <windows.h>

#include <cstdlib>

#ifndef NIMBO_TEST_SERVERS_DIR
#error "NIMBO_TEST_SERVERS_DIR must name the Unix folder of the server scripts"
#endif

namespace nimbo_test {

std::string UnixPath(const std::wstring& windowsPath) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) return "";
    char* unix = toUnix(windowsPath.c_str());
    if (unix == nullptr) return "";
    std::string path = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

TestServer::TestServer(const std::string& script, const std::wstring& root) : script_(script) {
    std::string state = UnixPath(state_.path());
    std::string served = UnixPath(root);
    if (state.empty() || served.empty()) return;
    // Wine starts a Unix program without a process handle: the state folder is the only channel.
    std::string command = "/usr/bin/python3 \"" + std::string(NIMBO_TEST_SERVERS_DIR) + "/" + script +
                          "\" --dir \"" + state + "\" --root \"" + served + "\" --lifetime 600";
    std::wstring wide(command.begin(), command.end());
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
    for (int i = 0; i < 300 && port_ == 0; ++i) {  // up to 30 s
        if (FileExists(state_ / L"stopped")) break;
        std::string text = ReadFileText(state_ / L"port");
        if (!text.empty()) port_ = std::atoi(text.c_str());
        if (port_ == 0) Sleep(100);
    }
}

TestServer::~TestServer() {
    Stop();
}

bool TestServer::Stop() {
    if (stopped_) return true;
    WriteFileText(state_ / L"stop", "stop\n");
    for (int i = 0; i < 150; ++i) {  // up to 15 s
        if (FileExists(state_ / L"stopped")) {
            stopped_ = true;
            break;
        }
        Sleep(100);
    }
    return stopped_;
}

std::wstring TestServer::Url(const std::wstring& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
}

std::string TestServer::Log() const {
    return ReadFileText(state_ / (script_ == "nginxserve.py" ? L"access.log" : L"requests.log"));
}

}  // namespace nimbo_test
