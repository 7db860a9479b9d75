// The progress window during a real download (nginx serves the app slowly) and with its log pane
// after a real failure; the pictures go to <build>/tests/screenshots.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <regex>

#include "engine/engine_resources.h"
#include "run_fixture.h"
#include "scwconv.h"

namespace {

using run_test::RunFixture;

// Bytes that do not compress, so the zipped app file is as large as the file.
std::string Noise(size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 12345;
    for (char& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

struct DownloadWindow : ::testing::Test, RunFixture {};

TEST_F(DownloadWindow, ShowsStageCountAndBarWhileTheAppArrives) {
    auto files = run_test::StandardFiles();
    files.push_back({L"data\\big.bin", Noise(2 * 1024 * 1024)});
    for (int i = 0; i < 6; ++i) files.push_back({L"data\\part" + std::to_wstring(i) + L".txt", "part"});
    ASSERT_TRUE(deployment.PublishRuntime());
    ASSERT_TRUE(deployment.PublishLauncher("22.0.0.0", "22.0.0.0", "installer"));
    ASSERT_TRUE(deployment.PublishApp("Sales", "1.0.0", files));
    ASSERT_TRUE(Serve());

    std::wstring caption, count;
    int bar = -1;
    auto whileDownloading = [&](HWND window) {
        // Wait for the app stage with some files done and the large one still on its way.
        for (int i = 0; i < 600 && IsWindow(window); ++i) {
            caption = Text(GetDlgItem(window, IDC_UPDATE_CAPTION));
            count = Text(GetDlgItem(window, IDC_UPDATE_COUNT));
            bar = static_cast<int>(SendDlgItemMessageW(window, IDC_UPDATE_PROGRESS, PBM_GETPOS, 0, 0));
            if (caption == L"Application progress" && !count.empty() && bar > 0 && bar < 100) break;
            Sleep(50);
        }
        nimbo_test::TakeScreenshot(L"update_window_download");
    };
    // "/slow/" serves the same deployment at 256 KiB/s per transfer.
    EXPECT_EQ(RunUpdate(AppUrl(L"slow/Sales"), 0, 0, whileDownloading), 0) << Log();
    EXPECT_EQ(caption, L"Application progress");
    EXPECT_TRUE(std::regex_match(NimboNS::WideToUtf8(count), std::regex(R"(\(\d+/1[01]\))")))
        << NimboNS::WideToUtf8(count);
    EXPECT_GT(bar, 0);
    EXPECT_LT(bar, 100);
    EXPECT_TRUE(LastSeen().closedByItself);
    EXPECT_EQ(nimbo_test::ReadFileText(AppFolder() + L"\\data\\big.bin").size(), 2u * 1024 * 1024);
}

TEST_F(DownloadWindow, FailedDownloadLeavesTheLogPaneOpen) {
    ASSERT_TRUE(deployment.PublishStandard());
    ASSERT_TRUE(DeleteFileW((deployment.Folder() + L"\\Sales\\1.0.0\\bin\\a.dll.zip").c_str()));
    ASSERT_TRUE(Serve());
    ScreenshotLogPane(L"update_window_failed_download");
    EXPECT_EQ(RunUpdate(AppUrl()), NimboNS::IUpdate::kAppUpdateFailed) << Log();
    EXPECT_TRUE(LastSeen().paneShown);
    EXPECT_EQ(LastSeen().clientHeight, 348 + 165);
    EXPECT_EQ(LastSeen().pane.top, 348);
    EXPECT_NE(LastSeen().paneText.find(L"Failed to download the file"), std::wstring::npos)
        << NimboNS::WideToUtf8(LastSeen().paneText);
    EXPECT_NE(LastSeen().paneText.find(L"Failed to update the app."), std::wstring::npos);
}

}  // namespace
