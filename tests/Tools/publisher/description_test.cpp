#include <gtest/gtest.h>

#include "description.h"

using namespace NimboNS::publisher;

namespace {

const std::string kMinimal =
    R"("AppName": "Sales", "Version": "1.0.0", "StartupFile": "App.exe", "RuntimeVersion": "4.1.0")";

std::string Errors(const Problems& p) {
    std::string all;
    for (const auto& e : p.errors) all += e + "\n";
    return all;
}

TEST(AppDescription, MinimalDescriptionGivesTheDocumentDefaults) {
    Problems p;
    AppDescription d = ParseAppDescription("{" + kMinimal + "}", p);
    ASSERT_TRUE(p.ok()) << Errors(p);
    EXPECT_EQ(d.appName, "Sales");
    EXPECT_EQ(d.startMode, 0);
    EXPECT_TRUE(d.is32Bit);
    EXPECT_FALSE(d.isVerOffCheck);
    EXPECT_FALSE(d.fullDownload);
    EXPECT_FALSE(d.onlineTime);
    EXPECT_FALSE(d.minimumValidVersion);
    EXPECT_FALSE(d.launcherUrl);
}

TEST(AppDescription, ValuesAreTakenAsWritten) {
    Problems p;
    AppDescription d = ParseAppDescription("{" + kMinimal + R"(,
        "StartMode": "connect", "Is32Bit": false, "PreloadEventCommands": ["regsvr32 /s a.dll", "echo done"],
        "OnlineTime": "2024-1-2 3:4:5", "MinimumValidVersion": "0.9",
        "DeploymentUrls": {"web_api": "https://api.example.com", "runtime": ""},
        "IniConfigFiles": [{"FileName": "user.ini", "UpdateType": 3}],
        "Packages": [{"Name": "assets.zip", "Content": "assets"}], "corvane": {"modelname": "m"}})",
                                           p);
    ASSERT_TRUE(p.ok()) << Errors(p);
    EXPECT_EQ(d.startMode, 2);
    EXPECT_FALSE(d.is32Bit);
    EXPECT_EQ(d.preloadEventCommands, "regsvr32 /s a.dll\r\necho done");
    EXPECT_EQ(d.onlineTime, "2024-01-02 03:04:05");
    EXPECT_EQ(d.minimumValidVersion, "0.9");
    EXPECT_EQ(d.webApiUrl, "https://api.example.com");
    EXPECT_EQ(d.runtimeUrl, "");  // an empty value removes the member
    EXPECT_FALSE(d.launcherUrl);
    ASSERT_EQ(d.iniConfigFiles.size(), 1u);
    EXPECT_EQ(d.iniConfigFiles[0].updateType, 3);
    ASSERT_EQ(d.packages.size(), 1u);
    EXPECT_EQ(d.packages[0].content, std::vector<std::wstring>{L"assets"});
    EXPECT_EQ(d.corvaneModelName, "m");
    EXPECT_FALSE(d.corvaneWebApiUrl);
}

