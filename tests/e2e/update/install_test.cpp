// A first installation and a same-version repair from nginx, and a run without the download library.
#include "update_e2e.h"

using namespace update_e2e;

namespace {

const std::vector<std::pair<std::wstring, std::string>> kVersion1 = {
    {L"app.exe", "program 1"},
    {L"data\\f01.txt", "first"},
    {L"data\\f02.txt", "second"},
    {L"data\\f03.txt", "third"},
    {L"data\\f04.txt", std::string(100000, '4')},
    {L"data\\f05.txt", "fifth"},
    {L"settings.ini", "[s]\r\nk=v\r\n"},
    {L"reports\\r1.txt", "report one"},
    {L"reports\\sub\\r2.txt", "report two"},
};
const char kPackage[] = R"(, "Packages": [{"Name": "reports.zip", "Content": ["reports"]}])";

class Installation : public UpdateE2E {
protected:
    void SetUp() override {
        ASSERT_TRUE(PublishRuntime());
        ASSERT_TRUE(PublishApp("Sales", "1.0", kVersion1, kPackage));
        Serve();
    }
    void ExpectInstalled() {
        const std::wstring app = AppFolder(L"Sales");
        for (const auto& [relative, bytes] : kVersion1)
            EXPECT_EQ(nimbo_test::ReadFileText(app + L"\\" + relative), bytes)
                << NimboNS::WideToUtf8(relative);
        EXPECT_EQ(nimbo_test::ReadFileText(app + L"\\appconfig.json"),
                  nimbo_test::ReadFileText(deployment / L"Sales\\1.0\\appconfig.json.zip"));
        EXPECT_EQ(nimbo_test::ReadFileText(RuntimeFolder() + L"\\core\\core.dll"), "core library 1.0");
        EXPECT_EQ(nimbo_test::ReadFileText(RuntimeFolder() + L"\\tools\\big.bin"), std::string(300000, 't'));
        EXPECT_EQ(nimbo_test::ReadFileText(app + L"\\Ostrander.Tessellate.Db.dll"), "assembly 1.0");
        EXPECT_TRUE(nimbo_test::FileExists(RuntimeFolder() + L"\\manifest.json"));
        for (const std::wstring& folder : {app, RuntimeFolder()}) {
            EXPECT_TRUE(FilesEndingIn(folder, L".cfg").empty());
            EXPECT_TRUE(FilesEndingIn(folder, L".kxdl").empty());
        }
    }
};

TEST_F(Installation, FirstInstallPlacesFilesPackageAndRuntime) {
    EngineRun run;
    ASSERT_EQ(run.Update(AppUrl(L"Sales")), 0) << run.LogText();
    ExpectInstalled();
    EXPECT_FALSE(run.Logged(L"Failed"));
    EXPECT_FALSE(run.logShown);
}

TEST_F(Installation, SameVersionRepairFetchesOnlyTheDamagedFiles) {
    {
        EngineRun first;
        ASSERT_EQ(first.Update(AppUrl(L"Sales")), 0) << first.LogText();
    }
    const std::wstring app = AppFolder(L"Sales");
    ASSERT_TRUE(DeleteFileW((app + L"\\data\\f03.txt").c_str()));
    ASSERT_TRUE(nimbo_test::WriteFileText(app + L"\\data\\f05.txt.cfg", "left by an interrupted transfer"));
    const size_t since = nginx->Log().size();

    EngineRun repair;
    ASSERT_EQ(repair.Update(AppUrl(L"Sales")), 0) << repair.LogText();
    std::vector<std::string> fetched;
    for (const std::string& line : Requests(*nginx, "/Sales/1.0/", since)) {
        if (line.find("appconfig.json.zip") == std::string::npos)
            fetched.push_back(line.substr(0, line.find(' ', 4)));
    }
    std::sort(fetched.begin(), fetched.end());
    EXPECT_EQ(fetched, (std::vector<std::string>{"GET /Sales/1.0/data/f03.txt.zip",
                                                 "GET /Sales/1.0/data/f05.txt.zip"}));
    EXPECT_TRUE(Requests(*nginx, "/NimboPublisher/runtime/1.0/tools/", since).empty());
    EXPECT_TRUE(Requests(*nginx, "Core.zip", since).empty());
    ExpectInstalled();
    // The package's contents are all there: its archive is no longer kept.
    EXPECT_FALSE(nimbo_test::FileExists(app + L"\\reports.zip"));
}

TEST_F(Installation, WithoutTheDownloadLibraryTheRunEndsWithALoggedErrorBeforeAnyTransfer) {
    UpdateRun run(false);
    EXPECT_EQ(run.Update(AppUrl(L"Sales")), 5);
    EXPECT_TRUE(run.Logged(L"Failed to load kxhttpclient.dll."));
    EXPECT_EQ(nginx->Log(), "");
    EXPECT_FALSE(nimbo_test::FolderExists(AppFolder(L"Sales")));
}

}  // namespace
