// The app configuration document, the runtime manifest and the launcher setup document, read
// through the real kxjson and kxcrypt from files and memory.
#include <gtest/gtest.h>

#include "catalog.h"
#include "config_fixture.h"
#include "encrypted_document.h"

using namespace NimboNS;
using config_test::ConfigUnderTest;
using config_test::WriteConfigDocument;
using nimbo_test::TempFolder;

namespace {

struct AppFolderRun : ConfigUnderTest {
    TempFolder app;
    AppFolderRun() { config.appPath = app.path(); }
    int LoadLocal(const std::string& json) {
        EXPECT_TRUE(WriteConfigDocument(app / L"appconfig.json", json));
        return config.LoadLocalConfig();
    }
};

TEST(LocalConfig, WithoutADocumentNothingIsInstalled) {
    AppFolderRun t;
    EXPECT_EQ(t.config.LoadLocalConfig(), 0);
    EXPECT_EQ(t.config.updateType, FirstDownLoad);
    EXPECT_EQ(t.config.startMode, Always);
    EXPECT_EQ(t.config.isVerOffCheck, 1);
    EXPECT_EQ(t.config.is64Bit, 0);
    EXPECT_EQ(t.Log(), "");
}

TEST(LocalConfig, ReadsTheLocalKeys) {
    AppFolderRun t;
    ASSERT_EQ(t.LoadLocal(R"({"StartupFile": "bin\\app.exe", "Version": "1.2.0", "UpdateGuid": "{G1}",
        "IsVerOffCheck": true, "RuntimeVersion": "22.3.0.1", "StartMode": 2, "Is32Bit": false, "WebViewType": 3,
        "SaveDynamicCommandLineArgs": true, "FullDownload": true})"),
              0);
    EXPECT_EQ(t.config.updateType, SameVersion);
    EXPECT_EQ(t.config.GetStartupFile(), L"bin\\app.exe");
    EXPECT_EQ(t.config.GetVersion(), L"1.2.0");
    EXPECT_EQ(t.config.updateGuid, L"{G1}");
    EXPECT_EQ(t.config.isVerOffCheck, 1);
    EXPECT_EQ(t.config.runtimeVersion, L"22.3.0.1");
    EXPECT_EQ(t.config.startMode, Connect);
    EXPECT_EQ(t.config.is64Bit, 1);
    EXPECT_EQ(t.config.webViewType, 3);
    EXPECT_EQ(t.config.GetSaveDynamicCommandLineArgs(), 1);
    EXPECT_EQ(t.config.fullDownload, 0) << "FullDownload is read from the server copy only";
    EXPECT_TRUE(
        t.Logged(L"The local config file is loaded successfully. Path: " + t.app / L"appconfig.json.\n"))
        << t.Log();
}

TEST(LocalConfig, MissingKeysAndOtherTypesKeepTheDefaults) {
    for (const char* json :
         {R"({})", R"({"StartMode": "1", "Is32Bit": "no", "Version": 5, "IsVerOffCheck": 1})"}) {
        AppFolderRun t;
        ASSERT_EQ(t.LoadLocal(json), 0) << json;
        EXPECT_EQ(t.config.isVerOffCheck, 0) << "a local document without the key turns the check off";
        EXPECT_EQ(t.config.startMode, Always);
        EXPECT_EQ(t.config.is64Bit, 0);
        EXPECT_EQ(t.config.version, L"");
        EXPECT_EQ(t.config.updateType, SameVersion);
    }
}

TEST(LocalConfig, AnUnreadableDocumentStopsTheLaunch) {
    AppFolderRun plain;
    ASSERT_TRUE(nimbo_test::WriteFileText(plain.app / L"appconfig.json", R"({"Version": "1.0"})"));
    EXPECT_EQ(plain.config.LoadLocalConfig(), 1) << "a document that is not encrypted";
    EXPECT_TRUE(plain.Logged(L" ERROR [")) << plain.Log();
    EXPECT_TRUE(
        plain.Logged(L"Failed to load the local config file. Path: " + plain.app / L"appconfig.json.\n"));

    AppFolderRun notJson;
    EXPECT_EQ(notJson.LoadLocal("Version = 1.0"), 1);
    EXPECT_TRUE(notJson.Logged(L"Failed to load the local config file.")) << notJson.Log();
    EXPECT_EQ(notJson.config.updateType, FirstDownLoad);
}