TEST(AppDescription, MistakesAreNamed) {
    const struct {
        std::string json;
        const char* error;
    } cases[] = {
        {"not json", "not valid JSON"},
        {"{\"AppName\": ", "line 1, column"},
        {"[1, 2]", "must be a JSON object"},
        {R"({"Version": "1.0", "StartupFile": "a.exe", "RuntimeVersion": "1"})", "\"AppName\""},
        {R"({"AppName": "my app", "Version": "1.0", "StartupFile": "a.exe", "RuntimeVersion": "1"})",
         "\"AppName\""},
        {R"({"AppName": "page.html", "Version": "1.0", "StartupFile": "a.exe", "RuntimeVersion": "1"})",
         "\"AppName\""},
        {R"({"AppName": "a", "Version": "1.0-beta", "StartupFile": "a.exe", "RuntimeVersion": "1"})",
         "not a version"},
        {R"({"AppName": "a", "StartupFile": "a.exe", "RuntimeVersion": "1"})", "\"Version\" is missing"},
        {R"({"AppName": "a", "Version": "1", "RuntimeVersion": "1"})", "\"StartupFile\" is missing"},
        {R"({"AppName": "a", "Version": "1", "StartupFile": "a.exe"})", "\"RuntimeVersion\" is missing"},
        {"{" + kMinimal + R"(, "Is32bit": false})", "unknown key \"Is32bit\""},
        {"{" + kMinimal + R"(, "Is32Bit": "no"})", "\"Is32Bit\" must be true or false"},
        {"{" + kMinimal + R"(, "StartMode": 3})", "\"StartMode\" must be"},
        {"{" + kMinimal + R"(, "StartMode": "Sometimes"})", "\"StartMode\" must be"},
        {"{" + kMinimal + R"(, "OnlineTime": "tomorrow"})", "\"OnlineTime\""},
        {"{" + kMinimal + R"(, "OnlineTime": "2024-02-01 00:00:00", "OfflineTime": "2024-01-01 00:00:00"})",
         "later than"},
        {"{" + kMinimal + R"(, "IniConfigFiles": [{"FileName": "a.ini", "UpdateType": 4}]})",
         "\"UpdateType\""},
        {"{" + kMinimal + R"(, "IniConfigFiles": [{"FileName": "a.ini"}]})", "\"UpdateType\" is missing"},
        {"{" + kMinimal + R"(, "IniConfigFiles": [{"FileName": "a/b.ini", "UpdateType": 1}]})",
         "not a file name"},
        {"{" + kMinimal + R"(, "IniConfigFiles": [{"FileName": "a.ini", "UpdateType": 1, "Mode": 2}]})",
         "unknown key \"Mode\""},
        {"{" + kMinimal + R"(, "Packages": [{"Name": "a.zip"}]})", "\"Content\""},
        {"{" + kMinimal +
             R"(, "Packages": [{"Name": "a.zip", "Content": ["a"]}, {"Name": "A.ZIP", "Content": ["b"]}]})",
         "two packages"},
        {"{" + kMinimal + R"(, "AppShortcutName": "a/b"})", "\"AppShortcutName\""},
        {"{" + kMinimal + R"(, "RegisterFiles": [""]})", "\"RegisterFiles\""},
        {"{" + kMinimal + R"(, "PreloadEventCommands": ["a\r\nb", "c"]})", "line break"},
        {"{" + kMinimal + R"(, "DeploymentUrls": {"launcher": 1}})", "\"launcher\" must be a text"},
        {"{" + kMinimal + R"(, "MinimumValidVersion": "x"})", "not a version"},
    };
    for (const auto& c : cases) {
        Problems p;
        ParseAppDescription(c.json, p);
        if (c.json.front() != '{' || c.json.back() != '}') {
            EXPECT_EQ(p.errors.size(), 1u) << "only the syntax is named";
        }
        EXPECT_NE(Errors(p).find(c.error), std::string::npos) << c.json << "\n--> " << Errors(p);
    }
}

TEST(RuntimeDescription, ModulesAndMistakes) {
    Problems p;
    RuntimeDescription d = ParseRuntimeDescription(
        R"({"Version": "4.1.0", "Bitness": 64, "Modules": [{"Name": "Core", "Files": ["core"], "Package": "Core.zip"},
            {"Name": "Extras", "Files": "extras/**"}]})",
        p);
    ASSERT_TRUE(p.ok()) << Errors(p);
    EXPECT_TRUE(d.is64Bit);
    ASSERT_EQ(d.modules.size(), 2u);
    EXPECT_EQ(d.modules[0].package, "Core.zip");
    EXPECT_EQ(d.modules[1].action, "add");
    const struct {
        const char* json;
        const char* error;
    } cases[] = {
        {R"({"Version": "4.1.0", "Bitness": 16, "Modules": []})", "\"Bitness\""},
        {R"({"Version": "4.1.0"})", "\"Modules\" is missing"},
        {R"({"Modules": []})", "\"Version\" is missing"},
        {R"({"Version": "4.1.0", "Modules": [{"Files": ["a"]}]})", "\"Name\""},
        {R"({"Version": "4.1.0", "Modules": [{"Name": "A", "Package": "a/b.zip"}]})", "\"Package\""},
    };
    for (const auto& c : cases) {
        Problems q;
        ParseRuntimeDescription(c.json, q);
        EXPECT_NE(Errors(q).find(c.error), std::string::npos) << c.json << "\n--> " << Errors(q);
    }
}

}  // namespace
