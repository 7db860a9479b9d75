// Entry names: what lands where, and the names that must never be written.
#include <gtest/gtest.h>

#include <string>

#include "extract_fixture.h"
#include "zip_writer.h"

namespace {

using namespace kxtest;

TEST(ExtractorNames, NamesLeavingTheFolderFailTheWholeArchive) {
    const char* hostile[] = {
        "../evil.txt",
        "a/../../evil.txt",
        "a\\..\\..\\evil.txt",
        "a/b/../../../evil.txt",
        "/evil.txt",
        "\\evil.txt",
        "C:/evil.txt",
        "C:evil.txt",
        "c:\\evil.txt",
        "\\\\server\\share\\evil.txt",
        "good.txt:hidden",
        ".. /evil.txt",
        "... /evil.txt",
        "NUL",
        "sub/con.txt",
        "sub/COM1.log",
        "a/b?.txt",
        "a/b*.txt",
        "a\x01.txt",
        "",
    };
    for (const char* name : hostile) {
        nimbo_test::TempFolder temp;
        const std::wstring out = temp / L"app";
        ASSERT_TRUE(nimbo_test::WriteFileText(
            temp / L"slip.zip", MakeZip({{"good.txt", "fine"}, {"sub/", "", false}, {name, "bad"}})));
        Recorder recorder;
        EXPECT_EQ(Compression::kUnsafeEntryName, ExtractWith(recorder, temp / L"slip.zip", out)) << name;
        // Refused before anything was written: not even the good entry.
        EXPECT_TRUE(IsEmptyOrMissing(out)) << name;
        EXPECT_FALSE(nimbo_test::FileExists(temp / L"evil.txt")) << name;
        ASSERT_EQ(1u, recorder.errors.size()) << name;
        EXPECT_EQ(Compression::kUnsafeEntryName, recorder.ended) << name;
    }
}

TEST(ExtractorNames, ZipSlipArchiveMadeByPython) {
    nimbo_test::TempFolder temp;
    Recorder recorder;
    EXPECT_EQ(Compression::kUnsafeEntryName,
              ExtractWith(recorder, Fixture(L"python_slip.zip"), temp / L"app"));
    EXPECT_FALSE(nimbo_test::FileExists(temp / L"evil.txt"));
    EXPECT_FALSE(nimbo_test::FileExists(temp / L"app\\good.txt"));
    ASSERT_EQ(1u, recorder.errors.size());
    EXPECT_NE(std::wstring::npos, recorder.errors[0].find(L"../evil.txt")) << recorder.errors[0];
}

TEST(ExtractorNames, OddButHarmlessNamesLandInside) {
    struct Case {
        const char* name;
        const wchar_t* lands;
    } cases[] = {
        {"./a.txt", L"a.txt"},           {"a//b.txt", L"a\\b.txt"},
        {"a/./b.txt", L"a\\b.txt"},      {"..a.txt", L"..a.txt"},
        {"a..b/c.txt", L"a..b\\c.txt"},  {"win\\style.txt", L"win\\style.txt"},
        {"console.txt", L"console.txt"}, {"null/x", L"null\\x"},
        {"com10.txt", L"com10.txt"},
    };
    for (const auto& c : cases) {
        nimbo_test::TempFolder temp;
        ASSERT_TRUE(nimbo_test::WriteFileText(temp / L"odd.zip", MakeZip({{c.name, "data"}})));
        Recorder recorder;
        EXPECT_EQ(1, ExtractWith(recorder, temp / L"odd.zip", temp / L"out")) << c.name;
        EXPECT_EQ("data", nimbo_test::ReadFileText(temp / L"out\\" + c.lands)) << c.name;
    }
}

TEST(ExtractorNames, UnicodePathFieldWinsOnlyWhenItMatchesTheStoredName) {
    struct Case {
        TestEntry entry;
        const wchar_t* lands;
    } cases[] = {
        {{"raw.txt", "x", true, 0, 0xFFFF, false, UnicodePathField("raw.txt", "\xc3\xa9t\xc3\xa9.txt")},
         L"\u00e9t\u00e9.txt"},
        {{"raw.txt", "x", true, 0, 0xFFFF, false, UnicodePathField("renamed.txt", "other.txt")}, L"raw.txt"},
        {{"\xc3\xa9t\xc3\xa9.txt", "x", true, 0x0800}, L"\u00e9t\u00e9.txt"},
    };
    for (const auto& c : cases) {
        nimbo_test::TempFolder temp;
        ASSERT_TRUE(nimbo_test::WriteFileText(temp / L"names.zip", MakeZip({c.entry})));
        Recorder recorder;
        EXPECT_EQ(1, ExtractWith(recorder, temp / L"names.zip", temp / L"out")) << c.lands;
        EXPECT_TRUE(nimbo_test::FileExists(temp / L"out\\" + c.lands)) << c.lands;
    }
    // Flagged as UTF-8 but not UTF-8: no usable name.
    nimbo_test::TempFolder temp;
    ASSERT_TRUE(nimbo_test::WriteFileText(temp / L"bad.zip", MakeZip({{"bad\xff.txt", "x", true, 0x0800}})));
    Recorder recorder;
    EXPECT_EQ(Compression::kUnsafeEntryName, ExtractWith(recorder, temp / L"bad.zip", temp / L"out"));
}

}  // namespace
