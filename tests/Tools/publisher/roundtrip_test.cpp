// A deployment written by nimbo-publish.exe, read back the way the launcher reads it: the app files
// through kxcompression, the app configuration document through kxcrypt and kxjson, the deployment
// list through the profile functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "harness.h"
#include "nimbo/cipher_keys.h"
#include "nimbo/handle.h"
#include "outside/kxcompression.h"
#include "outside/kxcrypt.h"
#include "outside/kxjson.h"
#include "support.h"

namespace fs = std::filesystem;
using namespace publisher_test;

namespace {

template <typename Fn>
Fn Export(const NimboNS::ModuleHandle& module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module.get(), name)));
}

class RoundTrip : public ::testing::Test {
protected:
    nimbo_test::TempFolder temp;
    std::wstring source = temp / L"src";
    std::wstring deployment = temp / L"dep";

    void Run(const std::wstring& arguments) {
        auto result = nimbo_test::RunProgram(
            nimbo_test::Quote(nimbo_test::BinFolder() + L"\\nimbo-publish.exe") + L" " + arguments, 60000);
        ASSERT_TRUE(result.finished) << result.output;
        ASSERT_EQ(result.exitCode, 0u) << result.output;
    }
    std::string Decrypt(const std::string& bytes) {
        NimboNS::ModuleHandle module(LoadLibraryW(L"kxcrypt.dll"));
        EXPECT_TRUE(module);
        auto create = Export<kxcrypt::CreateCrypterObjectFn>(module, kxcrypt::kCreateCrypterObject);
        EXPECT_NE(create, nullptr);
        if (!create) return {};
        kxcrypt::ICrypter* crypter = create();
        unsigned char key[16], iv[16];
        NimboNS::cipher::AssembleKeyMaterial(NimboNS::cipher::kConfigConstant, key, iv);
        unsigned char* out = nullptr;
        int size = 0;
        int rc = crypter->DecryptBuffer(0, reinterpret_cast<const unsigned char*>(bytes.data()),
                                        static_cast<int>(bytes.size()), &out, &size, key, 16, iv, 16,
                                        kxcrypt::kAlgorithmAes, kxcrypt::kModeCbcPkcs7);
        EXPECT_EQ(rc, 0);
        std::string plain(reinterpret_cast<char*>(out), out ? size : 0);
        crypter->FreeBuffer(out);
        return plain;
    }
};

