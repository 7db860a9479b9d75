#include <gtest/gtest.h>

#include "requesttext.h"

namespace {

using namespace NimboNS;

struct DecodeCase {
    const wchar_t* in;
    const wchar_t* out;
};

TEST(PercentDecode, DecodesUtf8EscapesAndPlusAndLeavesBrokenEscapes) {
    const DecodeCase cases[] = {
        {L"http://h/a%20b/x+y", L"http://h/a b/x y"},
        {L"%C3%A9t%C3%A9", L"\u00e9t\u00e9"},  // UTF-8 bytes become one character each
        {L"%e2%82%ac", L"\u20ac"},             // lower-case hex digits
        {L"100%", L"100%"},                    // at the end
        {L"a%2", L"a%2"},                      // one digit only
        {L"a%zz%41", L"a%zzA"},                // not hex, then a good escape
        {L"%FF", L"\ufffd"},                   // a byte that is no UTF-8
        {L"\u00e9%20", L"\u00e9 "},            // wide text survives the round trip
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PercentDecode(c.in), c.out) << testing::PrintToString(std::wstring(c.in));
}

struct CookieCase {
    const wchar_t* in;
    const wchar_t* rest;
    const wchar_t* cookie;
};

TEST(TakeCookieOption, CutsTheOptionItsTextAndTheSpaceBefore) {
    const CookieCase cases[] = {
        {L"http://h/a/x -cookie sid=1; b=2", L"http://h/a/x", L"sid=1; b=2"},
        {L"http://h/a/x -cookie", L"http://h/a/x", L""},
        {L"http://h/a/x -cookie ", L"http://h/a/x", L""},
        {L"http://h/a/x -debug -cookie c=1", L"http://h/a/x -debug", L"c=1"},
        {L"-cookie c=1", L"", L"c=1"},
        {L"http://h/a/x", L"http://h/a/x", L""},
        // The same letters inside the URL are part of it.
        {L"http://h/jar-cookie/x -cookie c=1", L"http://h/jar-cookie/x", L"c=1"},
        {L"http://h/jar-cookie/x", L"http://h/jar-cookie/x", L""},
        {L"http://h/a/x?b=-cookie -cookie c=1", L"http://h/a/x?b=-cookie", L"c=1"},
        {L"http://h/a/x -cookies=1", L"http://h/a/x -cookies=1", L""},
    };
    for (const auto& c : cases) {
        std::wstring text = c.in;
        EXPECT_EQ(TakeCookieOption(text), c.cookie) << testing::PrintToString(std::wstring(c.in));
        EXPECT_EQ(text, c.rest) << testing::PrintToString(std::wstring(c.in));
    }
}

TEST(TakeDebugOption, RemovesOnlyTheFirstSixCharacters) {
    std::wstring text = L"http://h/a/x -debug p=1 -debug";
    EXPECT_TRUE(TakeDebugOption(text));
    EXPECT_EQ(text, L"http://h/a/x  p=1 -debug");
    std::wstring plain = L"http://h/a/x";
    EXPECT_FALSE(TakeDebugOption(plain));
    EXPECT_EQ(plain, L"http://h/a/x");
}

TEST(TakeDebugOption, LeavesTheSameLettersInsideTheUrl) {
    const struct {
        const wchar_t* in;
        const wchar_t* rest;
        bool debug;
    } cases[] = {
        {L"http://h/tools-debug/x", L"http://h/tools-debug/x", false},
        {L"http://h/a/x-debugger", L"http://h/a/x-debugger", false},
        {L"http://h/a/x?mode=-debug", L"http://h/a/x?mode=-debug", false},
        {L"http://h/tools-debug/x -debug", L"http://h/tools-debug/x ", true},
        {L"-debug http://h/a/x", L" http://h/a/x", true},
        {L"http://h/a/x\t-debug", L"http://h/a/x\t", true},
    };
    for (const auto& c : cases) {
        std::wstring text = c.in;
        EXPECT_EQ(TakeDebugOption(text), c.debug) << testing::PrintToString(std::wstring(c.in));
        EXPECT_EQ(text, c.rest) << testing::PrintToString(std::wstring(c.in));
    }
}

TEST(HasWebScheme, NeedsHttpOrHttpsWithColonInThatCase) {
    EXPECT_TRUE(HasWebScheme(L"http://h/a/x"));
    EXPECT_TRUE(HasWebScheme(L"https://h/a/x"));
    EXPECT_TRUE(HasWebScheme(L"prefix http:x"));
    EXPECT_FALSE(HasWebScheme(L"HTTP://h/a/x"));
    EXPECT_FALSE(HasWebScheme(L"notepad.exe http"));
    EXPECT_FALSE(HasWebScheme(L"cmd.exe /c echo"));
}

struct NameCase {
    const wchar_t* in;
    const char* name;
};

TEST(AppNameFromRequest, TakesTheFirstPathSegmentAfterTheHost) {
    const NameCase cases[] = {
        {L"http://server:8080/apps/x", "apps"},
        {L"https://server/apps/x", "apps"},
        {L"http://h/apps/x", "apps"},
        {L"http://server/x -debug", ""},  // no second slash
        {L"http://server", ""},
        {L"http://s/caf\u00e9/x", "caf\xc3\xa9"},  // UTF-8 bytes of the segment
        {L"cmd.exe", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(AppNameFromRequest(c.in), c.name);
}

TEST(BuildInstallerParameters, DropsTheQueryAndAppendsExtrasAndDebug) {
    EXPECT_EQ(BuildInstallerParameters(L"http://h/a/x?p=1&q=2", L"", false), L"http://h/a/x");
    EXPECT_EQ(BuildInstallerParameters(L"http://h/a/x?p=1", L"/S /D", true), L"http://h/a/x /S /D -debug");
    EXPECT_EQ(BuildInstallerParameters(L"http://h/a/x", L"", true), L"http://h/a/x -debug");
}

}  // namespace
