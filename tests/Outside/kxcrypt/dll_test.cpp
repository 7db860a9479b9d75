// kxcrypt.dll as its callers see it: loaded by name, one export.
#include <gtest/gtest.h>

#include <cstring>

#include "nimbo/cipher_keys.h"
#include "nimbo/handle.h"
#include "outside/kxcrypt.h"

TEST(KxcryptDll, ExportHandsOutOneCrypterThatRoundTrips) {
    NimboNS::ModuleHandle module(LoadLibraryW(L"kxcrypt.dll"));
    ASSERT_TRUE(module);
    auto create = reinterpret_cast<kxcrypt::CreateCrypterObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), kxcrypt::kCreateCrypterObject)));
    ASSERT_NE(nullptr, create);
    kxcrypt::ICrypter* crypter = create();
    ASSERT_NE(nullptr, crypter);
    EXPECT_EQ(crypter, create());

    unsigned char key[16], iv[16];
    NimboNS::cipher::AssembleKeyMaterial(NimboNS::cipher::kConfigConstant, key, iv);
    const char text[] = "{\"Version\":\"1.0.0\"}";
    unsigned char* sealed = nullptr;
    int sealedSize = 0;
    ASSERT_EQ(0, crypter->EncryptBuffer(0, reinterpret_cast<const unsigned char*>(text), int(strlen(text)),
                                        &sealed, &sealedSize, key, 16, iv, 16, 1, 4));
    unsigned char* plain = nullptr;
    int plainSize = 0;
    ASSERT_EQ(0, crypter->DecryptBuffer(0, sealed, sealedSize, &plain, &plainSize, key, 16, iv, 16, 1, 4));
    EXPECT_STREQ(text, reinterpret_cast<char*>(plain));
    crypter->FreeBuffer(sealed);
    crypter->FreeBuffer(plain);
}
