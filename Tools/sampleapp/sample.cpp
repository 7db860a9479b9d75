#include "sample.h"

#include <shlobj.h>

#include <vector>

#include "nimbo/cipher_keys.h"
#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "outside/kxcrypt.h"
#include "scwconv.h"

namespace NimboSample {
namespace {

constexpr wchar_t kCookiesOption[] = L" -cookies ";
constexpr wchar_t kAutoCloseOption[] = L"-autoclose=";

// The program name at the start of a command line, quoted or not, with the spaces after it.
size_t SkipProgramName(const std::wstring& line) {
    size_t at = 0;
    if (!line.empty() && line[0] == L'"') {
        size_t close = line.find(L'"', 1);
        at = close == std::wstring::npos ? line.size() : close + 1;
    } else {
        at = line.find(L' ');
        if (at == std::wstring::npos) at = line.size();
    }
    while (at < line.size() && line[at] == L' ') ++at;
    return at;
}

std::wstring Trim(std::wstring s) {
    while (!s.empty() && (s.back() == L' ' || s.back() == L'\r' || s.back() == L'\n')) s.pop_back();
    size_t lead = s.find_first_not_of(L' ');
    return lead == std::wstring::npos ? std::wstring() : s.substr(lead);
}

// kxcrypt as an app of the same maker has it: beside the app, on the search path, or beside the
// launcher that started it ("shellPath" of kxapp.ini).
HMODULE LoadCrypt(const std::wstring& folder) {
    if (HMODULE module = LoadLibraryW(NimboNS::names::kCryptDll)) return module;
    wchar_t shell[MAX_PATH] = {};
    std::wstring ini = folder + L"\\" + NimboNS::names::kAppSettingsIni;
    GetPrivateProfileStringW(L"dwcenter", L"shellPath", L"", shell, MAX_PATH, ini.c_str());
    std::wstring launcher = shell;
    size_t slash = launcher.rfind(L'\\');
    if (slash == std::wstring::npos) return nullptr;
    return LoadLibraryW((launcher.substr(0, slash + 1) + NimboNS::names::kCryptDll).c_str());
}

bool DecryptCookieFile(const std::wstring& path, const std::wstring& folder, std::string& plain,
                       std::wstring& error) {
    // Loaded once and kept: the crypter belongs to the library.
    static HMODULE library = LoadCrypt(folder);
    auto create = library ? reinterpret_cast<kxcrypt::CreateCrypterObjectFn>(reinterpret_cast<void*>(
                                GetProcAddress(library, kxcrypt::kCreateCrypterObject)))
                          : nullptr;
    kxcrypt::ICrypter* crypter = create ? create() : nullptr;
    if (!crypter) {
        error = L"kxcrypt.dll cannot be loaded";
        return false;
    }
    unsigned char key[NimboNS::cipher::kKeySize], iv[NimboNS::cipher::kIvSize];
    NimboNS::cipher::AssembleKeyMaterial(NimboNS::cipher::kCookieConstant, key, iv);
    unsigned char* out = nullptr;
    int size = 0;
    int result = crypter->DecryptFile(0, &out, &size, path.c_str(), key, sizeof key, iv, sizeof iv,
                                      kxcrypt::kAlgorithmAes, kxcrypt::kModeCbcPkcs7);
    if (result != kxcrypt::kOk || !out) {
        crypter->FreeBuffer(out);
        error = NimboNS::FormatWide(L"cannot decrypt %s (kxcrypt error %d)", path.c_str(), result);
        return false;
    }
    plain.assign(reinterpret_cast<const char*>(out), static_cast<size_t>(size));
    crypter->FreeBuffer(out);
    return true;
}

}  // namespace

StartInfo ParseCommandLine(const std::wstring& line) {
    StartInfo info;
    // A space in front, so that the option is found right after the program name too.
    std::wstring rest = L" " + line.substr(SkipProgramName(line));
    // The launcher appends the cookie option last, so its last occurrence is the real one.
    size_t cookies = rest.rfind(kCookiesOption);
    if (cookies != std::wstring::npos) {
        info.cookieFile = Trim(rest.substr(cookies + wcslen(kCookiesOption)));
        rest.resize(cookies);
    }
    info.arguments = Trim(rest);
    size_t close = info.arguments.find(kAutoCloseOption);
    if (close != std::wstring::npos)
        info.autoCloseMs = wcstoul(info.arguments.c_str() + close + wcslen(kAutoCloseOption), nullptr, 10);
    return info;
}

std::wstring ReadVersion(const std::wstring& folder) {
    wchar_t value[260] = {};
    std::wstring ini = folder + L"\\" + NimboNS::names::kAppSettingsIni;
    GetPrivateProfileStringW(L"dwcenter", L"appdeployversion", L"", value, 260, ini.c_str());
    if (value[0]) return value;
    NimboNS::FileHandle file(CreateFileW((folder + L"\\version.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    char text[128] = {};
    DWORD got = 0;
    if (file && ReadFile(file.get(), text, sizeof text - 1, &got, nullptr) && got > 0) {
        std::wstring line = NimboNS::Utf8ToWide(std::string(text, got));
        line = Trim(line.substr(0, line.find(L'\n')));
        if (!line.empty()) return line;
    }
    return L"unknown";
}

bool TakeCookieFile(const std::wstring& name, const std::wstring& folder, std::string& cookies,
                    std::wstring& error) {
    wchar_t appData[MAX_PATH] = {};
    if (name.empty() || name.find_first_of(L"\\/:") != std::wstring::npos || name == L"." || name == L"..") {
        error = L"no usable cookie file name";
        return false;
    }
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, appData))) {
        error = L"no local application data folder";
        return false;
    }
    std::wstring path = std::wstring(appData) + L"\\Temp\\" + name;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = L"no cookie file " + path;
        return false;
    }
    bool decrypted = DecryptCookieFile(path, folder, cookies, error);
    // The file is the app's once handed over, read or not.
    DeleteFileW(path.c_str());
    return decrypted;
}

bool ReadReadyEventName(HANDLE input, std::wstring& name) {
    if (input == nullptr || input == INVALID_HANDLE_VALUE || GetFileType(input) != FILE_TYPE_PIPE)
        return false;
    wchar_t buffer[512] = {};
    DWORD got = 0;
    if (!ReadFile(input, buffer, sizeof buffer - sizeof(wchar_t), &got, nullptr) || got < sizeof(wchar_t)) {
        return false;
    }
    name.assign(buffer, got / sizeof(wchar_t));
    return true;
}

bool SignalReady(const std::wstring& name) {
    NimboNS::Handle event(OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str()));
    return event && SetEvent(event.get());
}

void WriteReport(const std::wstring& folder, const Report& r) {
    using NimboNS::WideToUtf8;
    std::string text = "version=" + WideToUtf8(r.version) + "\r\narguments=" + WideToUtf8(r.arguments) +
                       "\r\ncookieFile=" + WideToUtf8(r.cookieFile) + "\r\ncookies=" + r.cookies +
                       "\r\nreadyEvent=" + WideToUtf8(r.readyEvent) +
                       "\r\nsignalled=" + (r.signalled ? "1" : "0") + "\r\nerror=" + WideToUtf8(r.error) +
                       "\r\nclosed=" + (r.closed ? "1" : "0") + "\r\n";
    NimboNS::FileHandle file(CreateFileW((folder + L"\\NimboSample.report.txt").c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (file) WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace NimboSample
