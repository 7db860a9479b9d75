// Damaged and unsupported archives fail with a code other than 0 and 1, say why once, and leave
// no half-written file behind.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "extract_fixture.h"
#include "zip_writer.h"

namespace {

using namespace kxtest;

std::uint32_t Get32(const std::string& s, std::size_t at) {
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8 |
           static_cast<unsigned char>(s[at + 2]) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}
void Set32(std::string& s, std::size_t at, std::uint32_t v) {
    std::string bytes;
    Put32(bytes, v);
    s.replace(at, 4, bytes);
}
// Offset of the first central directory entry, from the end record.
std::size_t Central(const std::string& zip) {
    return Get32(zip, zip.size() - 6);
}

const std::string kData = "0123456789abcdef0123456789abcdef0123456789";

TEST(ExtractorDamage, EveryFailureIsReportedAndLeavesNoFile) {
    struct Case {
        const char* what;
        std::function<std::string()> make;
        int expected;
    } cases[] = {
        {"wrong CRC, deflated",
         [] {
             return MakeZip({{"a.txt", kData, true, 0, 0xFFFF, true}});
         },
         Compression::kCrcMismatch},
        {"wrong CRC, stored",
         [] {
             return MakeZip({{"a.txt", kData, false, 0, 0xFFFF, true}});
         },
         Compression::kCrcMismatch},
        {"encrypted",
         [] {
             return MakeZip({{"a.txt", kData, false, 0x0001}});
         },
         Compression::kUnsupportedEntry},
        {"bzip2 method",
         [] {
             return MakeZip({{"a.txt", kData, false, 0, 12}});
         },
         Compression::kUnsupportedEntry},
        {"not deflate data",
         [] {
             return MakeZip({{"a.txt", "\xff\xff\xff\xff not deflate", false, 0, 8}});
         },
         Compression::kDataError},
        {"data past the end",
         [] {
             std::string z = MakeZip({{"a.txt", kData, false}});
             Set32(z, Central(z) + 20, 0x00100000);
             Set32(z, Central(z) + 24, 0x00100000);
             return z;
         },
         Compression::kDataError},
        {"more data than declared",
         [] {
             std::string z = MakeZip({{"a.txt", kData, true}});
             Set32(z, Central(z) + 24, 10);
             return z;
         },
         Compression::kDataError},
        {"less data than declared",
         [] {
             std::string z = MakeZip({{"a.txt", kData, true}});
             Set32(z, Central(z) + 24, 1000);
             return z;
         },
         Compression::kDataError},
        {"stored sizes differ",
         [] {
             std::string z = MakeZip({{"a.txt", kData, false}});
             Set32(z, Central(z) + 24, 10);
             return z;
         },
         Compression::kDataError},
        {"local header missing",
         [] {
             std::string z = MakeZip({{"a.txt", kData, false}});
             z[0] = 'X';
             return z;
         },
         Compression::kDataError},
        {"end record cut off",
         [] {
             std::string z = MakeZip({{"a.txt", kData}});
             return z.substr(0, z.size() - 10);
         },
         Compression::kNotAnArchive},
        {"directory cut short",
         [] {
             std::string z = MakeZip({{"a.txt", kData}, {"b.txt", kData}});
             return z.substr(0, Central(z)) + z.substr(z.size() - 22);
         },
         Compression::kNotAnArchive},
        {"plain text", [] { return std::string("just some text, no archive here"); },
         Compression::kNotAnArchive},
        {"empty file", [] { return std::string(); }, Compression::kNotAnArchive},
    };
    for (const auto& c : cases) {
        nimbo_test::TempFolder temp;
        ASSERT_TRUE(nimbo_test::WriteFileText(temp / L"damaged.zip", c.make()));
        Recorder recorder;
        const int result = ExtractWith(recorder, temp / L"damaged.zip", temp / L"out");
        EXPECT_EQ(c.expected, result) << c.what;
        EXPECT_NE(0, result) << c.what;
        EXPECT_NE(1, result) << c.what;
        ASSERT_EQ(1u, recorder.errors.size()) << c.what;
        EXPECT_FALSE(recorder.errors[0].empty()) << c.what;
        EXPECT_EQ(result, recorder.ended) << c.what;
        EXPECT_FALSE(nimbo_test::FileExists(temp / L"out\\a.txt")) << c.what;
    }
}

TEST(ExtractorDamage, MissingArchiveAndBlockedFolder) {
    nimbo_test::TempFolder temp;
    Recorder missing;
    EXPECT_EQ(Compression::kCannotOpenArchive, ExtractWith(missing, temp / L"none.zip", temp / L"out"));
    EXPECT_EQ(1u, missing.errors.size());

    // A file stands where the archive has a folder.
    ASSERT_TRUE(CreateDirectoryW((temp / L"out").c_str(), nullptr));
    ASSERT_TRUE(nimbo_test::WriteFileText(temp / L"out\\logs", "in the way"));
    Recorder blocked;
    EXPECT_EQ(Compression::kWriteError, ExtractWith(blocked, Fixture(L"python_tree.zip"), temp / L"out"));
    EXPECT_EQ(1u, blocked.errors.size());
}

}  // namespace
