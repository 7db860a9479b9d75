#include "handover.h"

#include <windows.h>

#include "nimbo/handle.h"
#include "nimbo/names.h"

namespace NimboNS {

std::wstring InstallerParameterFilePath() {
    wchar_t folder[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length > MAX_PATH) return {};
    return std::wstring(folder, length) + names::kInstallerParamFile;
}

bool WriteInstallerParameterFile(const std::wstring& path, const std::wstring& parameters) {
    if (path.empty()) return false;
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(path.c_str());
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    file.reset();
    return WritePrivateProfileStringW(L"Install", L"Param", parameters.c_str(), path.c_str()) != FALSE;
}

}  // namespace NimboNS