TEST_F(RoundTrip, LauncherLibrariesReadWhatThePublisherWrote) {
    PutFile(source + L"\\App.exe", "MZ program");
    PutFile(source + L"\\bin\\big.dat", RandomBytes(3 * 1024 * 1024 + 5, 9));
    PutFile(source + L"\\text\\log.txt", std::string(200000, 'l'));
    PutFile(source + L"\\docs\\\u00fcbersicht.txt", "non-ASCII name");
    PutFile(source + L"\\empty.txt", "");
    PutFile(source + L"\\assets\\img\\a.png", RandomBytes(1000, 2));
    PutFile(source + L"\\assets\\b.txt", "bee");
    PutFile(temp / L"app.json", R"({"AppName": "Sales", "Version": "2.1", "StartupFile": "App.exe",
        "RuntimeVersion": "4.1.0", "Packages": [{"Name": "assets.zip", "Content": ["assets"]}]})");
    Run(L"app --description " + nimbo_test::Quote(temp / L"app.json") + L" --source " +
        nimbo_test::Quote(source) + L" --deployment " + nimbo_test::Quote(deployment));
    std::wstring version = deployment + L"\\Sales\\2.1";

    // Every served app file unpacks through kxcompression to the source file's bytes.
    NimboNS::ModuleHandle compression(LoadLibraryW(L"kxcompression.dll"));
    ASSERT_TRUE(compression);
    auto createExtractor = Export<Compression::CreateExtractorFn>(compression, Compression::kCreateExtractor);
    ASSERT_NE(createExtractor, nullptr);
    std::wstring out = temp / L"out";
    int served = 0;
    for (auto& entry : fs::recursive_directory_iterator(version)) {
        std::wstring rel = fs::relative(entry.path(), version).wstring();
        if (!entry.is_regular_file() || rel == L"appconfig.json.zip") continue;
        ASSERT_EQ(rel.substr(rel.size() - 4), L".zip") << rel;
        fs::path target = fs::path(out) / rel.substr(0, rel.size() - 4);
        Compression::IExtractor* extractor = createExtractor();
        EXPECT_EQ(extractor->Extract(entry.path().c_str(), target.parent_path().c_str()), 1) << rel;
        extractor->Release();
        ++served;
    }
    EXPECT_EQ(served, 6);
    for (const wchar_t* file :
         {L"App.exe", L"bin\\big.dat", L"text\\log.txt", L"docs\\\u00fcbersicht.txt", L"empty.txt"}) {
        EXPECT_EQ(nimbo_test::ReadFileText(out + L"\\" + file),
                  nimbo_test::ReadFileText(source + L"\\" + file))
            << file;
    }
    // The package itself unpacks into the app folder.
    Compression::IExtractor* extractor = createExtractor();
    EXPECT_EQ(extractor->Extract((out + L"\\assets.zip").c_str(), (temp / L"app").c_str()), 1);
    extractor->Release();
    EXPECT_EQ(nimbo_test::ReadFileText(temp / L"app\\assets\\img\\a.png"), RandomBytes(1000, 2));
    EXPECT_EQ(nimbo_test::ReadFileText(temp / L"app\\assets\\b.txt"), "bee");

    // The document decrypts through kxcrypt and reads through kxjson.
    std::string text = Decrypt(nimbo_test::ReadFileText(version + L"\\appconfig.json.zip"));
    NimboNS::ModuleHandle json(LoadLibraryW(L"kxjson.dll"));
    ASSERT_TRUE(json);
    auto createParser = Export<kxjson::CreateJsonParserFn>(json, kxjson::kCreateJsonParser);
    ASSERT_NE(createParser, nullptr);
    kxjson::IJsonParser* parser = createParser();
    ASSERT_EQ(parser->Parse(text.data(), static_cast<int>(text.size())), 1) << text;
    kxjson::JsonNode root = nullptr, list = nullptr, item = nullptr;
    int kind = 0, count = 0;
    ASSERT_EQ(parser->GetRoot(&root, &kind), 1);
    const wchar_t* value = nullptr;
    ASSERT_EQ(parser->GetString(root, L"StartupFile", &value), 1);
    EXPECT_STREQ(value, L"App.exe");
    ASSERT_EQ(parser->GetString(root, L"Version", &value), 1);
    EXPECT_STREQ(value, L"2.1");
    int is32Bit = 0;
    ASSERT_EQ(parser->GetBool(root, L"Is32Bit", &is32Bit), 1);
    EXPECT_EQ(is32Bit, 1);
    ASSERT_EQ(parser->GetArray(root, L"PredownloadFiles", &list, &kind), 1);
    ASSERT_EQ(parser->GetArraySize(list, &count), 1);
    EXPECT_EQ(count, 6);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(parser->GetArrayItem(list, i, &item, &kind), 1);
        long long size = -1;
        int extractable = -1;
        const wchar_t *name = nullptr, *path = nullptr, *hash = nullptr;
        ASSERT_EQ(parser->GetInt64(item, L"Size", &size), 1);
        ASSERT_EQ(parser->GetBool(item, L"Extractable", &extractable), 1);
        ASSERT_EQ(parser->GetString(item, L"Name", &name), 1);
        ASSERT_EQ(parser->GetString(item, L"Path", &path), 1);
        ASSERT_EQ(parser->GetString(item, L"HashCode", &hash), 1);
        std::wstring rel = std::wstring(path) == L"." ? name : std::wstring(path) + L"\\" + name;
        EXPECT_EQ(static_cast<size_t>(size), nimbo_test::ReadFileText(out + L"\\" + rel).size()) << rel;
        EXPECT_EQ(extractable, rel == L"assets.zip" ? 1 : 0) << rel;
        EXPECT_EQ(wcslen(hash), 21u);
    }
    kxjson::JsonNode packages = nullptr, content = nullptr;
    ASSERT_EQ(parser->GetMember(root, L"Packages", &packages, &kind), 1);
    ASSERT_EQ(parser->GetArray(packages, L"assets.zip", &content, &kind), 1);
    ASSERT_EQ(parser->GetArraySize(content, &count), 1);
    EXPECT_EQ(count, 2);
    parser->Release();

    // The list reads through the profile functions, as the launcher reads its downloaded copy.
    std::wstring ini = temp / L"list.ini";
    ASSERT_TRUE(CopyFileW((deployment + L"\\Sales\\deploylist.ini.zip").c_str(), ini.c_str(), FALSE));
    wchar_t buffer[4096] = {};
    GetPrivateProfileSectionNamesW(buffer, 4096, ini.c_str());
    EXPECT_STREQ(buffer, L"Public");
    EXPECT_STREQ(buffer + 7, L"2.1");
    GetPrivateProfileStringW(L"Public", L"MinimumValidVersion", L"", buffer, 260, ini.c_str());
    EXPECT_STREQ(buffer, L"2.1");
    GetPrivateProfileStringW(L"2.1", L"OfflineTime", L"", buffer, 260, ini.c_str());
    EXPECT_STREQ(buffer, L"9999-12-31 23:59:59");
}

