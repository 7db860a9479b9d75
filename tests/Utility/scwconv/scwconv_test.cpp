#include <gtest/gtest.h>

#include "dllwrapper.h"
#include "scwconv.h"
#include "test_resources.h"

using namespace NimboNS;

namespace {

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::wstring wide;
};

void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.name; }

class Utf8RoundTrip : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8RoundTrip, ConvertsBothWays) {
    const Utf8Case& c = GetParam();
    EXPECT_EQ(Utf8ToWide(c.utf8), c.wide);
    EXPECT_EQ(WideToUtf8(c.wide), c.utf8);
    EXPECT_EQ(Utf8ToWide(c.utf8.c_str()), c.wide);
    EXPECT_EQ(WideToUtf8(c.wide.c_str()), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8RoundTrip,
    testing::Values(Utf8Case{"empty", "", L""}, Utf8Case{"ascii", "apprun.json", L"apprun.json"},
                    Utf8Case{"latin", "Gr\xC3\xBC\xC3\x9F" "e", L"Gr\u00fc\u00dfe"},
                    Utf8Case{"cjk", "\xE6\x97\xA5\xE6\x9C\xAC", L"\u65e5\u672c"},
                    Utf8Case{"surrogate_pair", "\xF0\x9F\x98\x80", L"\U0001F600"},
                    Utf8Case{"embedded_nul_free_path", "C:\\Users\\a b\\x.ini", L"C:\\Users\\a b\\x.ini"}),
    [](const testing::TestParamInfo<Utf8Case>& info) { return info.param.name; });

TEST(TextConversion, InvalidUtf8NeverThrowsAndKeepsWhatConverts) {
    std::wstring out;
    EXPECT_NO_THROW(out = Utf8ToWide(std::string("ab\xFF\xFE" "cd")));
    // The system replaces what it cannot read; the readable characters stay.
    EXPECT_NE(out.find(L"ab"), std::wstring::npos);
    EXPECT_NE(out.find(L"cd"), std::wstring::npos);
}

TEST(TextConversion, ExplicitLengthKeepsEmbeddedNul) {
    std::string withNul("a\0b", 3);
    EXPECT_EQ(Utf8ToWide(withNul), std::wstring(L"a\0b", 3));
}

TEST(TextConversion, AnsiNullAndEmptyGiveEmpty) {
    EXPECT_EQ(AnsiToWide(nullptr), L"");
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(AnsiToWide("plain"), L"plain");
}

TEST(FormatWide, WideTextsIntegersAndLongsAndLongOutput) {
    EXPECT_EQ(FormatWide(L"%s=%d;%ld", L"name", 42, 123456789L), L"name=42;123456789");
    std::wstring longText(5000, L'x');
    EXPECT_EQ(FormatWide(L"[%s]", longText.c_str()), L"[" + longText + L"]");
}

TEST(LoadFormattedString, TextWithoutPercentIsReturnedUnchangedEvenWithArguments) {
    EXPECT_EQ(LoadFormattedString(GetModuleHandleW(nullptr), IDS_TEST_PLAIN, L"ignored", 7), L"Plain text, no pattern.");
}

TEST(LoadFormattedString, TextWithPercentIsUsedAsPattern) {
    EXPECT_EQ(LoadFormattedString(GetModuleHandleW(nullptr), IDS_TEST_PATTERN, L"app", 8080),
              L"Started app on port 8080 (100%).");
}

TEST(LoadFormattedString, MissingResourceGivesEmptyText) {
    EXPECT_EQ(LoadFormattedString(GetModuleHandleW(nullptr), 31999), L"");
}

class TestWrapper : public CDllWrapper {
public:
    int releases = 0;
    void ReleaseAll() override { ++releases; }
    bool Initialize() override { return true; }
    bool Loaded() const { return invoker_.IsLoaded(); }
};

TEST(DllWrapper, MissingLibraryNamesThePath) {
    TestWrapper wrapper;
    EXPECT_FALSE(wrapper.LoadDll(L"no_such_library_4711.dll"));
    EXPECT_EQ(wrapper.GetLastErrorText(), L"Failed to load the library \"no_such_library_4711.dll\".");
    EXPECT_EQ(wrapper.releases, 1);
}

TEST(DllWrapper, MissingEntryKeepsLibraryLoadedAndNamesBoth) {
    TestWrapper wrapper;
    ASSERT_TRUE(wrapper.LoadDll(L"kernel32.dll"));
    EXPECT_EQ(wrapper.GetLastErrorText(), L"");
    EXPECT_NE(wrapper.GetFunction(L"GetTickCount"), nullptr);
    EXPECT_EQ(wrapper.GetFunction(L"NoSuchEntry"), nullptr);
    EXPECT_EQ(wrapper.GetLastErrorText(),
              L"Cannot find the entry function \"NoSuchEntry\" in the library \"kernel32.dll\".");
    EXPECT_TRUE(wrapper.Loaded());
}

TEST(DllWrapper, EveryLoadReleasesFirstAndClearsTheError) {
    TestWrapper wrapper;
    wrapper.LoadDll(L"no_such_library_4711.dll");
    ASSERT_TRUE(wrapper.LoadDll(L"kernel32.dll"));
    EXPECT_EQ(wrapper.releases, 2);
    EXPECT_EQ(wrapper.GetLastErrorText(), L"");
}

TEST(DllInvoker, NothingLoadedFindsNothing) {
    dll::DllInvoker invoker;
    EXPECT_FALSE(invoker.IsLoaded());
    EXPECT_EQ(invoker.GetFunction("GetTickCount"), nullptr);
}

}  // namespace
