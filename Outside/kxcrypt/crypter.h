#pragma once
// The crypter of kxcrypt.dll, also linked directly by tools that write encrypted files.
#include "outside/kxcrypt.h"

#include <vector>

namespace kxcrypt {

// Stateless: every call opens its own cipher key, so one object serves all threads.
class Crypter final : public ICrypter {
public:
    int DecryptBuffer(int reserved, const unsigned char* input, int inputSize, unsigned char** output,
                      int* outputSize, const unsigned char* key, int keyLength, const unsigned char* iv,
                      int ivLength, int algorithm, int mode) override;
    int EncryptToFile(int reserved, const unsigned char* input, int inputSize, const wchar_t* path,
                      const unsigned char* key, int keyLength, const unsigned char* iv, int ivLength,
                      int algorithm, int mode) override;
    int DecryptFile(int reserved, unsigned char** output, int* outputSize, const wchar_t* path,
                    const unsigned char* key, int keyLength, const unsigned char* iv, int ivLength,
                    int algorithm, int mode) override;
    int EncryptBuffer(int reserved, const unsigned char* input, int inputSize, unsigned char** output,
                      int* outputSize, const unsigned char* key, int keyLength, const unsigned char* iv,
                      int ivLength, int algorithm, int mode) override;
    void FreeBuffer(unsigned char* buffer) override;
};

// The cipher itself, for callers inside the library and its tests. Both return kOk or an Error.
int EncryptBytes(const unsigned char* input, std::size_t size, const unsigned char* key,
                 const unsigned char* iv, std::vector<unsigned char>& out);
int DecryptBytes(const unsigned char* input, std::size_t size, const unsigned char* key,
                 const unsigned char* iv, std::vector<unsigned char>& out);

}  // namespace kxcrypt
