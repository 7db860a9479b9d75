#include <gtest/gtest.h>

#include <string>

#include "harness.h"
#include "parser_fixture.h"

namespace {

using namespace kxjson;

struct GeneratorHolder {
    IJsonGenerator* g = NewJsonGenerator();
    ~GeneratorHolder() {
        if (g) g->Release();
    }
    IJsonGenerator* operator->() const { return g; }
};

TEST(JsonGenerator, WritesTheTextOfANodeThatReadsBackTheSame) {
    ParserHolder parser;
    ASSERT_EQ(1, parser.Parse(
                     R"({"manifest": {"Version": "4.8", "Files": [{"Name": "r\u00e9.dll", "Size": 12}]}})"));
    JsonNode manifest = nullptr;
    ASSERT_EQ(1, parser->GetMember(parser.Root(), L"manifest", &manifest, nullptr));
    JsonText text = nullptr;
    ASSERT_EQ(1, parser->GetText(manifest, &text));

    nimbo_test::TempFolder temp;
    struct Case {
        int indent, bom;
    } cases[] = {{1, 0}, {0, 0}, {1, 1}};
    for (const auto& c : cases) {
        GeneratorHolder generator;
        JsonNode loaded = nullptr;
        ASSERT_NE(0, generator->LoadText(text, &loaded));
        EXPECT_NE(nullptr, loaded);
        const std::wstring path = temp / L"manifest.json";
        ASSERT_NE(0, generator->SaveToFile(path.c_str(), c.indent, c.bom));

        std::string written = nimbo_test::ReadFileText(path);
        EXPECT_EQ(c.bom == 1, written.rfind("\xEF\xBB\xBF", 0) == 0);
        EXPECT_EQ(c.indent == 1, written.find("\n    \"Files\"") != std::string::npos) << written;
        ParserHolder reread;
        ASSERT_EQ(1, reread.Parse(written));
        JsonNode files = nullptr, file = nullptr;
        const wchar_t* name = nullptr;
        ASSERT_EQ(1, reread->GetArray(reread.Root(), L"Files", &files, nullptr));
        ASSERT_EQ(1, reread->GetArrayItem(files, 0, &file, nullptr));
        ASSERT_EQ(1, reread->GetString(file, L"Name", &name));
        EXPECT_STREQ(L"r\u00e9.dll", name);
        JsonText again = nullptr;
        ASSERT_EQ(1, reread->GetText(reread.Root(), &again));
        EXPECT_STREQ(text, again);
    }
}

TEST(JsonGenerator, RefusesWhatItCannotWrite) {
    nimbo_test::TempFolder temp;
    GeneratorHolder generator;
    const std::wstring path = temp / L"out.json";
    EXPECT_EQ(0, generator->SaveToFile(path.c_str(), 1, 0)) << "nothing loaded";
    EXPECT_EQ(0, generator->LoadText(nullptr, nullptr));
    EXPECT_EQ(0, generator->LoadText("{\"a\":", nullptr));
    EXPECT_EQ(0, generator->SaveToFile(path.c_str(), 1, 0)) << "a failed load leaves nothing to save";
    EXPECT_FALSE(nimbo_test::FileExists(path));

    ASSERT_NE(0, generator->LoadText("{\"a\":1}", nullptr));
    EXPECT_EQ(0, generator->SaveToFile((temp / L"missing\\out.json").c_str(), 1, 0));

    // Replacing a file leaves the new document and no temporary file beside it.
    ASSERT_TRUE(nimbo_test::WriteFileText(path, "old content that is longer than the new one"));
    ASSERT_NE(0, generator->SaveToFile(path.c_str(), 0, 0));
    EXPECT_EQ("{\"a\":1}", nimbo_test::ReadFileText(path));
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((temp / L"*.kxjson-tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, find);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

}  // namespace
