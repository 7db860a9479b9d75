#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <thread>
#include <vector>

#include "catalog.h"

using namespace NimboNS;

namespace {

std::vector<std::wstring> Placeholders(const wchar_t* text) {
    static const std::wregex pattern(L"%(l?[sd])");
    std::vector<std::wstring> found;
    std::wstring s(text);
    for (std::wsregex_iterator it(s.begin(), s.end(), pattern), end; it != end; ++it) found.push_back((*it)[1]);
    return found;
}

TEST(MessageCatalog, ConcurrentFirstLookupsSeeOneCompleteTable) {
    // Run first in its own process (CTest runs each case alone): many threads race the fill.
    std::vector<const wchar_t*> seen(16, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = GetLocalizedMessage(86); });
    for (auto& t : threads) t.join();
    for (const wchar_t* text : seen) EXPECT_STREQ(text, L"Error");
}

TEST(MessageCatalog, UnknownIdsGiveEmptyTextNotNull) {
    for (int id : {0, 1, 5, 11, 24, 38, 92, -1}) {
        const wchar_t* text = GetLocalizedMessage(id);
        ASSERT_NE(text, nullptr) << id;
        EXPECT_STREQ(text, L"") << id;
    }
}

TEST(MessageCatalog, EnglishTextsKeepTheirExactShape) {
    EXPECT_STREQ(GetLocalizedMessage(84), L"Information");
    EXPECT_STREQ(GetLocalizedMessage(9), L"Failed to remove the directory (%s)");
    std::wstring m20 = GetLocalizedMessage(20);
    EXPECT_EQ(m20.back(), L' ');
    EXPECT_STREQ(GetLocalizedMessage(47), L"Failed to unzip the file\"%s\"; Error: %s.");
    EXPECT_STREQ(GetLocalizedMessage(46), L"Failed to download the file \"%s\"; ErrorCode: %d; Error: %s.");
    for (int id : {63, 64}) {
        std::wstring text = GetLocalizedMessage(id);
        EXPECT_EQ(text.substr(text.size() - 6), L".html.") << id;
    }
    std::wstring m14 = GetLocalizedMessage(14);
    EXPECT_NE(m14.find(L"Learn more at: http"), std::wstring::npos);
    EXPECT_NE(m14.find(L"App_cannot_run_because_the_local_version_expired.html"), std::wstring::npos);
    EXPECT_STREQ(GetLocalizedMessage(39),
                 L"A new version of the Nimbo Launcher is available. Do you want to upgrade to the latest version? "
                 L"\r\n\r\nClick Yes to upgrade.\r\nClick No to still use the existing Nimbo Launcher.");
}

TEST(MessageCatalog, TableIsAppliedOnceUntilSetLanguageIsCalledAgain) {
    EXPECT_STREQ(GetLocalizedMessage(86), L"Error");
    SetProcessLanguageCode(5);
    EXPECT_STREQ(GetLocalizedMessage(86), L"Error");
    MessageCatalog::Instance().SetLanguage(5);
    const wchar_t* german = nullptr;
    for (const auto& entry : GetLanguageTable(5))
        if (entry.id == 86) german = entry.text;
    EXPECT_STREQ(GetLocalizedMessage(86), german);
    EXPECT_STRNE(GetLocalizedMessage(86), L"Error");
    MessageCatalog::Instance().SetLanguage(0);
    SetProcessLanguageCode(0);
    EXPECT_STREQ(GetLocalizedMessage(86), L"Error");
}

TEST(MessageCatalog, UnknownLanguageCodesApplyEnglish) {
    for (int code : {0, 10, 11, -3}) {
        auto table = GetLanguageTable(code);
        ASSERT_FALSE(table.empty());
        EXPECT_STREQ(table[0].text, L"Failed to parse the app URL(%s).") << code;
    }
}

TEST(MessageCatalog, JapaneseTableIsEnglishButForItsFourMessages) {
    auto english = GetLanguageTable(10);
    auto japanese = GetLanguageTable(1);
    ASSERT_EQ(english.size(), japanese.size());
    for (size_t i = 0; i < english.size(); ++i) {
        const int id = english[i].id;
        if (id == 39 || id == 43 || id == 62 || id == 84)
            EXPECT_STRNE(japanese[i].text, english[i].text) << id;
        else
            EXPECT_STREQ(japanese[i].text, english[i].text) << id;
    }
    auto text = [&](int id) {
        for (const auto& e : japanese)
            if (e.id == id) return std::wstring(e.text);
        return std::wstring();
    };
    EXPECT_EQ(text(43), L"This app has newer version(s) on the server. It is recommended that you upgrade to the "
                        L"latest version.");
    EXPECT_NE(text(39).find(L"Click OK to upgrade.\r\nClick Cancel to still use the existing Nimbo Launcher."),
              std::wstring::npos);
}

class EveryLanguage : public testing::TestWithParam<int> {};

TEST_P(EveryLanguage, HoldsTheEnglishIdsWithTheSamePlaceholdersInOrder) {
    auto english = GetLanguageTable(10);
    auto table = GetLanguageTable(GetParam());
    ASSERT_EQ(table.size(), english.size());
    ASSERT_EQ(english.size(), 70u);
    std::set<int> ids;
    for (size_t i = 0; i < english.size(); ++i) {
        EXPECT_EQ(table[i].id, english[i].id);
        ASSERT_NE(table[i].text, nullptr);
        EXPECT_NE(table[i].text[0], L'\0') << "id " << table[i].id;
        EXPECT_EQ(Placeholders(table[i].text), Placeholders(english[i].text)) << "id " << table[i].id;
        const std::wstring text = table[i].text;
        EXPECT_EQ(std::count(text.begin(), text.end(), L'%'), Placeholders(table[i].text).size())
            << "stray percent sign in id " << table[i].id;
        ids.insert(table[i].id);
    }
    EXPECT_EQ(ids.size(), english.size()) << "duplicate ids";
}

INSTANTIATE_TEST_SUITE_P(Codes, EveryLanguage, testing::Range(1, 11));

}  // namespace
