#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "parser_fixture.h"

namespace {

using namespace kxjson;

const std::string kDocument = R"({
  "AppName": "Gr\u00f6\u00dfe \ud83d\ude80",
  "Version": "2.1.0",
  "Size": 5000000000,
  "Count": -12,
  "Online": true,
  "Ratio": 0.5,
  "Nothing": null,
  "Files": [ {"Name": "a.exe"}, "plain", 7 ],
  "Runtime": { "Version": "4.8", "X64": false }
})";

TEST(JsonParser, ReadsEveryKindWithOrWithoutByteOrderMark) {
    for (const std::string& text : {kDocument, "\xEF\xBB\xBF" + kDocument}) {
        ParserHolder parser;
        ASSERT_EQ(1, parser.Parse(text));
        JsonNode root = nullptr;
        int kind = -1;
        ASSERT_NE(0, parser->GetRoot(&root, &kind));
        EXPECT_EQ(kObject, kind);

        const wchar_t* name = nullptr;
        ASSERT_EQ(1, parser->GetString(root, L"AppName", &name));
        EXPECT_STREQ(L"Gr\u00f6\u00dfe \U0001F680", name);
        long long size = 0;
        EXPECT_EQ(1, parser->GetInt64(root, L"Size", &size));
        EXPECT_EQ(5000000000LL, size);
        int count = 0, online = 0;
        EXPECT_EQ(1, parser->GetInt(root, L"Count", &count));
        EXPECT_EQ(-12, count);
        EXPECT_EQ(1, parser->GetBool(root, L"Online", &online));
        EXPECT_EQ(1, online);

        JsonNode files = nullptr, item = nullptr;
        int n = 0;
        ASSERT_EQ(1, parser->GetArray(root, L"Files", &files, &kind));
        EXPECT_EQ(kArray, kind);
        ASSERT_EQ(1, parser->GetArraySize(files, &n));
        EXPECT_EQ(3, n);
        ASSERT_EQ(1, parser->GetArrayItem(files, 0, &item, &kind));
        EXPECT_EQ(kObject, kind);
        ASSERT_EQ(1, parser->GetString(item, L"Name", &name));
        EXPECT_STREQ(L"a.exe", name);
        ASSERT_EQ(1, parser->GetArrayItem(files, 1, &item, &kind));
        ASSERT_EQ(1, parser->GetStringValue(item, &name));
        EXPECT_STREQ(L"plain", name);
        EXPECT_EQ(0, parser->GetArrayItem(files, 3, &item, &kind));
        EXPECT_EQ(0, parser->GetArrayItem(files, -1, &item, &kind));

        JsonNode runtime = nullptr;
        ASSERT_EQ(1, parser->GetMember(root, L"Runtime", &runtime, &kind));
        EXPECT_EQ(kObject, kind);
        ASSERT_EQ(1, parser->GetMember(root, L"Files", &files, &kind));
        EXPECT_EQ(kArray, kind);
    }
}

// Each getter asked for a key of another kind, or for a missing one, answers not ok and leaves
// the caller's default alone.
TEST(JsonParser, KeyOfAnotherKindIsNotOk) {
    ParserHolder parser;
    ASSERT_EQ(1, parser.Parse(kDocument));
    JsonNode root = parser.Root();
    const wchar_t* keys[] = {L"AppName", L"Size",  L"Count",   L"Online",  L"Ratio",
                             L"Nothing", L"Files", L"Runtime", L"Missing", L"appname"};
    for (const wchar_t* key : keys) {
        std::wstring k = key;
        int b = 42, i = 42;
        long long l = 42;
        const wchar_t* s = L"default";
        JsonNode array = nullptr;
        int kind = 99;
        bool isBool = k == L"Online", isText = k == L"AppName", isArray = k == L"Files";
        bool isInt = k == L"Count", isInt64 = k == L"Count" || k == L"Size";
        EXPECT_EQ(isBool, parser->GetBool(root, key, &b) == 1) << k;
        EXPECT_EQ(isInt, parser->GetInt(root, key, &i) == 1) << k;
        EXPECT_EQ(isInt64, parser->GetInt64(root, key, &l) == 1) << k;
        EXPECT_EQ(isText, parser->GetString(root, key, &s) == 1) << k;
        EXPECT_EQ(isArray, parser->GetArray(root, key, &array, &kind) == 1) << k;
        if (!isBool) {
            EXPECT_EQ(42, b) << k;
        }
        if (!isInt) {
            EXPECT_EQ(42, i) << k;
        }
        if (!isInt64) {
            EXPECT_EQ(42, l) << k;
        }
        if (!isText) {
            EXPECT_STREQ(L"default", s) << k;
        }
        if (!isArray) {
            EXPECT_EQ(nullptr, array) << k;
        }
    }
    // Getters on something that is not an object.
    JsonNode files = nullptr;
    const wchar_t* s = nullptr;
    ASSERT_EQ(1, parser->GetArray(root, L"Files", &files, nullptr));
    EXPECT_EQ(0, parser->GetString(files, L"Name", &s));
    EXPECT_EQ(0, parser->GetStringValue(root, &s));
    int n = 0;
    EXPECT_EQ(0, parser->GetArraySize(root, &n));
    EXPECT_EQ(0, parser->GetString(nullptr, L"AppName", &s));
    EXPECT_EQ(0, parser->GetString(root, nullptr, &s));
    EXPECT_EQ(0, parser->GetString(root, L"App\xD800Name", &s)) << "key with a lone surrogate";
}

