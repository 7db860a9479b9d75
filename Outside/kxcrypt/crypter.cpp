#include "crypter.h"

#include <windows.h>
#include <bcrypt.h>

#include <climits>
#include <cstring>
#include <new>

#include "nimbo/handle.h"

namespace kxcrypt {
namespace {

constexpr std::size_t kBlock = 16;

struct AlgTraits {
    using type = BCRYPT_ALG_HANDLE;
    static type empty() { return nullptr; }
    static void close(type h) { BCryptCloseAlgorithmProvider(h, 0); }
};
struct KeyTraits {
    using type = BCRYPT_KEY_HANDLE;
    static type empty() { return nullptr; }
    static void close(type h) { BCryptDestroyKey(h); }
};

// Raw AES-128-CBC over whole blocks. The padding is added and checked here rather than by the
// provider, so that a bad padding is reported the same way on every Windows (and Wine) version.
int RunCbc(bool encrypt, const unsigned char* key, const unsigned char* iv, const unsigned char* input,
           unsigned char* output, std::size_t size) {
    NimboNS::UniqueHandle<AlgTraits> alg;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(alg.put(), BCRYPT_AES_ALGORITHM, nullptr, 0)))
        return kCipherError;
    auto* mode = reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC));
    if (!BCRYPT_SUCCESS(
            BCryptSetProperty(alg.get(), BCRYPT_CHAINING_MODE, mode, sizeof(BCRYPT_CHAIN_MODE_CBC), 0)))
        return kCipherError;
    NimboNS::UniqueHandle<KeyTraits> keyHandle;
    if (!BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(alg.get(), keyHandle.put(), nullptr, 0,
                                                   const_cast<PUCHAR>(key), kKeyLength, 0)))
        return kCipherError;
    unsigned char chain[kBlock];  // the provider advances the IV it is given
    std::memcpy(chain, iv, kBlock);
    ULONG done = 0;
    auto in = const_cast<PUCHAR>(input);
    auto n = static_cast<ULONG>(size);
    NTSTATUS status =
        encrypt ? BCryptEncrypt(keyHandle.get(), in, n, nullptr, chain, kBlock, output, n, &done, 0)
                : BCryptDecrypt(keyHandle.get(), in, n, nullptr, chain, kBlock, output, n, &done, 0);
    return BCRYPT_SUCCESS(status) && done == n ? kOk : kCipherError;
}

int CheckSelectors(int reserved, const unsigned char* key, int keyLength, const unsigned char* iv,
                   int ivLength, int algorithm, int mode) {
    if (reserved != 0 || key == nullptr || iv == nullptr) return kBadArgument;
    if (keyLength != kKeyLength || ivLength != kIvLength || algorithm != kAlgorithmAes ||
        mode != kModeCbcPkcs7)
        return kBadSelector;
    return kOk;
}

// Hands a result to the caller in a buffer of the process heap, with a zero byte after the data.
int HandOut(const std::vector<unsigned char>& data, unsigned char** output, int* outputSize) {
    auto* buffer = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, data.size() + 1));
    if (buffer == nullptr) return kOutOfMemory;
    if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
    buffer[data.size()] = 0;
    *output = buffer;
    *outputSize = static_cast<int>(data.size());
    return kOk;
}

void ClearOutput(unsigned char** output, int* outputSize) {
    if (output != nullptr) *output = nullptr;
    if (outputSize != nullptr) *outputSize = 0;
}

int ReadWholeFile(const wchar_t* path, std::vector<unsigned char>& bytes) {
    NimboNS::FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > INT_MAX) return kFileError;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size()))
        return kFileError;
    return kOk;
}

int WriteWholeFile(const wchar_t* path, const std::vector<unsigned char>& bytes) {
    NimboNS::FileHandle file(
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return kFileError;
    DWORD written = 0;
    bool ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    file.reset();
    if (!ok) {
        DeleteFileW(path);
        return kFileError;
    }
    return kOk;
}

}  // namespace

int EncryptBytes(const unsigned char* input, std::size_t size, const unsigned char* key,
                 const unsigned char* iv, std::vector<unsigned char>& out) {
    if (size > INT_MAX - kBlock) return kBadArgument;
    std::size_t pad = kBlock - size % kBlock;  // PKCS#7: 1 to 16 bytes, each holding the count
    std::vector<unsigned char> plain(size + pad, static_cast<unsigned char>(pad));
    if (size != 0) std::memcpy(plain.data(), input, size);
    out.assign(plain.size(), 0);
    return RunCbc(true, key, iv, plain.data(), out.data(), plain.size());
}