TEST(FileLists, AreKeyedByRelativePathAndTheFirstRecordWins) {
    AppFolderRun t;
    ASSERT_EQ(t.LoadLocal(R"({"PredownloadFiles": [
        {"Size": 5000000000, "Extractable": false, "Name": "a.dll", "Path": "bin", "HashCode": "h1"},
        {"Size": 1, "Name": "a.dll", "Path": "bin", "HashCode": "h2"},
        {"Name": ".", "Path": "data", "HashCode": "h3"},
        {"Name": "top.exe", "Extractable": true},
        "not an object"],
      "InstantDownloadFiles": [{"Name": "late.dat", "Path": "x\\y"}]})"),
              0);
    FileRecordMap files;
    ASSERT_EQ(t.config.GetPredownloadFiles(files), 1);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_STREQ(files.at(L"bin\\a.dll").HashCode, L"h1");
    EXPECT_EQ(files.at(L"bin\\a.dll").Size, 5000000000LL);
    EXPECT_STREQ(files.at(L"data").HashCode, L"h3");
    EXPECT_EQ(files.at(L"top.exe").Extractable, 1);
    EXPECT_STREQ(files.at(L"top.exe").Path, L"");

    FileRecordMap instant;
    ASSERT_EQ(t.config.GetInstantDownloadFiles(instant), 1);
    EXPECT_EQ(instant.count(L"x\\y\\late.dat"), 1u);

    std::vector<FileRecord> list;
    EXPECT_EQ(t.config.ReadFileListMember(L"PredownloadFiles", list), 1);
    EXPECT_EQ(list.size(), 4u) << "the list keeps every record in document order";
    EXPECT_STREQ(list[1].HashCode, L"h2");
}

TEST(FileLists, WithoutDocumentOrMemberThereIsNoMap) {
    AppFolderRun none;
    FileRecordMap files;
    EXPECT_EQ(none.config.GetPredownloadFiles(files), 0);
    AppFolderRun empty;
    ASSERT_EQ(empty.LoadLocal(R"({"PredownloadFiles": []})"), 0);
    EXPECT_EQ(empty.config.GetPredownloadFiles(files), 1);
    EXPECT_EQ(empty.config.GetInstantDownloadFiles(files), 0);
}

struct RecordCase {
    const char* name;
    std::wstring path, fileName, hashCode;
    bool accepted;
};

std::string RecordDocument(const RecordCase& c) {
    auto quoted = [](const std::wstring& text) {
        std::string out = "\"";
        for (char ch : WideToUtf8(text)) {
            if (ch == '\\' || ch == '"') out += '\\';
            out += ch;
        }
        return out + "\"";
    };
    return "{\"PredownloadFiles\": [{\"Name\": " + quoted(c.fileName) + ", \"Path\": " + quoted(c.path) +
           ", \"HashCode\": " + quoted(c.hashCode) + "}]}";
}

class HostileRecord : public testing::TestWithParam<RecordCase> {};

// A record that would lead outside the app folder, or does not fit its field, is refused.
TEST_P(HostileRecord, IsRefusedWithALoggedError) {
    const RecordCase& c = GetParam();
    AppFolderRun t;
    ASSERT_EQ(t.LoadLocal(RecordDocument(c)), 0);
    FileRecordMap files;
    EXPECT_EQ(t.config.GetPredownloadFiles(files), c.accepted ? 1 : 0);
    EXPECT_EQ(files.size(), c.accepted ? 1u : 0u);
    if (c.accepted) {
        EXPECT_FALSE(t.Logged(L" ERROR [")) << t.Log();
    } else {
        EXPECT_TRUE(t.Logged(L" ERROR [")) << t.Log();
        EXPECT_TRUE(t.Logged(L"The path (")) << t.Log();
    }
}

const RecordCase kRecords[] = {
    {"PlainRecord", L"bin", L"a.dll", L"h", true},
    {"LongestFittingTexts", std::wstring(511, L'p'), std::wstring(255, L'n'), std::wstring(21, L'h'), true},
    {"ParentInPath", L"..\\..\\Windows", L"evil.dll", L"h", false},
    {"ParentInName", L"bin", L"..\\..\\evil.dll", L"h", false},
    {"ParentWithSlashes", L"bin/../..", L"evil.dll", L"h", false},
    {"DriveLetter", L"C:\\Windows", L"evil.dll", L"h", false},
    {"RootedPath", L"\\Windows", L"evil.dll", L"h", false},
    {"UncPath", L"\\\\server\\share", L"evil.dll", L"h", false},
    {"AlternateDataStream", L"bin", L"a.dll:payload", L"h", false},
    {"PathTooLong", std::wstring(512, L'p'), L"a.dll", L"h", false},
    {"NameTooLong", L"bin", std::wstring(256, L'n'), L"h", false},
    {"HashCodeTooLong", L"bin", L"a.dll", std::wstring(22, L'h'), false},
};

INSTANTIATE_TEST_SUITE_P(Records, HostileRecord, testing::ValuesIn(kRecords),
                         [](const testing::TestParamInfo<RecordCase>& info) { return info.param.name; });

