#pragma once
// Gives this process a private HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE for the life of the
// object: both predefined keys are redirected to fresh keys below the real HKCU, which are
// deleted at the end, so tests never touch the launcher settings other programs read.
#include <windows.h>

#include <string>

#include "nimbo/names.h"

namespace config_test {

class RegistryScope {
public:
    RegistryScope() {
        static int counter = 0;
        path_ = L"Software\\NimboTests\\config-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        RegCreateKeyExW(HKEY_CURRENT_USER, (path_ + L"\\cu").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &user_, nullptr);
        RegCreateKeyExW(HKEY_CURRENT_USER, (path_ + L"\\lm").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &machine_, nullptr);
        overridden_ = RegOverridePredefKey(HKEY_CURRENT_USER, user_) == ERROR_SUCCESS &&
                      RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_) == ERROR_SUCCESS;
    }
    ~RegistryScope() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegCloseKey(user_);
        RegCloseKey(machine_);
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
    RegistryScope(const RegistryScope&) = delete;
    RegistryScope& operator=(const RegistryScope&) = delete;

    bool Active() const { return overridden_; }

    // Writes "NimboHome" below the launcher key of the (redirected) root.
    static bool SetHome(HKEY root, const std::wstring& value, DWORD type = REG_SZ) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(root, NimboNS::names::kRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        LSTATUS status = RegSetValueExW(key, NimboNS::names::kRegistryHomeValue, 0, type,
                                        reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

private:
    std::wstring path_;
    HKEY user_ = nullptr;
    HKEY machine_ = nullptr;
    bool overridden_ = false;
};

}  // namespace config_test
