#include "crypto.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "nimbo/cipher_keys.h"
#include "report.h"

namespace NimboNS::publisher {
namespace {

bool Ok(NTSTATUS status) {
    return status >= 0;
}

[[noreturn]] void Fail(const char* what, NTSTATUS status) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(status));
    throw PublishError(std::string("BCrypt failed to ") + what + " (" + code + ")");
}

inline void CloseAlgorithm(BCRYPT_ALG_HANDLE h) {
    BCryptCloseAlgorithmProvider(h, 0);
}
inline void DestroyKey(BCRYPT_KEY_HANDLE h) {
    BCryptDestroyKey(h);
}
using AlgorithmHandle = UniqueHandle<handle_traits::NullEmpty<BCRYPT_ALG_HANDLE, CloseAlgorithm>>;
using AesKeyHandle = UniqueHandle<handle_traits::NullEmpty<BCRYPT_KEY_HANDLE, DestroyKey>>;

AesKeyHandle AesKey(AlgorithmHandle& algorithm, const std::uint8_t* key) {
    NTSTATUS s = BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_AES_ALGORITHM, nullptr, 0);
    if (!Ok(s)) Fail("open AES", s);
    s = BCryptSetProperty(algorithm.get(), BCRYPT_CHAINING_MODE,
                          reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC)),
                          sizeof(BCRYPT_CHAIN_MODE_CBC), 0);
    if (!Ok(s)) Fail("select CBC", s);
    AesKeyHandle handle;
    s = BCryptGenerateSymmetricKey(algorithm.get(), handle.put(), nullptr, 0, const_cast<PUCHAR>(key),
                                   cipher::kKeySize, 0);
    if (!Ok(s)) Fail("make the key", s);
    return handle;
}

using Transform = NTSTATUS(WINAPI*)(BCRYPT_KEY_HANDLE, PUCHAR, ULONG, VOID*, PUCHAR, ULONG, PUCHAR, ULONG,
                                    ULONG*, ULONG);

std::vector<std::uint8_t> RunAes(Transform transform, const char* what, const std::uint8_t* key,
                                 const std::uint8_t* ivIn, const void* data, size_t size) {
    if (size > 0x7FFFFFF0) throw PublishError("document too large to encrypt");
    AlgorithmHandle algorithm;
    AesKeyHandle handle = AesKey(algorithm, key);
    std::uint8_t iv[cipher::kIvSize];
    std::memcpy(iv, ivIn, sizeof iv);
    auto input = static_cast<PUCHAR>(const_cast<void*>(data));
    ULONG needed = 0;
    NTSTATUS s = transform(handle.get(), input, static_cast<ULONG>(size), nullptr, iv, sizeof iv, nullptr, 0,
                           &needed, BCRYPT_BLOCK_PADDING);
    if (!Ok(s)) Fail(what, s);
    std::vector<std::uint8_t> out(needed);
    ULONG done = 0;
    s = transform(handle.get(), input, static_cast<ULONG>(size), nullptr, iv, sizeof iv, out.data(), needed,
                  &done, BCRYPT_BLOCK_PADDING);
    if (!Ok(s)) Fail(what, s);
    out.resize(done);
    return out;
}

void ConfigKey(std::uint8_t* key, std::uint8_t* iv) {
    cipher::AssembleKeyMaterial(cipher::kConfigConstant, key, iv);
}

}  // namespace

Sha256::Sha256() {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    NTSTATUS s = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    if (!Ok(s)) Fail("open SHA-256", s);
    algorithm_ = algorithm;
    BCRYPT_HASH_HANDLE hash = nullptr;
    s = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0);
    if (!Ok(s)) {
        BCryptCloseAlgorithmProvider(algorithm, 0);
        Fail("start a hash", s);
    }
    hash_ = hash;
}

Sha256::~Sha256() {
    if (hash_) BCryptDestroyHash(hash_);
    if (algorithm_) BCryptCloseAlgorithmProvider(algorithm_, 0);
}

void Sha256::Update(const void* data, size_t size) {
    auto p = static_cast<PUCHAR>(const_cast<void*>(data));
    while (size > 0) {
        ULONG chunk = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        NTSTATUS s = BCryptHashData(hash_, p, chunk, 0);
        if (!Ok(s)) Fail("hash", s);
        p += chunk;
        size -= chunk;
    }
}

Digest Sha256::Final() {
    Digest digest{};
    NTSTATUS s = BCryptFinishHash(hash_, digest.data(), static_cast<ULONG>(digest.size()), 0);
    if (!Ok(s)) Fail("finish a hash", s);
    return digest;
}

Digest Sha256OfFile(const fs::path& path) {
    File file = File::OpenRead(path);
    Sha256 hash;
    auto buffer = std::make_unique<std::uint8_t[]>(256 * 1024);
    for (;;) {
        size_t got = file.Read(buffer.get(), 256 * 1024);
        if (got == 0) break;
        hash.Update(buffer.get(), got);
    }
    return hash.Final();
}

std::string Base64(const std::uint8_t* data, size_t size) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        std::uint32_t v = data[i] << 16;
        if (i + 1 < size) v |= data[i + 1] << 8;
        if (i + 2 < size) v |= data[i + 2];
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < size ? kAlphabet[(v >> 6) & 63] : '=';
        out += i + 2 < size ? kAlphabet[v & 63] : '=';
    }
    return out;
}

std::string HashTag(const Digest& digest, size_t length) {
    return Base64(digest.data(), digest.size()).substr(0, length);
}

std::vector<std::uint8_t> AesCbcEncrypt(const std::uint8_t* key, const std::uint8_t* iv, const void* data,
                                        size_t size) {
    return RunAes(BCryptEncrypt, "encrypt", key, iv, data, size);
}

std::vector<std::uint8_t> AesCbcDecrypt(const std::uint8_t* key, const std::uint8_t* iv, const void* data,
                                        size_t size) {
    if (size == 0 || size % 16 != 0) throw PublishError("encrypted data is not a whole number of AES blocks");
    return RunAes(BCryptDecrypt, "decrypt (wrong key or damaged data)", key, iv, data, size);
}

std::vector<std::uint8_t> EncryptConfigDocument(const std::string& plain) {
    std::uint8_t key[cipher::kKeySize], iv[cipher::kIvSize];
    ConfigKey(key, iv);
    return AesCbcEncrypt(key, iv, plain.data(), plain.size());
}

std::string DecryptConfigDocument(const std::vector<std::uint8_t>& encrypted) {
    std::uint8_t key[cipher::kKeySize], iv[cipher::kIvSize];
    ConfigKey(key, iv);
    auto plain = AesCbcDecrypt(key, iv, encrypted.data(), encrypted.size());
    return std::string(plain.begin(), plain.end());
}

std::string NewGuid() {
    std::uint8_t b[16];
    NTSTATUS s = BCryptGenRandom(nullptr, b, sizeof b, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (!Ok(s)) Fail("make random bytes", s);
    b[6] = static_cast<std::uint8_t>((b[6] & 0x0F) | 0x40);  // version 4
    b[8] = static_cast<std::uint8_t>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
    char text[40];
    std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return text;
}

}  // namespace NimboNS::publisher
