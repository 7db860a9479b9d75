#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"
#include "nimbo/names.h"
#include "register/regasm.h"
#include "registry_scope.h"

using config_test::RegistryScope;
using nimbo_test::TempFolder;

namespace {

struct LookupCase {
    const char* name;
    std::vector<std::wstring> tools;    // framework folders holding regasm.exe
    std::vector<std::wstring> folders;  // framework folders without it
    std::wstring found;                 // the framework folder expected, empty for none
};

bool SetInstallRoot(const std::wstring& root) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, NimboNS::names::kDotNetFrameworkKey, 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const bool set = root.empty() ||
                     RegSetValueExW(key, NimboNS::names::kDotNetInstallRootValue, 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(root.c_str()),
                                    static_cast<DWORD>((root.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
    return set;
}

TEST(FindRegasm, TakesTheFrameworkFolderWithTheGreatestName) {
    const LookupCase cases[] = {
        {"one framework", {L"v4.0.30319"}, {}, L"v4.0.30319"},
        {"the greatest name wins",
         {L"v1.1.4322", L"v4.0.30319", L"v2.0.50727"},
         {L"v4.5", L"zz"},
         L"v4.0.30319"},
        {"a longer name wins over its prefix", {L"v4.0", L"v4.0.1", L"v3.5"}, {}, L"v4.0.1"},
        {"by character code, not by version", {L"v10.0", L"v9.0"}, {}, L"v9.0"},
        {"no framework holds it", {}, {L"v2.0.50727", L"v4.0.30319"}, L""},
    };
    for (const LookupCase& c : cases) {
        for (bool is64Bit : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (is64Bit ? ", 64-bit app" : ", 32-bit app"));
            RegistryScope registry;
            ASSERT_TRUE(registry.Active());
            TempFolder root;
            for (const std::wstring& folder : c.tools) {
                ASSERT_TRUE(CreateDirectoryW((root / folder).c_str(), nullptr));
                ASSERT_TRUE(nimbo_test::WriteFileText(root / (folder + L"\\regasm.exe"), "MZ"));
            }
            for (const std::wstring& folder : c.folders)
                ASSERT_TRUE(CreateDirectoryW((root / folder).c_str(), nullptr));
            // A file named like a framework is no framework folder.
            ASSERT_TRUE(nimbo_test::WriteFileText(root / L"zzz", "not a folder"));
            ASSERT_TRUE(SetInstallRoot(root.path() + L"\\"));
            const std::wstring expected = c.found.empty() ? L"" : root / (c.found + L"\\regasm.exe");
            EXPECT_EQ(NimboNS::FindRegasm(is64Bit), expected);
        }
    }
}

TEST(FindRegasm, NothingWithoutAnInstallRoot) {
    TempFolder root;
    ASSERT_TRUE(CreateDirectoryW((root / L"v4.0.30319").c_str(), nullptr));
    ASSERT_TRUE(nimbo_test::WriteFileText(root / L"v4.0.30319\\regasm.exe", "MZ"));
    {
        RegistryScope noKey;
        ASSERT_TRUE(noKey.Active());
        EXPECT_EQ(NimboNS::FindRegasm(false), L"");
    }
    {
        RegistryScope noValue;
        ASSERT_TRUE(SetInstallRoot(L""));
        EXPECT_EQ(NimboNS::FindRegasm(false), L"");
    }
    {
        RegistryScope missingFolder;
        ASSERT_TRUE(SetInstallRoot(root / L"gone"));
        EXPECT_EQ(NimboNS::FindRegasm(false), L"");
    }
    {
        RegistryScope withoutBackslash;
        ASSERT_TRUE(SetInstallRoot(root.path()));
        EXPECT_EQ(NimboNS::FindRegasm(false), root / L"v4.0.30319\\regasm.exe");
    }
}

}  // namespace
