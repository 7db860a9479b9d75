#include <gtest/gtest.h>
#include <windows.h>

#include "support.h"
#include "zipreader.h"
#include "zipwriter.h"

using namespace NimboNS::publisher;
using namespace publisher_test;

namespace {

struct ZipCase {
    const char* label;
    std::wstring fileName;
    std::string entryName;  // UTF-8
    std::string content;
    std::uint16_t method;
};

std::string Repeated(const std::string& piece, size_t times) {
    std::string s;
    for (size_t i = 0; i < times; ++i) s += piece;
    return s;
}

TEST(ZipWriter, SingleFileArchivesReadBackByteForByte) {
    const ZipCase cases[] = {
        {"empty file", L"empty.txt", "empty.txt", "", 0},
        {"tiny text is stored", L"a.txt", "a.txt", "abc", 0},
        {"text that compresses", L"log.txt", "log.txt", Repeated("line of a log file\r\n", 40000), 8},
        {"random bytes are stored", L"blob.bin", "blob.bin", RandomBytes(700 * 1024, 7), 0},
        {"name outside ASCII", L"r\u00e9sum\u00e9.txt", "r\xC3\xA9sum\xC3\xA9.txt", "text", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        nimbo_test::TempFolder temp;
        PutFile(temp / c.fileName, c.content);
        std::uint64_t size = WriteSingleFileZip(temp / L"out.zip", temp / c.fileName);
        EXPECT_EQ(size, c.content.size());
        std::vector<ZipEntry> entries;
        std::string error;
        ASSERT_TRUE(ReadZip(nimbo_test::ReadFileText(temp / L"out.zip"), entries, error)) << error;
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].name, c.entryName);
        EXPECT_EQ(entries[0].data, c.content);
        EXPECT_EQ(entries[0].method, c.method);
        bool ascii = c.entryName.find_first_of("\x80\xC3") == std::string::npos;
        EXPECT_EQ(entries[0].flags & 0x0800, ascii ? 0 : 0x0800) << "UTF-8 name flag";
        if (c.method == 8) {
            EXPECT_LT(entries[0].compressedSize, c.content.size() / 4);
        }
    }
}

TEST(ZipWriter, ArchiveWithFoldersKeepsOrderAndNames) {
    nimbo_test::TempFolder temp;
    PutFile(temp / L"a.txt", "first");
    PutFile(temp / L"b.bin", RandomBytes(100000, 3));
    PutFile(temp / L"c.txt", Repeated("x", 100000));
    {
        ZipWriter zip(temp / L"pack.zip");
        zip.AddFile("a.txt", temp / L"a.txt");
        zip.AddFile("sub/b.bin", temp / L"b.bin");
        zip.AddFile("sub/deeper/c.txt", temp / L"c.txt");
        zip.Finish();
    }
    std::vector<ZipEntry> entries;
    std::string error;
    ASSERT_TRUE(ReadZip(nimbo_test::ReadFileText(temp / L"pack.zip"), entries, error)) << error;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "a.txt");
    EXPECT_EQ(entries[1].name, "sub/b.bin");
    EXPECT_EQ(entries[2].name, "sub/deeper/c.txt");
    EXPECT_EQ(entries[1].data, nimbo_test::ReadFileText(temp / L"b.bin"));
    EXPECT_EQ(entries[2].data, std::string(100000, 'x'));
}

TEST(ZipWriter, RefusesAFileOf4GiBWithoutReadingIt) {
    nimbo_test::TempFolder temp;
    std::wstring big = temp / L"big.bin";
    {
        HANDLE h = CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD unused = 0;
        DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
        LARGE_INTEGER at;
        at.QuadPart = 0x100000000LL;
        ASSERT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(h));
        CloseHandle(h);
    }
    try {
        WriteSingleFileZip(temp / L"big.zip", big);
        FAIL() << "a 4 GiB file was accepted";
    } catch (const PublishError& e) {
        EXPECT_NE(std::string(e.what()).find("4 GiB"), std::string::npos) << e.what();
    }
    DeleteFileW(big.c_str());
}

TEST(ZipWriter, MissingSourceIsAClearError) {
    nimbo_test::TempFolder temp;
    try {
        WriteSingleFileZip(temp / L"out.zip", temp / L"missing.txt");
        FAIL();
    } catch (const PublishError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.txt"), std::string::npos) << e.what();
    }
}

}  // namespace
