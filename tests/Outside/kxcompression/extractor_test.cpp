#include <gtest/gtest.h>

#include <string>

#include "extract_fixture.h"
#include "zip_writer.h"

namespace {

using namespace kxtest;
using nimbo_test::ReadFileText;

const std::string kText = "The quick brown fox jumps over the lazy dog.\n";

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

std::string AllBytes(int times) {
    std::string block;
    for (int i = 0; i < 256; ++i) block += static_cast<char>(i);
    return Repeat(block, times);
}

// What make_fixtures.py puts in every "tree" archive.
struct Expected {
    const wchar_t* path;
    std::string data;
};
const Expected kTree[] = {
    {L"readme.txt", kText},
    {L"bin\\app.exe", AllBytes(40)},
    {L"bin\\lib\\deep\\core.dll", Repeat(kText, 300)},
    {L"empty.dat", ""},
    {L"donn\u00e9es\\r\u00e9sum\u00e9.txt",
     "caf\xc3\xa9 \xc3\xbc"
     "ber"},
};

TEST(Extractor, ArchivesMadeByOtherToolsExtract) {
    struct Case {
        const wchar_t* archive;
        int entries;
    } cases[] = {
        {L"python_tree.zip", 6},
        {L"python_zip64.zip", 6},
        {L"infozip_tree.zip", 10},  // zip also lists every folder
    };
    for (const auto& c : cases) {
        nimbo_test::TempFolder temp;
        const std::wstring out = temp / L"not\\yet\\there";
        Recorder recorder;
        ASSERT_EQ(1, ExtractWith(recorder, Fixture(c.archive), out)) << c.archive;
        for (const auto& e : kTree) {
            EXPECT_TRUE(nimbo_test::FileExists(out + L"\\" + e.path)) << c.archive << L" " << e.path;
            EXPECT_EQ(e.data, ReadFileText(out + L"\\" + e.path)) << c.archive << L" " << e.path;
        }
        EXPECT_TRUE(nimbo_test::FolderExists(out + L"\\logs")) << c.archive;
        EXPECT_EQ(c.entries, recorder.begun) << c.archive;
        EXPECT_EQ(c.entries, static_cast<int>(recorder.items.size())) << c.archive;
        EXPECT_EQ(c.entries, recorder.numbers.back()) << c.archive;
        EXPECT_TRUE(recorder.errors.empty()) << c.archive;
        EXPECT_EQ(1, recorder.ended) << c.archive;
    }
}

TEST(Extractor, StreamedZip64EntryWithDataDescriptor) {
    nimbo_test::TempFolder temp;
    Recorder recorder;
    ASSERT_EQ(1, ExtractWith(recorder, Fixture(L"infozip_stream.zip"), temp.path()));
    EXPECT_EQ(Repeat(kText, 100), ReadFileText(temp / L"-"));
}

TEST(Extractor, LargeEntriesStreamThroughManyChunks) {
    std::string noise(1536 * 1024, '\0');
    unsigned state = 12345;
    for (auto& c : noise) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    const std::string stored = noise.substr(0, 700 * 1024);
    nimbo_test::TempFolder temp;
    ASSERT_TRUE(nimbo_test::WriteFileText(
        temp / L"big.zip", MakeZip({{"noise.bin", noise, true}, {"more/stored.bin", stored, false}})));
    Recorder recorder;
    ASSERT_EQ(1, ExtractWith(recorder, temp / L"big.zip", temp / L"out"));
    EXPECT_EQ(noise, ReadFileText(temp / L"out\\noise.bin"));
    EXPECT_EQ(stored, ReadFileText(temp / L"out\\more\\stored.bin"));
    EXPECT_EQ((std::vector<int>{1, 2}), recorder.numbers);
    EXPECT_EQ((std::vector<std::wstring>{L"noise.bin", L"more\\stored.bin"}), recorder.items);
    EXPECT_EQ(static_cast<long long>(noise.size() + stored.size()), recorder.total);
    EXPECT_EQ(recorder.total, recorder.done);
}

TEST(Extractor, ReplacesExistingFilesEvenReadOnlyOnes) {
    nimbo_test::TempFolder temp;
    const std::wstring readme = temp / L"readme.txt";
    ASSERT_TRUE(nimbo_test::WriteFileText(readme, "an older and longer version of the file"));
    ASSERT_TRUE(SetFileAttributesW(readme.c_str(), FILE_ATTRIBUTE_READONLY));
    Recorder recorder;
    ASSERT_EQ(1, ExtractWith(recorder, Fixture(L"python_tree.zip"), temp.path()));
    EXPECT_EQ(kText, ReadFileText(readme));
}

TEST(Extractor, DataInFrontOfTheArchiveIsSkipped) {
    nimbo_test::TempFolder temp;
    const std::string prefix(1000, 'M');  // as a self-extracting program would be
    ASSERT_TRUE(
        nimbo_test::WriteFileText(temp / L"sfx.zip", prefix + ReadFileText(Fixture(L"python_tree.zip"))));
    Recorder recorder;
    ASSERT_EQ(1, ExtractWith(recorder, temp / L"sfx.zip", temp / L"out"));
    EXPECT_EQ(Repeat(kText, 300), ReadFileText(temp / L"out\\bin\\lib\\deep\\core.dll"));
}

TEST(Extractor, WorksWithoutACallback) {
    nimbo_test::TempFolder temp;
    Compression::IExtractor* extractor = Compression::NewExtractor();
    extractor->SetCallback(nullptr);
    EXPECT_EQ(1, extractor->Extract(Fixture(L"python_tree.zip").c_str(), temp.path().c_str()));
    EXPECT_EQ(Compression::kBadArgument, extractor->Extract(nullptr, temp.path().c_str()));
    EXPECT_EQ(Compression::kBadArgument, extractor->Extract(Fixture(L"python_tree.zip").c_str(), nullptr));
    EXPECT_EQ(Compression::kBadArgument, extractor->Extract(Fixture(L"python_tree.zip").c_str(), L""));
    extractor->Release();
}

}  // namespace
