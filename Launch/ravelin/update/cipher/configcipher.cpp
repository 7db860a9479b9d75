#include "cipher/configcipher.h"

#include <climits>
#include <new>
#include <vector>

#include "nimbo/cipher_keys.h"
#include "nimbo/names.h"

namespace NimboNS {
namespace {

// One key and IV for the whole process, filled the first time a cipher is made.
unsigned char g_configKey[cipher::kKeySize];
unsigned char g_configIv[cipher::kIvSize];

void FillConfigKey() {
    static const bool filled = [] {
        cipher::AssembleKeyMaterial(cipher::kConfigConstant, g_configKey, g_configIv);
        return true;
    }();
    (void)filled;
}

}  // namespace

CConfigCipher::CConfigCipher(const wchar_t* library) {
    module_.reset(LoadLibraryW(library != nullptr ? library : names::kCryptDll));
    if (module_) {
        auto create = reinterpret_cast<kxcrypt::CreateCrypterObjectFn>(
            reinterpret_cast<void*>(GetProcAddress(module_.get(), kxcrypt::kCreateCrypterObject)));
        if (create != nullptr) crypter_ = create();
    }
    FillConfigKey();
}

bool CConfigCipher::DecryptFileContent(const wchar_t* path, unsigned char** out, int* outSize) {
    if (path == nullptr || out == nullptr || outSize == nullptr) return false;
    FileHandle file(
        CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart >= INT_MAX) return false;
    std::vector<unsigned char> bytes;
    try {
        bytes.assign(static_cast<std::size_t>(size.QuadPart) + 1, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(size.QuadPart), &read, nullptr) ||
        read != size.QuadPart)
        return false;
    return DecryptContent(bytes.data(), static_cast<int>(read), out, outSize);
}

bool CConfigCipher::DecryptContent(const unsigned char* input, int size, unsigned char** out, int* outSize) {
    if (input == nullptr || out == nullptr || outSize == nullptr || crypter_ == nullptr) return false;
    return crypter_->DecryptBuffer(0, input, size, out, outSize, g_configKey, cipher::kKeySize, g_configIv,
                                   cipher::kIvSize, kxcrypt::kAlgorithmAes, kxcrypt::kModeCbcPkcs7) == 0;
}

void CConfigCipher::FreeContent(unsigned char* content) {
    if (crypter_ != nullptr) crypter_->FreeBuffer(content);
}

bool CConfigCipher::DecryptFileContent(const wchar_t* path, std::string& text) {
    unsigned char* plain = nullptr;
    int size = 0;
    text.clear();
    if (!DecryptFileContent(path, &plain, &size)) return false;
    text.assign(reinterpret_cast<const char*>(plain), static_cast<std::size_t>(size));
    FreeContent(plain);
    return true;
}

bool CConfigCipher::DecryptContent(const unsigned char* input, int size, std::string& text) {
    unsigned char* plain = nullptr;
    int plainSize = 0;
    text.clear();
    if (!DecryptContent(input, size, &plain, &plainSize)) return false;
    text.assign(reinterpret_cast<const char*>(plain), static_cast<std::size_t>(plainSize));
    FreeContent(plain);
    return true;
}

}  // namespace NimboNS
