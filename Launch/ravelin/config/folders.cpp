// The local folder layout: the home folder from the registry (or a fallback) and the app folder.
#include <shlobj.h>

#include <io.h>

#include "catalog.h"
#include "fs/fsutil.h"
#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "pathjoin.h"
#include "plog/Record.h"
#include "scwconv.h"
#include "updateconfig.h"

namespace NimboNS {

namespace {

// The current user's local application-data folder with "NimboLauncher" appended.
std::wstring FallbackHomePath() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    return JoinPath(folder, L"NimboLauncher");
}

// "NimboHome" as REG_SZ; false for anything else.
bool ReadHomeValue(HKEY root, std::wstring& value) {
    KeyHandle key;
    if (RegOpenKeyExW(root, names::kRegistryKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    constexpr DWORD kBufferBytes = 5200;
    wchar_t buffer[kBufferBytes / sizeof(wchar_t) + 1] = {};
    DWORD type = 0, size = kBufferBytes;
    if (RegQueryValueExW(key.get(), names::kRegistryHomeValue, nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    buffer[size / sizeof(wchar_t)] = L'\0';  // a value stored without its terminator
    value = buffer;
    return true;
}

bool CreateFolderTree(const std::wstring& folder) {
    int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS;  // another launch was quicker
}

}  // namespace

int CUpdateConfig::PrepareFolders() {
    homePath = FallbackHomePath();
    std::wstring home;
    if (ReadHomeValue(adminInstalled ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, home)) {
        if (adminInstalled) {
            wchar_t expanded[MAX_PATH] = {};
            DWORD length = ExpandEnvironmentStringsW(home.c_str(), expanded, MAX_PATH);
            if (length != 0 && length <= MAX_PATH) home = expanded;
        }
        homePath = JoinPath(home, L"Applications");
    }
    OutputLog(plog::info, GetLocalizedMessage(msg::kAppRootPath), homePath);

    if (!homePath.empty() && _waccess(homePath.c_str(), 0) == 0) {
        if (!HasAccess(homePath, GENERIC_WRITE)) {
            OutputLog(plog::error, GetLocalizedMessage(msg::kNoReadWritePermission), homePath);
            return 8;
        }
    } else if (homePath.empty() || !CreateFolderTree(homePath)) {
        OutputLog(plog::error, GetLocalizedMessage(msg::kCreateDirectoryFailed), homePath);
        return 10;
    }

    appPath = JoinPath(homePath, FormatWide(L"%s_%s", host.c_str(), appName.c_str()));
    OutputLog(plog::info, GetLocalizedMessage(msg::kAppRuntimePath), appPath);
    return 0;
}

}  // namespace NimboNS
