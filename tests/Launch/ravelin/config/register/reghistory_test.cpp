#include <gtest/gtest.h>

#include <map>
#include <string>

#include "harness.h"
#include "register/reghistory.h"

using nimbo_test::TempFolder;
using NimboNS::CRegistrationHistory;

namespace {

using Entries = std::map<std::wstring, std::wstring>;

std::string Utf16Bytes(const std::wstring& text) {
    return std::string("\xFF\xFE", 2) +
           std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

Entries Loaded(const std::wstring& file) {
    CRegistrationHistory history;
    history.Load(file);
    return history.Entries();
}

TEST(RegistrationHistory, IsWrittenAsUtf16LinesAndReadBackExactly) {
    TempFolder temp;
    const std::wstring file = temp / L"sales.reghistory";
    // A folder may hold ";" and any character Windows allows in a name.
    const Entries entries = {
        {L"C:\\Apps\\srv_sales\\Comp.dll", L"q83vEjRWeJCrze8BI0VniQ"},
        {L"C:\\Apps\\srv_ventes\\Biblioth\u00e8que;v2\\\u540d\u524d.ocx", L"abc+/="},
        {L"C:\\Apps\\srv_sales\\Emoji\U0001F600.dll", L""},
    };
    CRegistrationHistory history;
    for (const auto& [path, hashCode] : entries) history.Set(path, hashCode);
    ASSERT_TRUE(history.Save(file));

    std::wstring expected;
    for (const auto& [path, hashCode] : entries) expected += path + L";" + hashCode + L"\r\n";
    EXPECT_EQ(nimbo_test::ReadFileText(file), Utf16Bytes(expected));
    EXPECT_EQ(Loaded(file), entries);
}

TEST(RegistrationHistory, SavingReplacesTheWholeFile) {
    TempFolder temp;
    const std::wstring file = temp / L"sales.reghistory";
    ASSERT_TRUE(nimbo_test::WriteFileText(file, std::string(5000, 'x')));
    CRegistrationHistory history;
    history.Set(L"C:\\a.dll", L"1");
    ASSERT_TRUE(history.Save(file));
    EXPECT_EQ(nimbo_test::ReadFileText(file), Utf16Bytes(L"C:\\a.dll;1\r\n"));
}

struct ReadCase {
    const char* name;
    std::string bytes;
    Entries entries;
};

TEST(RegistrationHistory, ReadsWhatEditorsLeave) {
    const std::wstring longPath = L"C:\\" + std::wstring(2040, L'p');
    const ReadCase cases[] = {
        {"trailing blanks and line ends",
         Utf16Bytes(L"C:\\a.dll;h1  \r\nC:\\b.dll;h2\n\nC:\\c.dll;h3 \r \r\n"),
         {{L"C:\\a.dll", L"h1"}, {L"C:\\b.dll", L"h2"}, {L"C:\\c.dll", L"h3"}}},
        {"no final line end", Utf16Bytes(L"C:\\a.dll;h1"), {{L"C:\\a.dll", L"h1"}}},
        {"split at the last semicolon", Utf16Bytes(L"C:\\x;y\\a.dll;h1\r\n"), {{L"C:\\x;y\\a.dll", L"h1"}}},
        {"no hash code", Utf16Bytes(L"C:\\a.dll;\r\n"), {{L"C:\\a.dll", L""}}},
        {"a later line for the same path wins",
         Utf16Bytes(L"C:\\a.dll;h1\r\nC:\\a.dll;h2\r\n"),
         {{L"C:\\a.dll", L"h2"}}},
        {"lines without a path or a semicolon",
         Utf16Bytes(L"no separator\r\n;h0\r\nC:\\a.dll;h1\r\n"),
         {{L"C:\\a.dll", L"h1"}}},
        {"lines over 2048 characters",
         Utf16Bytes(longPath + L";abcdefgh\r\n" + longPath.substr(0, 2040) + L";h\r\n"),
         {{longPath.substr(0, 2040), L"h"}}},
        {"UTF-8 without a mark",
         "C:\\Biblioth\xC3\xA8que\\a.dll;h1\r\n",
         {{L"C:\\Biblioth\u00e8que\\a.dll", L"h1"}}},
        {"UTF-8 with a mark",
         "\xEF\xBB\xBF"
         "C:\\a.dll;h1\r\n",
         {{L"C:\\a.dll", L"h1"}}},
        {"empty", "", {}},
    };
    TempFolder temp;
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring file = temp / L"sales.reghistory";
        ASSERT_TRUE(nimbo_test::WriteFileText(file, c.bytes));
        EXPECT_EQ(Loaded(file), c.entries);
    }
}

TEST(RegistrationHistory, EntriesThatWouldReadBackChangedAreNotWritten) {
    TempFolder temp;
    const std::wstring file = temp / L"sales.reghistory";
    CRegistrationHistory history;
    history.Set(L"C:\\good.dll", L"h1");
    history.Set(L"C:\\semicolon.dll", L"h;2");
    history.Set(L"C:\\blank.dll", L"h3 ");
    history.Set(L"C:\\line\r\nC:\\forged.dll", L"h4");
    history.Set(L"C:\\tab.dll", L"h\t5");
    ASSERT_TRUE(history.Save(file));
    EXPECT_EQ(Loaded(file), (Entries{{L"C:\\good.dll", L"h1"}}));
}

TEST(RegistrationHistory, AMissingFileIsAnEmptyHistory) {
    TempFolder temp;
    CRegistrationHistory history;
    history.Set(L"C:\\stale.dll", L"h");
    EXPECT_FALSE(history.Load(temp / L"none.reghistory"));
    EXPECT_TRUE(history.Empty());
    EXPECT_EQ(history.Find(L"C:\\stale.dll"), nullptr);
    EXPECT_FALSE(history.Save(temp / L"no folder\\sales.reghistory"));
}

}  // namespace
