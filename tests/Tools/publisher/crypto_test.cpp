#include <gtest/gtest.h>

#include <set>

#include "crypto.h"
#include "support.h"

using namespace NimboNS::publisher;

namespace {

std::vector<std::uint8_t> Hex(const std::string& hex) {
    std::vector<std::uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

TEST(Crypto, Sha256AndTagsOfKnownTexts) {
    Sha256 hash;
    hash.Update("abc");
    Digest d = hash.Final();
    EXPECT_EQ(std::vector<std::uint8_t>(d.begin(), d.end()),
              Hex("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    EXPECT_EQ(HashTag(d, kAppHashLength), "ungWv48Bz+pBQUDeXa4iI");
    EXPECT_EQ(HashTag(d, kRuntimeHashLength), "ungWv48Bz+pBQUDeXa4");
    const std::pair<std::string, std::string> base64[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}};
    for (const auto& [in, out] : base64) {
        EXPECT_EQ(Base64(reinterpret_cast<const std::uint8_t*>(in.data()), in.size()), out) << in;
    }
}

TEST(Crypto, Sha256OfAFileMatchesTheSameBytesInMemory) {
    nimbo_test::TempFolder temp;
    std::string bytes = publisher_test::RandomBytes(600 * 1024, 11);  // more than one read
    publisher_test::PutFile(temp / L"f.bin", bytes);
    Sha256 hash;
    hash.Update(bytes);
    EXPECT_EQ(Sha256OfFile(temp / L"f.bin"), hash.Final());
}

// NIST SP 800-38A, F.2.1 CBC-AES128.Encrypt; PKCS#7 then adds one whole block of padding.
TEST(Crypto, AesCbcKnownAnswer) {
    auto key = Hex("2b7e151628aed2a6abf7158809cf4f3c");
    auto iv = Hex("000102030405060708090a0b0c0d0e0f");
    auto plain =
        Hex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
            "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
    auto expected =
        Hex("7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
            "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7");
    auto cipher = AesCbcEncrypt(key.data(), iv.data(), plain.data(), plain.size());
    ASSERT_EQ(cipher.size(), 80u);
    EXPECT_EQ(std::vector<std::uint8_t>(cipher.begin(), cipher.begin() + 64), expected);
    EXPECT_EQ(AesCbcDecrypt(key.data(), iv.data(), cipher.data(), cipher.size()), plain);
}

TEST(Crypto, ConfigDocumentRoundTripsAndFailsOnDamage) {
    const std::string texts[] = {"", "{}", std::string(15, 'a'), std::string(16, 'b'),
                                 "{\"Version\": \"1.0\"}"};
    for (const auto& text : texts) {
        auto cipher = EncryptConfigDocument(text);
        EXPECT_EQ(cipher.size(), (text.size() / 16 + 1) * 16) << text;
        EXPECT_EQ(DecryptConfigDocument(cipher), text);
    }
    auto cipher = EncryptConfigDocument("{\"StartupFile\": \"App.exe\"}");
    auto truncated = cipher;
    truncated.pop_back();
    EXPECT_THROW(DecryptConfigDocument(truncated), PublishError);
    EXPECT_THROW(DecryptConfigDocument({}), PublishError);
    auto damaged = cipher;
    damaged.back() ^= 0x5A;  // the padding no longer checks
    EXPECT_THROW(DecryptConfigDocument(damaged), PublishError);
}

TEST(Crypto, GuidsAreFreshAndWellFormed) {
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        std::string g = NewGuid();
        ASSERT_EQ(g.size(), 38u) << g;
        EXPECT_EQ(g.front(), '{');
        EXPECT_EQ(g.back(), '}');
        for (size_t dash : {9u, 14u, 19u, 24u}) EXPECT_EQ(g[dash], '-') << g;
        EXPECT_EQ(g[15], '4') << g;
        EXPECT_TRUE(seen.insert(g).second);
    }
}

}  // namespace
