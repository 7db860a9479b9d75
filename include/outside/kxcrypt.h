#pragma once
// Call contract of kxcrypt.dll, the encryption library loaded by name.
//
// Export "CreateCrypterObject" (no arguments) returns the library's one crypter object; it lives
// as long as the library stays loaded and is never released or deleted by the caller.
//
// Every operation takes, after its own arguments, the key and the initialization vector, each
// followed by its length (16), and then two selectors:
//   algorithm 1 = AES (128-bit key),
//   mode      4 = CBC with PKCS#7 padding.
// No other algorithm, mode or length is accepted. The first argument is reserved and must be 0.
//
// Results: 0 on success, a kxcrypt::Error value otherwise. Output buffers are allocated by the
// library and belong to the caller, who returns them with FreeBuffer (never free() or delete: the
// library has its own heap). A returned buffer holds one zero byte after its outputSize bytes. On
// failure the output pointer is set to null and the size to 0.
#include <windows.h>

// <windows.h> maps DecryptFile to the file-system function DecryptFileW; the crypter operation of
// that name must stay as it is in every file that includes this contract.
#ifdef DecryptFile
#undef DecryptFile
#endif

namespace kxcrypt {

inline constexpr int kAlgorithmAes = 1;
inline constexpr int kModeCbcPkcs7 = 4;
inline constexpr int kKeyLength = 16;
inline constexpr int kIvLength = 16;

enum Error : int {
    kOk = 0,
    kBadArgument = 1,     // null pointer, negative size, reserved value not 0
    kBadSelector = 2,     // algorithm, mode, key or IV length other than the ones above
    kBadInputLength = 3,  // encrypted input empty or not a whole number of 16-byte blocks
    kBadPadding = 4,      // wrong key or corrupted data: the padding does not check
    kFileError = 5,       // the file cannot be created, written, opened or read
    kOutOfMemory = 6,
    kCipherError = 7,  // the system's cipher provider failed
};

class ICrypter {
public:
    virtual int DecryptBuffer(int reserved, const unsigned char* input, int inputSize, unsigned char** output,
                              int* outputSize, const unsigned char* key, int keyLength,
                              const unsigned char* iv, int ivLength, int algorithm, int mode) = 0;
    // Encrypts the input into a new file at path (replacing an existing one).
    virtual int EncryptToFile(int reserved, const unsigned char* input, int inputSize, const wchar_t* path,
                              const unsigned char* key, int keyLength, const unsigned char* iv, int ivLength,
                              int algorithm, int mode) = 0;
    // Reads and decrypts the whole file at path.
    virtual int DecryptFile(int reserved, unsigned char** output, int* outputSize, const wchar_t* path,
                            const unsigned char* key, int keyLength, const unsigned char* iv, int ivLength,
                            int algorithm, int mode) = 0;
    virtual int EncryptBuffer(int reserved, const unsigned char* input, int inputSize, unsigned char** output,
                              int* outputSize, const unsigned char* key, int keyLength,
                              const unsigned char* iv, int ivLength, int algorithm, int mode) = 0;
    // Returns a buffer that one of the operations above handed out; null is allowed.
    virtual void FreeBuffer(unsigned char* buffer) = 0;

protected:
    ~ICrypter() = default;
};

using CreateCrypterObjectFn = ICrypter* (*)();
inline constexpr char kCreateCrypterObject[] = "CreateCrypterObject";

}  // namespace kxcrypt
