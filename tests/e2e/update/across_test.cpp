// Across-version updates from nginx: one changed file of many, a settings file merged key by key,
// the user's files carried over, and a failure half-way that leaves the old version exactly.
#include "update_e2e.h"

using namespace update_e2e;

namespace {

using Files = std::vector<std::pair<std::wstring, std::string>>;

Files Version(const std::string& changed) {
    Files files = {
        {L"app.exe", "program"}, {L"reports\\r1.txt", "report one"}, {L"reports\\sub\\r2.txt", "two"}};
    for (int i = 1; i <= 12; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"data\\f%02d.txt", i);
        files.emplace_back(name, "data file " + std::to_string(i) + std::string(i * 1000, 'x'));
    }
    for (auto& [relative, bytes] : files) {
        if (changed.find(NimboNS::WideToUtf8(relative)) != std::string::npos) bytes += " changed";
    }
    return files;
}

const char kExtra[] = R"(, "Packages": [{"Name": "reports.zip", "Content": ["reports"]}],
    "IniConfigFiles": [{"FileName": "settings.ini", "UpdateType": 2}])";

class AcrossVersions : public UpdateE2E {
protected:
    std::wstring app;

    void SetUp() override {
        app = AppFolder(L"Sales");
        Files v1 = Version("");
        v1.emplace_back(L"settings.ini", "[s]\r\nshipped=1\r\n");
        ASSERT_TRUE(PublishRuntime());
        ASSERT_TRUE(PublishApp("Sales", "1.0", v1, kExtra));
        Serve();
        EngineRun install;
        ASSERT_EQ(install.Update(AppUrl(L"Sales")), 0) << install.LogText();
        // What the launch and the user added to the installed version.
        ASSERT_TRUE(
            nimbo_test::WriteFileText(app + L"\\kxapp.ini", "[dwcenter]\r\nResumableDownloadFileSize=\r\n"));
        ASSERT_TRUE(nimbo_test::WriteFileText(app + L"\\Sales.reghistory", "C:\\app\\c.ocx;hash\r\n"));
        ASSERT_TRUE(nimbo_test::WriteFileText(app + L"\\settings.ini", "[s]\r\nshipped=1\r\nuser=mine\r\n"));
    }
    std::string Read(const std::wstring& relative) {
        return nimbo_test::ReadFileText(app + L"\\" + relative);
    }
};

TEST_F(AcrossVersions, OnlyTheChangedFileIsFetchedAndTheUsersFilesStay) {
    Files v2 = Version("data\\f07.txt");
    v2.emplace_back(L"settings.ini", "[s]\r\nshipped=2\r\nadded=n\r\n");
    ASSERT_TRUE(PublishApp("Sales", "2.0", v2, kExtra));
    const size_t since = nginx->Log().size();

    EngineRun update;
    ASSERT_EQ(update.Update(AppUrl(L"Sales")), 0) << update.LogText();
    EXPECT_EQ(update.config.updateType, NimboNS::AcrossVersion);
    EXPECT_EQ(update.prompts.size(), 1u);  // the newer version was offered and taken
    EXPECT_FALSE(update.logShown);
    EXPECT_EQ(
        FetchedBelow(*nginx, "/Sales/2.0/", since),
        (std::vector<std::string>{"GET /Sales/2.0/data/f07.txt.zip", "GET /Sales/2.0/settings.ini.zip"}));
    for (const auto& [relative, bytes] : Version("data\\f07.txt"))
        EXPECT_EQ(Read(relative), bytes) << NimboNS::WideToUtf8(relative);
    wchar_t value[64];
    for (auto [key, expected] : {std::pair{L"shipped", L"2"}, {L"added", L"n"}, {L"user", L"mine"}}) {
        GetPrivateProfileStringW(L"s", key, L"", value, 64, (app + L"\\settings.ini").c_str());
        EXPECT_STREQ(value, expected) << NimboNS::WideToUtf8(key);
    }
    EXPECT_EQ(Read(L"kxapp.ini"), "[dwcenter]\r\nResumableDownloadFileSize=\r\n");
    EXPECT_EQ(Read(L"Sales.reghistory"), "C:\\app\\c.ocx;hash\r\n");
    EXPECT_EQ(Read(L"appconfig.json"),
              nimbo_test::ReadFileText(deployment / L"Sales\\2.0\\appconfig.json.zip"));
    EXPECT_FALSE(nimbo_test::FolderExists(app + L"_backup"));
    EXPECT_TRUE(FilesEndingIn(app, L".cfg").empty());
}

TEST_F(AcrossVersions, ServerDroppingAFileLeavesTheOldVersionByteForByte) {
    Files v2 = Version("data\\f02.txt data\\f05.txt data\\f11.txt");
    v2.emplace_back(L"settings.ini", "[s]\r\nshipped=2\r\n");
    ASSERT_TRUE(PublishApp("Sales", "2.0", v2, kExtra));
    ASSERT_TRUE(DeleteFileW((deployment / L"Sales\\2.0\\data\\f05.txt.zip").c_str()));
    const FolderSnapshot before = Snapshot(app);

    EngineRun update;
    EXPECT_EQ(update.Update(AppUrl(L"Sales")), -4);
    EXPECT_TRUE(update.logShown);
    EXPECT_TRUE(
        update.Logged(L"Failed to download the file \"" + AppUrl(L"Sales") + L"/2.0/data/f05.txt.zip\""))
        << update.LogText();
    // Every unchanged file had been moved into the new folder before the transfers began.
    EXPECT_EQ(Snapshot(app), before);
    EXPECT_FALSE(nimbo_test::FolderExists(app + L"_backup"));

    // The next run, once the server has the file again, completes the update.
    ASSERT_TRUE(PublishApp("Sales", "2.0", v2, kExtra));
    EngineRun retry;
    ASSERT_EQ(retry.Update(AppUrl(L"Sales")), 0) << retry.LogText();
    EXPECT_EQ(Read(L"data\\f05.txt"), v2[7].second);
}

}  // namespace