TEST_F(RoundTrip, RuntimeManifestAndLauncherSetupReadThroughKxjson) {
    PutFile(source + L"\\core\\Core.dll", "core");
    PutFile(temp / L"rt.json", R"({"Version": "4.1.0", "Bitness": 64,
        "Modules": [{"Name": "Core", "Files": ["core"], "Package": "Core.zip"}]})");
    Run(L"runtime --description " + nimbo_test::Quote(temp / L"rt.json") + L" --source " +
        nimbo_test::Quote(source) + L" --deployment " + nimbo_test::Quote(deployment));
    Run(L"launcher --version 22.0.3 --deployment " + nimbo_test::Quote(deployment));

    NimboNS::ModuleHandle json(LoadLibraryW(L"kxjson.dll"));
    ASSERT_TRUE(json);
    auto createParser = Export<kxjson::CreateJsonParserFn>(json, kxjson::kCreateJsonParser);
    ASSERT_NE(createParser, nullptr);
    kxjson::IJsonParser* parser = createParser();
    kxjson::JsonNode root = nullptr, modules = nullptr, module = nullptr, files = nullptr, file = nullptr;
    int kind = 0, count = 0;
    std::string manifest =
        nimbo_test::ReadFileText(deployment + L"\\NimboPublisher\\runtime\\4.1.0\\x64\\manifest.json");
    ASSERT_EQ(parser->Parse(manifest.data(), static_cast<int>(manifest.size())), 1);
    ASSERT_EQ(parser->GetRoot(&root, &kind), 1);
    const wchar_t* text = nullptr;
    ASSERT_EQ(parser->GetString(root, L"version", &text), 1);
    EXPECT_STREQ(text, L"4.1.0");
    ASSERT_EQ(parser->GetArray(root, L"modules", &modules, &kind), 1);
    ASSERT_EQ(parser->GetArrayItem(modules, 0, &module, &kind), 1);
    ASSERT_EQ(parser->GetArray(module, L"files", &files, &kind), 1);
    ASSERT_EQ(parser->GetArraySize(files, &count), 1);
    ASSERT_EQ(count, 2);
    ASSERT_EQ(parser->GetArrayItem(files, 0, &file, &kind), 1);
    int extract = 0;
    long long size = 0;
    ASSERT_EQ(parser->GetBool(file, L"isneedextract", &extract), 1);
    ASSERT_EQ(parser->GetInt64(file, L"size", &size), 1);
    EXPECT_EQ(extract, 1);
    EXPECT_GT(size, 0);
    ASSERT_EQ(parser->GetString(file, L"hashcode", &text), 1);
    EXPECT_LE(wcslen(text), 19u);

    std::string setup =
        nimbo_test::ReadFileText(deployment + L"\\NimboPublisher\\NimboInstall 22.0\\LauncherSetup.json");
    ASSERT_EQ(parser->Parse(setup.data(), static_cast<int>(setup.size())), 1);
    ASSERT_EQ(parser->GetRoot(&root, &kind), 1);
    ASSERT_EQ(parser->GetString(root, L"package", &text), 1);
    EXPECT_STREQ(text, L"NimboLauncher_Installer.exe");
    kxjson::JsonNode shell = nullptr;
    ASSERT_EQ(parser->GetMember(root, L"nimboshell", &shell, &kind), 1);
    ASSERT_EQ(parser->GetString(shell, L"version", &text), 1);
    EXPECT_STREQ(text, L"22.0.3");
    parser->Release();
}

}  // namespace
