#pragma once
// kxcrypt loaded by name for the cookie hand-over file, with the cookie store's own key.
#include <string>

#include "dllwrapper.h"
#include "nimbo/cipher_keys.h"
#include "outside/kxcrypt.h"

namespace NimboNS {

class CEncryptDll : public CDllWrapper {
public:
    CEncryptDll();
    ~CEncryptDll() override;

    // Forgets the entry function and the crypter object.
    void ReleaseAll() override;
    // Fills the key and IV, finds "CreateCrypterObject" and obtains the crypter (once); true when
    // both exist.
    bool Initialize() override;
    bool IsUsable() const { return createCrypter_ != nullptr && crypter_ != nullptr; }

    // Encrypts bytes into a new file; false when not usable or the file cannot be written.
    bool EncryptToFile(const std::string& bytes, const wchar_t* path);
    // Reads and decrypts a whole file; false when not usable or the file does not decrypt.
    bool DecryptFile(const wchar_t* path, std::string& bytes);

private:
    unsigned char key_[cipher::kKeySize] = {};
    unsigned char iv_[cipher::kIvSize] = {};
    char constant_[cipher::kConstantDigits + 1] = {};
    kxcrypt::CreateCrypterObjectFn createCrypter_ = nullptr;
    kxcrypt::ICrypter* crypter_ = nullptr;  // the library's; never released
};

}  // namespace NimboNS
