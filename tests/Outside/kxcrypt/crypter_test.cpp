#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypter.h"
#include "harness.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes FromHex(const std::string& hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

// NIST SP 800-38A, F.2.1 CBC-AES128.Encrypt.
const Bytes kNistKey = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
const Bytes kNistIv = FromHex("000102030405060708090a0b0c0d0e0f");
const Bytes kNistPlain = FromHex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51");
const Bytes kNistCipher = FromHex("7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2");

struct Output {
    unsigned char* data = nullptr;
    int size = 0;
    kxcrypt::Crypter* owner = nullptr;
    ~Output() {
        if (owner) owner->FreeBuffer(data);
    }
    Bytes bytes() const { return data ? Bytes(data, data + size) : Bytes(); }
};

class CrypterTest : public ::testing::Test {
protected:
    int Encrypt(const Bytes& in, Output& out, const Bytes& key = kNistKey) {
        out.owner = &crypter;
        return crypter.EncryptBuffer(0, in.data(), int(in.size()), &out.data, &out.size, key.data(), 16,
                                     kNistIv.data(), 16, kxcrypt::kAlgorithmAes, kxcrypt::kModeCbcPkcs7);
    }
    int Decrypt(const Bytes& in, Output& out, const Bytes& key = kNistKey) {
        out.owner = &crypter;
        return crypter.DecryptBuffer(0, in.data(), int(in.size()), &out.data, &out.size, key.data(), 16,
                                     kNistIv.data(), 16, kxcrypt::kAlgorithmAes, kxcrypt::kModeCbcPkcs7);
    }
    kxcrypt::Crypter crypter;
};

TEST_F(CrypterTest, KnownAnswerBlocksThenOnePaddingBlock) {
    Output sealed;
    ASSERT_EQ(kxcrypt::kOk, Encrypt(kNistPlain, sealed));
    // A whole number of blocks gets a full block of padding after the published ciphertext.
    ASSERT_EQ(48, sealed.size);
    EXPECT_EQ(kNistCipher, Bytes(sealed.data, sealed.data + 32));

    Output plain;
    ASSERT_EQ(kxcrypt::kOk, Decrypt(sealed.bytes(), plain));
    EXPECT_EQ(kNistPlain, plain.bytes());
    EXPECT_EQ(0, plain.data[plain.size]);
}

TEST_F(CrypterTest, PaddedRoundTripOfEveryLengthAroundABlock) {
    for (int length = 0; length <= 33; ++length) {
        Bytes text(length);
        for (int i = 0; i < length; ++i) text[i] = static_cast<unsigned char>(i * 7 + 1);
        Output sealed, plain;
        ASSERT_EQ(kxcrypt::kOk, Encrypt(text, sealed)) << length;
        EXPECT_EQ((length / 16 + 1) * 16, sealed.size) << length;
        ASSERT_EQ(kxcrypt::kOk, Decrypt(sealed.bytes(), plain)) << length;
        EXPECT_EQ(text, plain.bytes()) << length;
    }
}

TEST_F(CrypterTest, DamagedPaddingIsRefused) {
    Output sealed;
    ASSERT_EQ(kxcrypt::kOk, Encrypt(kNistPlain, sealed));  // last block: sixteen 0x10 bytes
    struct Case {
        const char* what;
        int offset;  // a byte of the second-to-last block: flipping it flips the same plain byte
        unsigned char mask;
    } cases[] = {
        {"count above a block", 31, 0x01},
        {"count of zero", 31, 0x10},
        {"inner padding byte differs", 20, 0x01},
        {"first padding byte differs", 16, 0x04},
    };
    for (const auto& c : cases) {
        Bytes damaged = sealed.bytes();
        damaged[c.offset] ^= c.mask;
        Output plain;
        EXPECT_EQ(kxcrypt::kBadPadding, Decrypt(damaged, plain)) << c.what;
        EXPECT_EQ(nullptr, plain.data) << c.what;
        EXPECT_EQ(0, plain.size) << c.what;
    }
    Output plain;
    EXPECT_EQ(kxcrypt::kBadPadding,
              Decrypt(sealed.bytes(), plain, FromHex("000102030405060708090a0b0c0d0e0f")))
        << "wrong key";
}

