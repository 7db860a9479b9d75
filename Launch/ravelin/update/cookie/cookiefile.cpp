// The hand-over file: the cookie text, encrypted, in the user's temporary folder. The launch
// writes it before the app starts; the app reads and deletes it.
#include <shlobj.h>

#include "cipher/encryptdll.h"
#include "cookie/cookiemanager.h"
#include "scwconv.h"

namespace NimboNS {
namespace {

// Names are made by ExportCookieFile; anything that could reach another folder is refused, since
// the file is deleted after reading.
bool IsPlainFileName(const wchar_t* name) {
    if (name == nullptr || *name == 0) return false;
    const std::wstring text = name;
    return text != L"." && text != L".." && text.find_first_of(L"\\/:") == std::wstring::npos;
}

}  // namespace

std::wstring CCookieManager::HandOverFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    return std::wstring(folder) + L"\\Temp\\";
}

const wchar_t* CCookieManager::ExportCookieFile(int) {
    try {
        CEncryptDll crypt;
        const bool usable = crypt.LoadDll(cryptLibrary_.c_str()) && crypt.Initialize();
        std::lock_guard guard(lock_);
        exportName_.clear();
        if (cookieText_.empty() || !usable) return exportName_.c_str();
        const std::wstring name = FormatWide(L"%ld", static_cast<long>(GetTickCount()));
        const std::wstring folder = HandOverFolder();
        const std::wstring path = folder + name;
        if (folder.empty() || path.size() > 518) return exportName_.c_str();
        // Windows keeps its temporary files there; a profile without the folder (Wine's) gets one.
        CreateDirectoryW(folder.c_str(), nullptr);
        // Only a file that was really written is handed to the app.
        if (crypt.EncryptToFile(WideToUtf8(cookieText_), path.c_str())) exportName_ = name;
        return exportName_.c_str();
    } catch (...) {
        return L"";
    }
}

int CCookieManager::ImportCookieFile(const wchar_t* name) {
    try {
        if (!IsPlainFileName(name)) return 0;
        CEncryptDll crypt;
        if (!crypt.LoadDll(cryptLibrary_.c_str()) || !crypt.Initialize()) return 0;
        const std::wstring path = HandOverFolder() + name;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
        std::string bytes;
        const bool decrypted = crypt.DecryptFile(path.c_str(), bytes);
        DeleteFileW(path.c_str());
        if (!decrypted || bytes.empty()) return 0;
        return ParseCookies(Utf8ToWide(bytes).c_str(), 0);
    } catch (...) {
        return 0;
    }
}

}  // namespace NimboNS
