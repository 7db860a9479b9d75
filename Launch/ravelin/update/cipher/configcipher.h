#pragma once
// Decrypts the app configuration document, which the publisher stores encrypted on the server
// and ravelin keeps encrypted on disk.
#include <string>

#include "nimbo/handle.h"
#include "outside/kxcrypt.h"

namespace NimboNS {

class CConfigCipher {
public:
    // Loads kxcrypt (by name unless another library is given) and obtains its crypter.
    explicit CConfigCipher(const wchar_t* library = nullptr);
    CConfigCipher(const CConfigCipher&) = delete;
    CConfigCipher& operator=(const CConfigCipher&) = delete;

    bool IsUsable() const { return crypter_ != nullptr; }

    // Reads and decrypts a whole file. On success *out holds the plain bytes (followed by one
    // zero byte, not counted in *outSize); return them with FreeContent.
    bool DecryptFileContent(const wchar_t* path, unsigned char** out, int* outSize);
    bool DecryptContent(const unsigned char* input, int size, unsigned char** out, int* outSize);
    void FreeContent(unsigned char* content);

    // The same, into a string.
    bool DecryptFileContent(const wchar_t* path, std::string& text);
    bool DecryptContent(const unsigned char* input, int size, std::string& text);

private:
    ModuleHandle module_;
    kxcrypt::ICrypter* crypter_ = nullptr;  // the library's; never released
};

}  // namespace NimboNS
