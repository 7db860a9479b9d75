// The task layer: how a request to fetch one file becomes a configured, started download task,
// and the texts of the library's reports.
#include <gtest/gtest.h>

#include "catalog/catalog.h"
#include "config/updateconfig.h"
#include "fake_downloader.h"
#include "scwconv.h"
#include "tasks/updater.h"

using namespace NimboNS;
using update_test::CapturingLogView;
using update_test::FakeDownloader;

namespace {

struct TaskLayer : testing::Test {
    CapturingLogView view;
    CUpdateConfig config{&view};
    FakeDownloader downloader;
    nimbo_test::TempFolder folder;
    std::unique_ptr<CUpdater> updater = std::make_unique<CUpdater>(&config);

    TaskLayer() { updater->SetDownloader(&downloader); }
    std::wstring Target(const wchar_t* name) { return folder / name; }
};

TEST_F(TaskLayer, ResumeRecordIsLoadedOrDroppedByUpdateType) {
    struct Case {
        int updateType;
        bool recordPresent;
        bool loaded;
        bool recordKept;
    } cases[] = {
        {FirstDownLoad, true, true, true},
        {SameVersion, true, true, true},
        {AcrossVersion, true, false, false},
        {SameVersion, false, false, false},
    };
    for (const Case& c : cases) {
        const std::wstring target = Target(L"file.bin");
        DeleteFileW((target + L".cfg").c_str());
        if (c.recordPresent) nimbo_test::WriteFileText(target + L".cfg", "record");
        config.updateType = c.updateType;
        ASSERT_EQ(updater->AddDownloadTask(L"http://srv/file.bin.zip", target, 10), 0);
        const auto& task = *downloader.created.back();
        SCOPED_TRACE(testing::Message() << "type " << c.updateType << " record " << c.recordPresent);
        EXPECT_EQ(task.resumeRecord, c.loaded ? target + L".cfg" : L"");
        EXPECT_EQ(GetFileAttributesW((target + L".cfg").c_str()) != INVALID_FILE_ATTRIBUTES, c.recordKept);
    }
}

TEST_F(TaskLayer, OnlyFilesAboveTheThresholdAreResumable) {
    struct Case {
        unsigned long long threshold;
        long long size;
        int resumable;
    } cases[] = {
        {2097152, 2097152, 0}, {2097152, 2097153, 1}, {2097152, 0, 0}, {0, 1, 1}, {0, 0, 0}, {2097152, -1, 0},
    };
    for (const Case& c : cases) {
        config.resumableDownloadFileSize = c.threshold;
        ASSERT_EQ(updater->AddDownloadTask(L"http://srv/f.zip", Target(L"f"), c.size), 0);
        EXPECT_EQ(downloader.created.back()->resumable, c.resumable) << c.threshold << " / " << c.size;
    }
}

TEST_F(TaskLayer, TaskIsConfiguredInOrderAndStarted) {
    auto* cookies = reinterpret_cast<ICookieManager*>(0x1234);
    config.cookieManager = cookies;
    const std::wstring target = Target(L"sub\\app.exe");
    ASSERT_EQ(updater->AddDownloadTask(L"http://srv/App/1/sub/app.exe.zip", target, 3000000), 0);
    const auto& task = *downloader.created.back();
    EXPECT_EQ(task.calls, (std::vector<std::string>{"SetUrl", "SetFilePath", "SetCookieManager", "SetExtract",
                                                    "SetFolder", "SetResumable"}));
    EXPECT_EQ(task.url, L"http://srv/App/1/sub/app.exe.zip");
    EXPECT_EQ(task.target, target);
    EXPECT_EQ(task.cookies, cookies);
    EXPECT_EQ(task.extract, 0);
    EXPECT_EQ(task.folder, folder / L"sub");
    EXPECT_EQ(task.started, 1);
    EXPECT_EQ(updater->TaskCount(), 1);
    EXPECT_TRUE(
        view.Has(L"Begin to download the file \"http://srv/App/1/sub/app.exe.zip\"; FileSize: 3000000."));
}

TEST_F(TaskLayer, TargetWithoutFolderGivesItsRecordAsFolder) {
    ASSERT_EQ(updater->AddDownloadTask(L"u", L"plain.txt", 1), 0);
    EXPECT_EQ(downloader.created.back()->folder, L"plain.txt.cfg");
}

TEST_F(TaskLayer, BeginLineShowsTheLow32BitsOfTheSize) {
    ASSERT_EQ(updater->AddDownloadTask(L"http://srv/big", Target(L"big"), 0x100000005LL), 0);
    EXPECT_TRUE(view.Has(L"Begin to download the file \"http://srv/big\"; FileSize: 5."));
}

TEST_F(TaskLayer, NoTaskFromTheLibrarySkipsTheFileSilently) {
    downloader.failCreate = true;
    EXPECT_EQ(updater->AddDownloadTask(L"u", Target(L"x"), 1), 0);
    EXPECT_EQ(updater->TaskCount(), 0);
    EXPECT_TRUE(view.lines.empty());
}

TEST_F(TaskLayer, RefusedTaskFailsStaysListedAndIsReleasedOnce) {
    downloader.refuseStartAfter = 0;
    EXPECT_EQ(updater->AddDownloadTask(L"u", Target(L"x"), 1), 1);
    EXPECT_EQ(updater->TaskCount(), 1);
    EXPECT_FALSE(view.HasPart(L"Begin to download"));
    updater.reset();
    ASSERT_EQ(downloader.created.size(), 1u);
    EXPECT_EQ(downloader.created[0]->released, 1);
}

TEST_F(TaskLayer, WithoutTheLibraryNothingStartsAndTheReasonIsLogged) {
    CUpdater bare(&config);
    EXPECT_EQ(bare.AddDownloadTask(L"u", Target(L"x"), 1), 1);
    EXPECT_TRUE(view.Has(FormatWide(GetLocalizedMessage(msg::kLoadDllFailed), L"kxhttpclient")));
    bare.Stop();
    bare.ForwardControl1();
    bare.ForwardControl2();
    EXPECT_EQ(bare.WaitTasks(), 0);
}

TEST_F(TaskLayer, ControlsReachTheDownloader) {
    updater->Stop();
    updater->ForwardControl1();
    updater->ForwardControl2();
    updater->ForwardControl2();
    EXPECT_EQ(downloader.stops, 1);
    EXPECT_EQ(downloader.control1, 1);
    EXPECT_EQ(downloader.control2, 2);
}

TEST(DownloadReports, LinesByKind) {
    EXPECT_EQ(FormatPutLogLine(0, L"http://s/a", 200, 0x100000007LL),
              L"End to download the file \"http://s/a\"; ResponseCode: 200; RealSize: 7.");
    EXPECT_EQ(FormatPutLogLine(1, L"http://s/a", -1, 0),
              L"Retry to download the file \"http://s/a\"; ResponseCode: -1.");
    EXPECT_EQ(FormatPutLogLine(2, L"http://s/a", 206, 0),
              L"Partial_Content to download the file \"http://s/a\"; ResponseCode: 206.");
    EXPECT_EQ(FormatPutLogLine(3, L"http://s/a", 200, 1), L"");
    EXPECT_EQ(FormatDownloadErrorLine(L"http://s/a", 404, L"Not Found"),
              L"Failed to download the file \"http://s/a\"; ErrorCode: 404; Error: Not Found.");
    EXPECT_EQ(FormatDownloadErrorLine(nullptr, 5, nullptr),
              L"Failed to download the file \"\"; ErrorCode: 5; Error: .");
}

TEST(DownloadReports, LongLinesAreCutAt519Characters) {
    const std::wstring url(2000, L'u');
    EXPECT_EQ(FormatPutLogLine(0, url.c_str(), 200, 1).size(), 519u);
    EXPECT_EQ(FormatDownloadErrorLine(url.c_str(), 1, L"e").size(), 519u);
}

}  // namespace