TEST_F(CrypterTest, TruncatedInputIsRefused) {
    Output sealed;
    ASSERT_EQ(kxcrypt::kOk, Encrypt(kNistPlain, sealed));
    const Bytes whole = sealed.bytes();
    struct Case {
        std::size_t keep;
        int expected;
    } cases[] = {
        {0, kxcrypt::kBadInputLength},  {5, kxcrypt::kBadInputLength}, {47, kxcrypt::kBadInputLength},
        {33, kxcrypt::kBadInputLength}, {32, kxcrypt::kBadPadding},  // the last whole block is gone
    };
    for (const auto& c : cases) {
        Output plain;
        Bytes cut(whole.begin(), whole.begin() + c.keep);
        EXPECT_EQ(c.expected, Decrypt(cut, plain)) << c.keep;
    }
}

TEST_F(CrypterTest, OnlyAesCbcWithSixteenByteKeysIsAccepted) {
    struct Case {
        int reserved, keyLength, ivLength, algorithm, mode, expected;
    } cases[] = {
        {0, 16, 16, 2, 4, kxcrypt::kBadSelector}, {0, 16, 16, 1, 1, kxcrypt::kBadSelector},
        {0, 24, 16, 1, 4, kxcrypt::kBadSelector}, {0, 16, 8, 1, 4, kxcrypt::kBadSelector},
        {1, 16, 16, 1, 4, kxcrypt::kBadArgument},
    };
    unsigned char key[32] = {}, iv[16] = {};
    for (const auto& c : cases) {
        unsigned char* out = reinterpret_cast<unsigned char*>(1);
        int size = 7;
        EXPECT_EQ(c.expected, crypter.EncryptBuffer(c.reserved, kNistPlain.data(), 32, &out, &size, key,
                                                    c.keyLength, iv, c.ivLength, c.algorithm, c.mode));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(0, size);
    }
}

TEST_F(CrypterTest, FileRoundTripAndFileFailures) {
    nimbo_test::TempFolder temp;
    const std::wstring path = temp / L"sealed.bin";
    const std::string text = "a=1; b=2";
    auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    ASSERT_EQ(kxcrypt::kOk, crypter.EncryptToFile(0, bytes, int(text.size()), path.c_str(), kNistKey.data(),
                                                  16, kNistIv.data(), 16, 1, 4));
    EXPECT_EQ(16u, nimbo_test::ReadFileText(path).size());

    Output plain;
    plain.owner = &crypter;
    ASSERT_EQ(kxcrypt::kOk, crypter.DecryptFile(0, &plain.data, &plain.size, path.c_str(), kNistKey.data(),
                                                16, kNistIv.data(), 16, 1, 4));
    EXPECT_EQ(text, std::string(reinterpret_cast<char*>(plain.data), plain.size));

    Output missing;
    EXPECT_EQ(kxcrypt::kFileError,
              crypter.DecryptFile(0, &missing.data, &missing.size, (temp / L"none").c_str(), kNistKey.data(),
                                  16, kNistIv.data(), 16, 1, 4));
    EXPECT_EQ(kxcrypt::kFileError,
              crypter.EncryptToFile(0, bytes, int(text.size()), (temp / L"no\\such\\folder.bin").c_str(),
                                    kNistKey.data(), 16, kNistIv.data(), 16, 1, 4));

    nimbo_test::WriteFileText(path, "not encrypted at all");
    Output garbage;
    EXPECT_EQ(kxcrypt::kBadInputLength, crypter.DecryptFile(0, &garbage.data, &garbage.size, path.c_str(),
                                                            kNistKey.data(), 16, kNistIv.data(), 16, 1, 4));
}

}  // namespace
