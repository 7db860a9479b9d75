// kxjson.dll as its callers see it: loaded by name, two exports.
#include <gtest/gtest.h>

#include "nimbo/handle.h"
#include "outside/kxjson.h"

TEST(KxjsonDll, FactoriesHandOutWorkingObjects) {
    NimboNS::ModuleHandle module(LoadLibraryW(L"kxjson.dll"));
    ASSERT_TRUE(module);
    auto createParser = reinterpret_cast<kxjson::CreateJsonParserFn>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), kxjson::kCreateJsonParser)));
    auto createGenerator = reinterpret_cast<kxjson::CreateJsonGeneratorFn>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), kxjson::kCreateJsonGenerator)));
    ASSERT_NE(nullptr, createParser);
    ASSERT_NE(nullptr, createGenerator);

    kxjson::IJsonParser* parser = createParser();
    ASSERT_NE(nullptr, parser);
    const char doc[] = "{\"Version\": \"1.2\"}";
    ASSERT_EQ(1, parser->Parse(doc, sizeof(doc) - 1));
    kxjson::JsonNode root = nullptr;
    ASSERT_NE(0, parser->GetRoot(&root, nullptr));
    const wchar_t* version = nullptr;
    ASSERT_EQ(1, parser->GetString(root, L"Version", &version));
    EXPECT_STREQ(L"1.2", version);
    EXPECT_EQ(0, parser->Parse("[[[", 3));

    kxjson::IJsonGenerator* generator = createGenerator();
    ASSERT_NE(nullptr, generator);
    generator->Release();
    parser->Release();
}
