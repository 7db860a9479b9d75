#pragma once
// Key material for kxcrypt, shared by everything that writes or reads the encrypted files: ravelin
// (cookie hand-over file, app configuration document) and the publisher (appconfig.json.zip).
//
// Each secret is a built-in constant of 48 ASCII decimal digits, read as six 8-byte pieces:
//
//   digits   0..7    8..15   16..23   24..31   32..39   40..47
//   piece    0       1       2        3        4        5
//
// The 16-byte AES key is piece 1 followed by piece 4; the 16-byte initialization vector is piece 5
// followed by piece 2. Pieces 0 and 3 are filler. The bytes are the ASCII digits themselves.
// Changing a constant or this layout makes every file published before unreadable.
#include <cstddef>
#include <cstring>

namespace NimboNS::cipher {

inline constexpr std::size_t kConstantDigits = 48;
inline constexpr std::size_t kPieceSize = 8;
inline constexpr std::size_t kKeySize = 16;
inline constexpr std::size_t kIvSize = 16;

// Used by CEncryptDll: the cookie text handed to the started app.
inline constexpr char kCookieConstant[] = "734349890566063229398989392258304044984807232450";
// Used by CConfigCipher and the publisher: the app configuration document.
inline constexpr char kConfigConstant[] = "207990365176108873152012310713207305756490969693";

static_assert(sizeof(kCookieConstant) == kConstantDigits + 1);
static_assert(sizeof(kConfigConstant) == kConstantDigits + 1);

inline constexpr std::size_t kKeyPieces[2] = {1, 4};
inline constexpr std::size_t kIvPieces[2] = {5, 2};

// Fills key[16] and iv[16] from a 48-digit constant as laid out above.
inline void AssembleKeyMaterial(const char* constant, unsigned char* key, unsigned char* iv) {
    for (std::size_t i = 0; i < 2; ++i) {
        std::memcpy(key + i * kPieceSize, constant + kKeyPieces[i] * kPieceSize, kPieceSize);
        std::memcpy(iv + i * kPieceSize, constant + kIvPieces[i] * kPieceSize, kPieceSize);
    }
}

}  // namespace NimboNS::cipher
