#include "cipher/encryptdll.h"

#include <cstring>

namespace NimboNS {

CEncryptDll::CEncryptDll() {
    std::memcpy(constant_, cipher::kCookieConstant, sizeof constant_);
}

CEncryptDll::~CEncryptDll() {
    ReleaseAll();
}

void CEncryptDll::ReleaseAll() {
    createCrypter_ = nullptr;
    crypter_ = nullptr;
}

bool CEncryptDll::Initialize() {
    cipher::AssembleKeyMaterial(constant_, key_, iv_);
    createCrypter_ = GetFunctionAs<kxcrypt::CreateCrypterObjectFn>(L"CreateCrypterObject");
    if (createCrypter_ != nullptr && crypter_ == nullptr) crypter_ = createCrypter_();
    return IsUsable();
}

bool CEncryptDll::EncryptToFile(const std::string& bytes, const wchar_t* path) {
    if (!IsUsable()) return false;
    return crypter_->EncryptToFile(0, reinterpret_cast<const unsigned char*>(bytes.data()),
                                   static_cast<int>(bytes.size()), path, key_, cipher::kKeySize, iv_,
                                   cipher::kIvSize, kxcrypt::kAlgorithmAes, kxcrypt::kModeCbcPkcs7) == 0;
}

bool CEncryptDll::DecryptFile(const wchar_t* path, std::string& bytes) {
    bytes.clear();
    if (!IsUsable()) return false;
    unsigned char* plain = nullptr;
    int size = 0;
    crypter_->DecryptFile(0, &plain, &size, path, key_, cipher::kKeySize, iv_, cipher::kIvSize,
                          kxcrypt::kAlgorithmAes, kxcrypt::kModeCbcPkcs7);
    if (plain == nullptr) return false;
    bytes.assign(reinterpret_cast<const char*>(plain), static_cast<std::size_t>(size));
    crypter_->FreeBuffer(plain);
    return true;
}

}  // namespace NimboNS
