#pragma once
// Hashes, the content tags of published files, the encryption of the app configuration document
// and publication GUIDs, on the system's BCrypt provider.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fileio.h"

namespace NimboNS::publisher {

using Digest = std::array<std::uint8_t, 32>;

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    void Update(const void* data, size_t size);
    void Update(const std::string& text) { Update(text.data(), text.size()); }
    Digest Final();

private:
    void* algorithm_ = nullptr;
    void* hash_ = nullptr;
};

Digest Sha256OfFile(const fs::path& path);
std::string Base64(const std::uint8_t* data, size_t size);

// Widths of the change tags the launcher keeps: 21 characters for app files, 19 for runtime files.
inline constexpr size_t kAppHashLength = 21;
inline constexpr size_t kRuntimeHashLength = 19;
// The first `length` characters of the base64 text of the digest.
std::string HashTag(const Digest& digest, size_t length);

// The app configuration document's cipher: AES-128-CBC with PKCS#7 padding, with the key and
// initialization vector that the launcher assembles from the configuration constant.
std::vector<std::uint8_t> EncryptConfigDocument(const std::string& plain);
// Throws PublishError when the bytes do not decrypt (wrong key, damaged data).
std::string DecryptConfigDocument(const std::vector<std::uint8_t>& encrypted);

// AES-128-CBC with PKCS#7 under any key, for tests with published vectors.
std::vector<std::uint8_t> AesCbcEncrypt(const std::uint8_t* key, const std::uint8_t* iv, const void* data,
                                        size_t size);
std::vector<std::uint8_t> AesCbcDecrypt(const std::uint8_t* key, const std::uint8_t* iv, const void* data,
                                        size_t size);

// A new random GUID as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string NewGuid();

}  // namespace NimboNS::publisher
