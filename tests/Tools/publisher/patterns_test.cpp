#include <gtest/gtest.h>

#include "appconfig.h"
#include "sourcefiles.h"

using namespace NimboNS::publisher;

namespace {

TEST(Patterns, MatchLikeAPublisherExpects) {
    const struct {
        const wchar_t* pattern;
        const wchar_t* path;
        bool match;
    } cases[] = {
        {L"*.pdb", L"App.pdb", true},
        {L"*.pdb", L"bin\\x64\\Core.PDB", true},  // a bare name matches in any folder, without case
        {L"*.pdb", L"App.pdb.txt", false},
        {L"assets", L"assets\\img\\a.png", true},  // a folder matches what is below it
        {L"assets", L"other\\assets.txt", false},
        {L"docs/*.md", L"docs\\a.md", true},
        {L"docs/*.md", L"docs\\sub\\a.md", false},  // "*" stays in one folder
        {L"docs/**/*.md", L"docs\\sub\\deep\\a.md", true},
        {L"docs/**/*.md", L"docs\\a.md", true},  // "**/" may match no folder
        {L"bin/?.dll", L"bin\\a.dll", true},
        {L"bin/?.dll", L"bin\\ab.dll", false},
        {L"./bin/", L"bin\\a.dll", true},
        {L"**", L"any\\thing", true},
        {L"bin", L"binary\\a.dll", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchesPattern(c.pattern, c.path), c.match) << c.pattern << L" vs " << c.path;
    }
}

TEST(Patterns, PathsThatCannotBePublished) {
    const struct {
        std::wstring path;
        const char* why;  // substring, or "" when fine
    } cases[] = {
        {L"bin\\App.exe", ""},
        {L"r\u00e9sum\u00e9\\a b.txt", ""},
        {L"100%.txt", "\"%\""},
        {L"a#b.txt", "\"#\""},
        {L"what?.txt", "\"#\""},
        {std::wstring(256, L'n'), "name is longer than 255"},
        {std::wstring(255, L'n'), ""},
        {std::wstring(300, L'f') + L"\\" + std::wstring(300, L'g') + L"\\a.txt", "folder is longer than 511"},
        {L"dir.\\a.txt", "ends in a dot"},
    };
    for (const auto& c : cases) {
        std::string why = PathProblem(c.path, kMaxRecordName, kMaxRecordPath);
        if (*c.why == 0) {
            EXPECT_EQ(why, "") << c.path.substr(0, 40);
        } else {
            EXPECT_NE(why.find(c.why), std::string::npos) << why;
        }
    }
}

}  // namespace