TEST(IniConfigFiles, KeepCompleteEntriesInDocumentOrder) {
    AppFolderRun t;
    const std::string tooLong(260, 'n');
    ASSERT_EQ(
        t.LoadLocal(R"({"IniConfigFiles": [{"FileName": "a.ini", "UpdateType": 2}, {"FileName": "b.ini"},
        {"UpdateType": 1}, {"FileName": ")" +
                    tooLong + R"(", "UpdateType": 1},
        {"FileName": "c.ini", "UpdateType": 3}]})"),
        0);
    t.config.iniConfigFiles.resize(5);  // replaced, not appended to
    t.config.ReadIniConfigFiles();
    ASSERT_EQ(t.config.iniConfigFiles.size(), 2u);
    EXPECT_STREQ(t.config.iniConfigFiles[0].FileName, L"a.ini");
    EXPECT_EQ(t.config.iniConfigFiles[0].UpdateType, 2);
    EXPECT_STREQ(t.config.iniConfigFiles[1].FileName, L"c.ini");
    EXPECT_EQ(t.config.iniConfigFiles[1].UpdateType, 3);
    EXPECT_TRUE(t.Logged(L"The path (" + std::wstring(260, L'n') + L") is invalid.\n")) << "never cut";
}

TEST(RuntimeModules, AreAppendedToTheList) {
    AppFolderRun t;
    ASSERT_EQ(t.LoadLocal(R"({"RuntimeModules": ["Core", 5, "Web"]})"), 0);
    t.config.runtimeModules = {L"Earlier"};
    EXPECT_EQ(t.config.ReadRuntimeModules(), 1);
    EXPECT_EQ(t.config.runtimeModules, (std::vector<std::wstring>{L"Earlier", L"Core", L"Web"}));
}

TEST(ResumableDownloadFileSize, ComesFromTheAppSettingsFile) {
    const std::pair<const char*, unsigned long long> cases[] = {
        {nullptr, 2097152},
        {"[other]\r\nResumableDownloadFileSize=5\r\n", 2097152},
        {"[dwcenter]\r\nResumableDownloadFileSize=\r\n", 2097152},
        {"[dwcenter]\r\nResumableDownloadFileSize=0\r\n", 0},
        {"[dwcenter]\r\nResumableDownloadFileSize=5000000000\r\n", 5000000000ULL},
        {"[dwcenter]\r\nResumableDownloadFileSize=18446744073709551615\r\n", 18446744073709551615ULL},
        {"[dwcenter]\r\nResumableDownloadFileSize=18446744073709551616\r\n", 2097152},
        {"[dwcenter]\r\nResumableDownloadFileSize=abc\r\n", 2097152},
        {"[dwcenter]\r\nResumableDownloadFileSize=12abc\r\n", 2097152},
        {"[dwcenter]\r\nResumableDownloadFileSize=-1\r\n", 2097152},
    };
    for (const auto& [ini, expected] : cases) {
        AppFolderRun t;
        if (ini != nullptr) ASSERT_TRUE(nimbo_test::WriteFileText(t.app / L"kxapp.ini", ini));
        t.config.resumableDownloadFileSize = 7;
        t.config.ReadResumableDownloadFileSize();
        EXPECT_EQ(t.config.GetResumableDownloadFileSize(), expected) << (ini ? ini : "no file");
    }
}

TEST(SaveServerConfig, WritesTheDownloadedBytesUnchanged) {
    AppFolderRun t;
    const std::wstring target = t.app / L"appconfig.json";
    EXPECT_EQ(t.config.SaveServerConfig(target), 0) << "nothing was downloaded";
    ASSERT_TRUE(nimbo_test::WriteFileText(target, std::string(100, 'o')));
    const std::string bytes("\x01\x02\0\xff encrypted", 14);
    t.config.downloadedConfig.assign(bytes.begin(), bytes.end());
    EXPECT_EQ(t.config.SaveServerConfig(target), 1);
    EXPECT_EQ(nimbo_test::ReadFileText(target), bytes);
    EXPECT_EQ(t.config.SaveServerConfig(t.app / L"missing\\appconfig.json"), 0);
}

TEST(Documents, OnlyTheThreeKnownNamesLoad) {
    ConfigUnderTest t;
    const std::string json = R"({"version": "1"})";
    EXPECT_EQ(t.config.LoadDocumentFromMemory(json.data(), int(json.size()), L"other.json"), 0);
    EXPECT_EQ(t.config.LoadDocumentFromMemory(nullptr, 5, L"manifest.json"), 0);
    EXPECT_EQ(t.config.LoadDocumentFromMemory(json.data(), 0, L"manifest.json"), 0);
    EXPECT_EQ(t.config.LoadDocumentFromMemory(json.data(), int(json.size()), L"appconfig.json"), 0)
        << "the app configuration must be encrypted";
    EXPECT_EQ(t.config.LoadDocumentFromMemory(json.data(), int(json.size()), L"manifest.json"), 1);
    EXPECT_EQ(t.config.LoadDocumentFromMemory(json.data(), int(json.size()), L"LauncherSetup.json"), 1);
}

}  // namespace