TEST(JsonParser, IntegersOnlyWithinTheOutputType) {
    struct Case {
        const char* number;
        bool asInt;
        int intValue;
        bool asInt64;
        long long int64Value;
    } cases[] = {
        {"2147483647", true, INT_MAX, true, INT_MAX},
        {"-2147483648", true, INT_MIN, true, INT_MIN},
        {"2147483648", false, 0, true, 2147483648LL},
        {"9223372036854775807", false, 0, true, LLONG_MAX},
        {"-9223372036854775808", false, 0, true, LLONG_MIN},
        {"9223372036854775808", false, 0, false, 0},
        {"18446744073709551616", false, 0, false, 0},  // beyond 64 bits: a real number
        {"1.0", false, 0, false, 0},
        {"1e2", false, 0, false, 0},
    };
    for (const auto& c : cases) {
        ParserHolder parser;
        ASSERT_EQ(1, parser.Parse(std::string("{\"n\":") + c.number + "}")) << c.number;
        int i = 0;
        long long l = 0;
        EXPECT_EQ(c.asInt, parser->GetInt(parser.Root(), L"n", &i) == 1) << c.number;
        EXPECT_EQ(c.asInt64, parser->GetInt64(parser.Root(), L"n", &l) == 1) << c.number;
        if (c.asInt) {
            EXPECT_EQ(c.intValue, i) << c.number;
        }
        if (c.asInt64) {
            EXPECT_EQ(c.int64Value, l) << c.number;
        }
    }
}

std::string Nested(int depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

TEST(JsonParser, HostileDocumentsFailCleanly) {
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"only a byte-order mark", "\xEF\xBB\xBF"},
        {"cut short", R"({"a": [1, 2)"},
        {"trailing garbage", R"({"a": 1} x)"},
        {"unquoted key", R"({a: 1})"},
        {"deep nesting", Nested(100000)},
        {"one level too deep", Nested(kMaxDepth + 1)},
        {"deep objects", std::string(50000, '{')},
        {"number overflow", R"({"n": 1e400})"},
        {"negative overflow", R"({"n": -1e400})"},
        {"invalid UTF-8 byte", "{\"a\": \"\xC3\x28\"}"},
        {"overlong UTF-8", "{\"a\": \"\xC0\xAF\"}"},
        {"UTF-8 surrogate", "{\"a\": \"\xED\xA0\x80\"}"},
        {"lone surrogate escape", R"({"a": "\ud800"})"},
        {"control character in a text", std::string("{\"a\": \"x\x01y\"}")},
        {"zero byte inside", std::string("{\"a\": 1}\0 x", 11)},
        {"zero byte in a text", std::string("{\"a\": \"x\0y\"}", 13)},
        {"UTF-16 document", std::string("\xFF\xFE{\0}\0", 6)},
    };
    for (const auto& c : cases) {
        ParserHolder parser;
        EXPECT_EQ(0, parser.Parse(c.text)) << c.what;
        EXPECT_EQ(nullptr, parser.Root()) << c.what;
        EXPECT_NE(L'\0', parser->GetErrorText()[0]) << c.what;
    }
    ParserHolder parser;
    EXPECT_EQ(1, parser.Parse(Nested(kMaxDepth))) << "as deep as allowed";
    EXPECT_EQ(1, parser.Parse(std::string("{}\0\0", 4))) << "zero bytes after the end, as a C string has";
    EXPECT_EQ(0, parser->Parse(nullptr, 0));
    EXPECT_EQ(0, parser->Parse("{}", -1));
}

TEST(JsonParser, NumberBeyondSixtyFourBitsIsARealNumber) {
    ParserHolder parser;
    ASSERT_EQ(1, parser.Parse(R"({"n": 123456789012345678901234567890})"));
    JsonNode n = nullptr;
    int kind = -1;
    ASSERT_EQ(1, parser->GetMember(parser.Root(), L"n", &n, &kind));
    EXPECT_EQ(kReal, kind);
}

TEST(JsonParser, TextsStayValidUntilTheNextLoad) {
    ParserHolder parser;
    ASSERT_EQ(1, parser.Parse(kDocument));
    JsonNode root = parser.Root();
    const wchar_t* version = nullptr;
    ASSERT_EQ(1, parser->GetString(root, L"Version", &version));
    for (int i = 0; i < 100; ++i) {
        const wchar_t* other = nullptr;
        parser->GetString(root, L"AppName", &other);
        parser->GetString(root, L"Version", &other);
        EXPECT_EQ(version, other);
    }
    EXPECT_STREQ(L"2.1.0", version);

    ASSERT_EQ(1, parser.Parse(R"({"Version": "3.0"})"));
    ASSERT_EQ(1, parser->GetString(parser.Root(), L"Version", &version));
    EXPECT_STREQ(L"3.0", version);
    EXPECT_EQ(0, parser.Parse("{"));
    const wchar_t* untouched = version;
    EXPECT_EQ(0, parser->GetString(root, L"Version", &version)) << "a failed load leaves no document";
    EXPECT_EQ(untouched, version);
}

}  // namespace
