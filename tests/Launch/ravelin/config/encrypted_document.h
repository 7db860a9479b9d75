#pragma once
// App configuration documents encrypted the way the publisher writes them (kxcrypt with the
// configuration key), for tests that need documents the publisher would never write.
#include <windows.h>

#include <string>

#include "harness.h"
#include "nimbo/cipher_keys.h"
#include "outside/kxcrypt.h"

namespace config_test {

inline std::string EncryptConfigDocument(const std::string& json) {
    static HMODULE library = LoadLibraryW(L"kxcrypt.dll");
    if (library == nullptr) return {};
    auto create = reinterpret_cast<kxcrypt::CreateCrypterObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(library, kxcrypt::kCreateCrypterObject)));
    kxcrypt::ICrypter* crypter = create != nullptr ? create() : nullptr;
    if (crypter == nullptr) return {};
    unsigned char key[16], iv[16];
    NimboNS::cipher::AssembleKeyMaterial(NimboNS::cipher::kConfigConstant, key, iv);
    unsigned char* out = nullptr;
    int size = 0;
    if (crypter->EncryptBuffer(0, reinterpret_cast<const unsigned char*>(json.data()),
                               static_cast<int>(json.size()), &out, &size, key, 16, iv, 16,
                               kxcrypt::kAlgorithmAes, kxcrypt::kModeCbcPkcs7) != 0)
        return {};
    std::string bytes(reinterpret_cast<const char*>(out), static_cast<size_t>(size));
    crypter->FreeBuffer(out);
    return bytes;
}

inline bool WriteConfigDocument(const std::wstring& path, const std::string& json) {
    std::string bytes = EncryptConfigDocument(json);
    return !bytes.empty() && nimbo_test::WriteFileText(path, bytes);
}

}  // namespace config_test
