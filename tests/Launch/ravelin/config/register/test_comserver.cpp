// A COM server for the registration tests. Each copy answers for itself:
// - "<dll>.result" (an INI file, section [result], keys "register" and "unregister") holds the
//   HRESULT each entry point returns, 0 when absent;
// - every call is appended to "<dll>.calls" as a line "register" or "unregister";
// - a successful registration writes the value "<dll path>" = "registered" below
//   HKEY_CURRENT_USER "Software\NimboTests\ComServer", a successful unregistration removes it
//   (when there).
#include <windows.h>
#include <olectl.h>

#include <cwchar>
#include <string>

namespace {

HMODULE g_module = nullptr;
constexpr wchar_t kServerKey[] = L"Software\\NimboTests\\ComServer";

std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(g_module, path, MAX_PATH);
    return path;
}

HRESULT ChosenResult(const std::wstring& self, const wchar_t* entry) {
    wchar_t text[32] = {};
    GetPrivateProfileStringW(L"result", entry, L"0", text, 32, (self + L".result").c_str());
    return static_cast<HRESULT>(wcstoul(text, nullptr, 0));
}

void NoteCall(const std::wstring& self, const char* entry) {
    HANDLE file = CreateFileW((self + L".calls").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string line = std::string(entry) + "\r\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

HRESULT Serve(bool registering) {
    const std::wstring self = OwnPath();
    NoteCall(self, registering ? "register" : "unregister");
    const HRESULT result = ChosenResult(self, registering ? L"register" : L"unregister");
    if (result != S_OK) return result;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kServerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    static const wchar_t kRegistered[] = L"registered";
    LSTATUS status = registering
                         ? RegSetValueExW(key, self.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(kRegistered), sizeof(kRegistered))
                         : RegDeleteValueW(key, self.c_str());
    RegCloseKey(key);
    // Removing what is not there is no failure.
    return status == ERROR_SUCCESS || (!registering && status == ERROR_FILE_NOT_FOUND) ? S_OK
                                                                                       : SELFREG_E_CLASS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
    return Serve(true);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return Serve(false);
}
