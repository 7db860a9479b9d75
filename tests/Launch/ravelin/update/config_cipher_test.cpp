// The configuration cipher reads documents that another AES implementation encrypted with the
// configuration key, so a change of key or layout cannot pass unnoticed.
#include <gtest/gtest.h>

#include <string>

#include "cipher/configcipher.h"
#include "cipher/encryptdll.h"
#include "crypter.h"
#include "harness.h"
#include "nimbo/cipher_keys.h"

namespace {

using NimboNS::CConfigCipher;

std::wstring Fixture(const wchar_t* name) {
    return nimbo_test::TestsFolder() + L"\\fixtures\\update\\" + name;
}

TEST(ConfigCipher, DecryptsADocumentEncryptedByOpenSsl) {
    CConfigCipher cipher;
    ASSERT_TRUE(cipher.IsUsable());
    const std::string expected = nimbo_test::ReadFileText(Fixture(L"appconfig.plain.json"));
    ASSERT_FALSE(expected.empty());

    std::string text;
    ASSERT_TRUE(cipher.DecryptFileContent(Fixture(L"appconfig.openssl.bin").c_str(), text));
    EXPECT_EQ(expected, text);

    unsigned char* out = nullptr;
    int size = 0;
    const std::string sealed = nimbo_test::ReadFileText(Fixture(L"appconfig.openssl.bin"));
    ASSERT_TRUE(cipher.DecryptContent(reinterpret_cast<const unsigned char*>(sealed.data()),
                                      int(sealed.size()), &out, &size));
    EXPECT_EQ(expected, std::string(reinterpret_cast<char*>(out), size));
    EXPECT_EQ(0, out[size]);
    cipher.FreeContent(out);
}

TEST(ConfigCipher, FailuresAreFalse) {
    CConfigCipher cipher;
    nimbo_test::TempFolder temp;
    ASSERT_TRUE(nimbo_test::WriteFileText(temp / L"plain.json", "{\"not\": \"encrypted\"}"));
    ASSERT_TRUE(nimbo_test::WriteFileText(temp / L"empty.bin", ""));
    std::string text;
    EXPECT_FALSE(cipher.DecryptFileContent(nullptr, text));
    EXPECT_FALSE(cipher.DecryptFileContent((temp / L"missing.bin").c_str(), text));
    EXPECT_FALSE(cipher.DecryptFileContent((temp / L"plain.json").c_str(), text));
    EXPECT_FALSE(cipher.DecryptFileContent((temp / L"empty.bin").c_str(), text));
    EXPECT_FALSE(cipher.DecryptContent(nullptr, 16, text));

    // Encrypted with the cookie key instead of the configuration key.
    unsigned char key[16], iv[16];
    NimboNS::cipher::AssembleKeyMaterial(NimboNS::cipher::kCookieConstant, key, iv);
    std::vector<unsigned char> sealed;
    const std::string doc = "{\"AppName\":\"Sample\"}";
    ASSERT_EQ(0, kxcrypt::EncryptBytes(reinterpret_cast<const unsigned char*>(doc.data()), doc.size(), key,
                                       iv, sealed));
    EXPECT_FALSE(cipher.DecryptContent(sealed.data(), int(sealed.size()), text));
}

TEST(ConfigCipher, WithoutTheLibraryNothingDecrypts) {
    CConfigCipher cipher(L"no-such-crypt.dll");
    EXPECT_FALSE(cipher.IsUsable());
    std::string text;
    EXPECT_FALSE(cipher.DecryptFileContent(Fixture(L"appconfig.openssl.bin").c_str(), text));

    NimboNS::CEncryptDll crypt;
    EXPECT_FALSE(crypt.LoadDll(L"no-such-crypt.dll"));
    EXPECT_FALSE(crypt.Initialize());
    EXPECT_FALSE(crypt.GetLastErrorText().empty());
}

}  // namespace
