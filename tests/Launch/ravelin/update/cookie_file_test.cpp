// The encrypted hand-over file between the launch and the started app.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "cookie/cookiemanager.h"
#include "crypter.h"
#include "harness.h"
#include "nimbo/cipher_keys.h"

namespace {

using NimboNS::CCookieManager;

std::wstring HandOverFolder() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\Temp\\";
}

struct Store {
    CCookieManager* store;
    explicit Store(const wchar_t* library = nullptr) : store(new CCookieManager(library)) {}
    ~Store() { store->Release(); }
    CCookieManager* operator->() const { return store; }
};

TEST(CookieFile, ExportedTextIsEncryptedAndImportedOnce) {
    const std::wstring text = L"session=abc123; user=J\u00fcrgen";
    Store launch;
    launch->SetCookieText(text.c_str(), GetTickCount());
    const std::wstring name = launch->ExportCookieFile(1);
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(std::wstring::npos, name.find_first_not_of(L"-0123456789")) << name;
    const std::wstring path = HandOverFolder() + name;
    ASSERT_TRUE(nimbo_test::FileExists(path));

    // The file is the UTF-8 text under the cookie key, readable by the crypter itself.
    const std::string sealed = nimbo_test::ReadFileText(path);
    EXPECT_EQ(std::string::npos, sealed.find("abc123"));
    unsigned char key[16], iv[16];
    NimboNS::cipher::AssembleKeyMaterial(NimboNS::cipher::kCookieConstant, key, iv);
    std::vector<unsigned char> plain;
    ASSERT_EQ(0, kxcrypt::DecryptBytes(reinterpret_cast<const unsigned char*>(sealed.data()), sealed.size(),
                                       key, iv, plain));
    EXPECT_EQ("session=abc123; user=J\xc3\xbcrgen", std::string(plain.begin(), plain.end()));

    Store app;
    EXPECT_EQ(1, app->ImportCookieFile(name.c_str()));
    EXPECT_STREQ(L"session=abc123; user=J\u00fcrgen", app->GetCookieHeader(1));
    EXPECT_FALSE(nimbo_test::FileExists(path)) << "the app deletes the file it read";
    EXPECT_EQ(0, app->ImportCookieFile(name.c_str())) << "read once only";
}

TEST(CookieFile, NothingToExportOrNoLibraryGivesNoName) {
    Store empty;
    EXPECT_STREQ(L"", empty->ExportCookieFile(1));

    Store noLibrary(L"no-such-crypt.dll");
    noLibrary->SetCookieText(L"a=1", 1);
    EXPECT_STREQ(L"", noLibrary->ExportCookieFile(1));
    EXPECT_EQ(0, noLibrary->ImportCookieFile(L"12345"));
}

TEST(CookieFile, ImportTakesOnlyPlainNamesAndDeletesUnreadableFiles) {
    nimbo_test::TempFolder temp;
    const std::wstring outside = temp / L"precious.txt";
    ASSERT_TRUE(nimbo_test::WriteFileText(outside, "must survive"));
    // Relative to the hand-over folder, climbing out to the file above.
    std::wstring climb = L"..\\..\\..\\..\\..\\..\\..\\..\\" + outside.substr(3);
    const wchar_t* refused[] = {climb.c_str(), outside.c_str(), L"..", L".", L"", L"a/b", L"c:x", nullptr};
    for (const wchar_t* name : refused) {
        Store app;
        EXPECT_EQ(0, app->ImportCookieFile(name)) << (name ? name : L"(null)");
    }
    EXPECT_TRUE(nimbo_test::FileExists(outside));

    CreateDirectoryW(HandOverFolder().c_str(), nullptr);
    const std::wstring junk = HandOverFolder() + L"nimbo-cookie-junk";
    ASSERT_TRUE(nimbo_test::WriteFileText(junk, "not encrypted"));
    Store app;
    EXPECT_EQ(0, app->ImportCookieFile(L"nimbo-cookie-junk"));
    EXPECT_FALSE(nimbo_test::FileExists(junk));
    EXPECT_EQ(0, app->ImportCookieFile(L"nimbo-cookie-missing"));
}

}  // namespace
