// A stand-in for ravelin.dll in launcher tests: its run object writes every call into
// "calls.log" beside the DLL and answers as "fake_ravelin.ini" ([Fake]) there says.
#include <windows.h>

#include <string>

#include "irun.h"

namespace {

std::wstring DllFolder() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&DllFolder), &self);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

int Setting(const wchar_t* key, int fallback) {
    return static_cast<int>(
        GetPrivateProfileIntW(L"Fake", key, fallback, (DllFolder() + L"\\fake_ravelin.ini").c_str()));
}

void Log(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), n, nullptr,
                        nullptr);
    HANDLE file = CreateFileW((DllFolder() + L"\\calls.log").c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

class RecordingRun : public NimboNS::IRun {
public:
    ~RecordingRun() override { Log(L"Release"); }
    void Release() override { delete this; }
    NimboNS::RequestHandler SetRequestHandler(NimboNS::RequestHandler handler) override { return handler; }
    int RunApp(const wchar_t* text, int adminInstalled) override {
        Log(L"RunApp|" + std::wstring(text != nullptr ? text : L"(null)") + L"|" +
            std::to_wstring(adminInstalled));
        Sleep(static_cast<DWORD>(Setting(L"RunAppDelayMs", 0)));
        return Setting(L"RunAppResult", 0);
    }
    // Like the real run object, only the first call may start a server.
    int StartServer(int port, int sessionLaunch) override {
        Log(L"StartServer|" + std::to_wstring(port) + L"|" + std::to_wstring(sessionLaunch));
        return serverStarted_++ == 0 ? Setting(L"StartServerResult", 0) : -1;
    }

private:
    int serverStarted_ = 0;
};

}  // namespace

NimboNS::IRun* CreateRecordingRun() {
    Log(L"Create");
    if (Setting(L"ReturnNull", 0) != 0) return nullptr;
    return new RecordingRun();
}