int DecryptBytes(const unsigned char* input, std::size_t size, const unsigned char* key,
                 const unsigned char* iv, std::vector<unsigned char>& out) {
    out.clear();
    if (size == 0 || size % kBlock != 0 || size > INT_MAX) return kBadInputLength;
    std::vector<unsigned char> plain(size);
    if (int rc = RunCbc(false, key, iv, input, plain.data(), size); rc != kOk) return rc;
    unsigned pad = plain.back();
    if (pad == 0 || pad > kBlock) return kBadPadding;
    for (std::size_t i = size - pad; i < size; ++i) {
        if (plain[i] != pad) return kBadPadding;
    }
    plain.resize(size - pad);
    out.swap(plain);
    return kOk;
}

namespace {

using Transform = int (*)(const unsigned char*, std::size_t, const unsigned char*, const unsigned char*,
                          std::vector<unsigned char>&);

// The buffer-to-buffer operations differ only in the direction of the transform.
int TransformBuffer(Transform transform, int reserved, const unsigned char* input, int inputSize,
                    unsigned char** output, int* outputSize, const unsigned char* key, int keyLength,
                    const unsigned char* iv, int ivLength, int algorithm, int mode) {
    ClearOutput(output, outputSize);
    if (output == nullptr || outputSize == nullptr || (input == nullptr && inputSize != 0) || inputSize < 0)
        return kBadArgument;
    if (int rc = CheckSelectors(reserved, key, keyLength, iv, ivLength, algorithm, mode); rc != kOk)
        return rc;
    try {
        std::vector<unsigned char> result;
        if (int rc = transform(input, static_cast<std::size_t>(inputSize), key, iv, result); rc != kOk)
            return rc;
        return HandOut(result, output, outputSize);
    } catch (...) {
        return kOutOfMemory;
    }
}

}  // namespace

int Crypter::DecryptBuffer(int reserved, const unsigned char* input, int inputSize, unsigned char** output,
                           int* outputSize, const unsigned char* key, int keyLength, const unsigned char* iv,
                           int ivLength, int algorithm, int mode) {
    return TransformBuffer(DecryptBytes, reserved, input, inputSize, output, outputSize, key, keyLength, iv,
                           ivLength, algorithm, mode);
}

int Crypter::EncryptBuffer(int reserved, const unsigned char* input, int inputSize, unsigned char** output,
                           int* outputSize, const unsigned char* key, int keyLength, const unsigned char* iv,
                           int ivLength, int algorithm, int mode) {
    return TransformBuffer(EncryptBytes, reserved, input, inputSize, output, outputSize, key, keyLength, iv,
                           ivLength, algorithm, mode);
}

int Crypter::EncryptToFile(int reserved, const unsigned char* input, int inputSize, const wchar_t* path,
                           const unsigned char* key, int keyLength, const unsigned char* iv, int ivLength,
                           int algorithm, int mode) {
    if (path == nullptr || *path == 0 || (input == nullptr && inputSize != 0) || inputSize < 0)
        return kBadArgument;
    if (int rc = CheckSelectors(reserved, key, keyLength, iv, ivLength, algorithm, mode); rc != kOk)
        return rc;
    try {
        std::vector<unsigned char> sealed;
        if (int rc = EncryptBytes(input, static_cast<std::size_t>(inputSize), key, iv, sealed); rc != kOk)
            return rc;
        return WriteWholeFile(path, sealed);
    } catch (...) {
        return kOutOfMemory;
    }
}

int Crypter::DecryptFile(int reserved, unsigned char** output, int* outputSize, const wchar_t* path,
                         const unsigned char* key, int keyLength, const unsigned char* iv, int ivLength,
                         int algorithm, int mode) {
    ClearOutput(output, outputSize);
    if (output == nullptr || outputSize == nullptr || path == nullptr) return kBadArgument;
    if (int rc = CheckSelectors(reserved, key, keyLength, iv, ivLength, algorithm, mode); rc != kOk)
        return rc;
    try {
        std::vector<unsigned char> sealed;
        if (int rc = ReadWholeFile(path, sealed); rc != kOk) return rc;
        std::vector<unsigned char> plain;
        if (int rc = DecryptBytes(sealed.data(), sealed.size(), key, iv, plain); rc != kOk) return rc;
        return HandOut(plain, output, outputSize);
    } catch (...) {
        return kOutOfMemory;
    }
}

void Crypter::FreeBuffer(unsigned char* buffer) {
    if (buffer != nullptr) HeapFree(GetProcessHeap(), 0, buffer);
}

}  // namespace kxcrypt
