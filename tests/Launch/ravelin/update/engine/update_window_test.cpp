// The progress window as the update run shows it: what the delegate posts, what the window makes
// of it, and the log pane that opens when the run fails.
#include <gtest/gtest.h>

#include "catalog.h"
#include "dialog_thread.h"
#include "engine/engine_resources.h"
#include "engine/updatedelegate.h"
#include "harness.h"
#include "plog/Record.h"
#include "scwconv.h"

namespace {

using namespace NimboNS;
using engine_test::DialogThread;

void LogLine(CUpdateDialog& dialog, plog::Severity severity, const wchar_t* text) {
    plog::Record record(severity, "engine_test", __LINE__);
    record << text;
    dialog.LogView().write(record);
}

struct Window : ::testing::Test {
    CUpdateDialog dialog{nullptr};
    CUpdateDelegate* delegate = new CUpdateDelegate(&dialog);
    ~Window() override { delegate->Release(); }
};

TEST_F(Window, ComesUpRestoredCentredAndTitledWithRetryHiddenAndNoCaption) {
    dialog.SetTitle(L"Sales");
    dialog.SetCaption(L"not shown while the log is hidden");
    DialogThread shown(dialog);
    HWND window = shown.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(engine_test::WindowText(window), L"Sales");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_UPDATE_RETRY)));
    EXPECT_EQ(shown.ItemText(IDC_UPDATE_CAPTION), L"");
    const RECT frame = engine_test::WindowRect(window);
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_EQ(engine_test::LogPane(window), nullptr);
}

TEST_F(Window, DelegatePostsEachReportWithCopiesOfItsTexts) {
    DialogThread shown(dialog);
    std::wstring text = L"Updating the app...", caption = L"Application progress";
    delegate->OnStageBegin(4, 4, text.c_str(), caption.c_str());
    // The texts are copies: what the caller does with its own afterwards does not matter.
    text.assign(text.size(), L'x');
    delegate->OnOverallProgress(40, 512, 3, 7, 2);
    delegate->OnItemProgress(L"C:\\apps\\a.dll", L"http://h/a.dll.zip", 55);
    delegate->OnItemProgress(nullptr, nullptr, 0);
    delegate->OnUpdateFailed();
    const auto taken = shown.WaitTaken(5);
    ASSERT_EQ(taken.size(), 5u);

    EXPECT_EQ(taken[0].message, WM_UPDATE_STAGE);
    EXPECT_EQ(taken[0].text, L"Updating the app...");
    EXPECT_EQ(taken[0].caption, L"Application progress");
    EXPECT_EQ(taken[0].numbers, (std::vector<int>{4, 4}));
    EXPECT_EQ(taken[1].message, WM_UPDATE_PROGRESS);
    EXPECT_EQ(taken[1].numbers, (std::vector<int>{40, 512, 3, 7, 2}));
    EXPECT_EQ(taken[2].message, WM_UPDATE_ITEM);
    EXPECT_EQ(taken[2].text, L"C:\\apps\\a.dll");
    EXPECT_EQ(taken[2].caption, L"http://h/a.dll.zip");
    EXPECT_EQ(taken[2].numbers, std::vector<int>{55});
    EXPECT_EQ(taken[3].message, WM_UPDATE_ITEM);
    EXPECT_EQ(taken[3].text, L"");
    EXPECT_EQ(taken[4].message, WM_UPDATE_SHOWLOG);
}

TEST_F(Window, StageShowsItsCaptionAndStartsTheBarAfresh) {
    DialogThread shown(dialog);
    delegate->OnOverallProgress(0, 0, 0, 4, 3);
    shown.Sync();
    ASSERT_EQ(shown.BarPosition(), 75);
    delegate->OnStageBegin(4, 3, L"Updating the app runtime...", L"Runtime progress");
    shown.Sync();
    EXPECT_EQ(shown.ItemText(IDC_UPDATE_CAPTION), L"Runtime progress");
    EXPECT_EQ(shown.ItemText(IDC_UPDATE_COUNT), L"");
    EXPECT_EQ(shown.BarPosition(), 0);
    const PBRANGE range = shown.BarRange();
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
}

TEST_F(Window, OverallProgressShowsDoneOfTotalAndTheTruncatedPercentage) {
    struct Case {
        int total, done;
        const wchar_t* text;
        int position;
    };
    const Case cases[] = {
        {3, 1, L"(1/3)", 33},           {3, 2, L"(2/3)", 66},
        {7, 2, L"(2/7)", 28},           {3, 3, L"(3/3)", 100},
        {1000, 999, L"(999/1000)", 99}, {0, 5, L"(999/1000)", 99},  // no total: nothing changes
    };
    DialogThread shown(dialog);
    for (const Case& c : cases) {
        delegate->OnOverallProgress(10, 20, 1, c.total, c.done);
        shown.Sync();
        EXPECT_EQ(shown.ItemText(IDC_UPDATE_COUNT), c.text) << c.done << "/" << c.total;
        EXPECT_EQ(shown.BarPosition(), c.position) << c.done << "/" << c.total;
    }
}

TEST_F(Window, ItemReportsChangeNothingOnTheWindow) {
    DialogThread shown(dialog);
    delegate->OnStageBegin(4, 4, L"Updating the app...", L"Application progress");
    delegate->OnOverallProgress(0, 0, 1, 4, 1);
    delegate->OnItemProgress(L"C:\\a", L"http://h/a", 0);
    delegate->OnItemProgress(L"C:\\a", L"http://h/a", 90);
    shown.WaitTaken(4);
    shown.Sync();
    EXPECT_EQ(shown.ItemText(IDC_UPDATE_CAPTION), L"Application progress");
    EXPECT_EQ(shown.ItemText(IDC_UPDATE_COUNT), L"(1/4)");
    EXPECT_EQ(shown.BarPosition(), 25);
}

TEST_F(Window, SuccessClosesTheWindowAndTheLogFile) {
    DialogThread shown(dialog);
    LogLine(dialog, plog::info, L"before the end");
    delegate->OnUpdateSucceeded();
    ASSERT_TRUE(shown.WaitClosed());
    EXPECT_FALSE(dialog.HasWindow());
    LogLine(dialog, plog::info, L"after the end");
    const std::string file = nimbo_test::ReadFileText(dialog.LogView().FilePath());
    EXPECT_NE(file.find("before the end"), std::string::npos);
    EXPECT_EQ(file.find("after the end"), std::string::npos);
    // Reports that come after the window are dropped, not delivered anywhere.
    delegate->OnOverallProgress(0, 0, 0, 1, 1);
    EXPECT_FALSE(dialog.Post(WM_UPDATE_SHOWLOG, 0));
}

TEST_F(Window, FailureOpensTheLogPaneBelowAndGrowsTheWindowOnce) {
    LogLine(dialog, plog::info, L"The app is now being updated.");
    LogLine(dialog, plog::error, L"Failed to update the app.");
    LogLine(dialog, plog::verbose, L"a verbose line stays in the file");
    DialogThread shown(dialog);
    HWND window = shown.Window();
    const RECT before = engine_test::WindowRect(window);
    const RECT clientBefore = engine_test::ClientRect(window);
    delegate->OnUpdateFailed();
    shown.WaitTaken(1);
    shown.Sync();
    const RECT after = engine_test::WindowRect(window);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + CUpdateDialog::kLogPaneHeight);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);

    HWND pane = engine_test::LogPane(window);
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(IsWindowVisible(pane));
    RECT paneRect = engine_test::WindowRect(pane);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&paneRect), 2);
    EXPECT_EQ(paneRect.left, 0);
    EXPECT_EQ(paneRect.top, clientBefore.bottom);
    EXPECT_EQ(paneRect.right, clientBefore.right);
    EXPECT_EQ(paneRect.bottom - paneRect.top, CUpdateDialog::kLogPaneHeight);
    // The template's 214 dialog units come to 348 pixels with the dialog font.
    EXPECT_EQ(clientBefore.bottom, CUpdateDialog::kLogPaneTop);

    const std::wstring text = engine_test::WindowText(pane);
    EXPECT_NE(text.find(L"Failed to update the app."), std::wstring::npos);
    EXPECT_NE(text.find(L"The app is now being updated."), std::wstring::npos);
    EXPECT_EQ(text.find(L"verbose"), std::wstring::npos);
    // Newest first.
    EXPECT_LT(text.find(L"Failed to update"), text.find(L"now being updated"));

    nimbo_test::TakeScreenshot(L"update_window_log_pane");

    // A second request shows the pane again without growing the window further.
    delegate->OnUpdateFailed();
    shown.WaitTaken(2);
    shown.Sync();
    const RECT again = engine_test::WindowRect(window);
    EXPECT_EQ(again.bottom - again.top, after.bottom - after.top);
}

TEST_F(Window, ConfigurationFailureShowsItsCaptionAndOpensTheLogByItself) {
    LogLine(dialog, plog::error, L"Failed to download the config file");
    dialog.SetTitle(L"Sales");
    dialog.SetCaption(GetLocalizedMessage(msg::kConfigProgress));
    dialog.SetLogHidden(0);
    DialogThread shown(dialog);
    HWND window = shown.Window();
    shown.WaitTaken(1);
    shown.Sync();
    EXPECT_EQ(shown.ItemText(IDC_UPDATE_CAPTION), L"Config progress");
    HWND pane = engine_test::LogPane(window);
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(IsWindowVisible(pane));
    EXPECT_NE(engine_test::WindowText(pane).find(L"Failed to download the config file"), std::wstring::npos);
    EXPECT_EQ(dialog.LogHidden(), 1);
    nimbo_test::TakeScreenshot(L"update_window_config_failure");
}

TEST_F(Window, ProgressScreenshot) {
    dialog.SetTitle(L"NimboSample");
    DialogThread shown(dialog);
    delegate->OnStageBegin(4, 4, L"Updating the app...", GetLocalizedMessage(msg::kApplicationProgress));
    delegate->OnOverallProgress(45, 2048, 4, 12, 5);
    shown.Sync();
    EXPECT_EQ(shown.ItemText(IDC_UPDATE_COUNT), L"(5/12)");
    EXPECT_EQ(shown.BarPosition(), 41);
    nimbo_test::TakeScreenshot(L"update_window_progress");
}

}  // namespace

namespace {

TEST_F(Window, LibraryReportsBecomeLogLinesAtTheirSeverities) {
    const std::wstring longUrl = L"http://h/" + std::wstring(700, L'a');
    delegate->OnPutLog(0, L"http://h/a.dll.zip", 200, 5000);
    delegate->OnPutLog(1, L"http://h/b.dll.zip", 503, 0);
    delegate->OnError(L"http://h/c.dll.zip", 404, L"Not Found");
    delegate->OnError(longUrl.c_str(), 13003, nullptr);
    const std::string file = nimbo_test::ReadFileText(dialog.LogView().FilePath());
    auto lineWith = [&file](const std::string& text) {
        const size_t at = file.find(text);
        if (at == std::string::npos) return std::string();
        const size_t start = file.rfind('\n', at) == std::string::npos ? 0 : file.rfind('\n', at) + 1;
        return file.substr(start, file.find('\n', at) - start);
    };
    const std::string end =
        lineWith("End to download the file \"http://h/a.dll.zip\"; ResponseCode: 200; RealSize: 5000.");
    EXPECT_NE(end.find(" VERB  "), std::string::npos) << end;
    const std::string retry =
        lineWith("Retry to download the file \"http://h/b.dll.zip\"; ResponseCode: 503.");
    EXPECT_NE(retry.find(" VERB  "), std::string::npos) << retry;
    const std::string error =
        lineWith("Failed to download the file \"http://h/c.dll.zip\"; ErrorCode: 404; Error: Not Found.");
    EXPECT_NE(error.find(" ERROR "), std::string::npos) << error;
    // A line holds at most 519 characters of text.
    const std::string cut = lineWith("Failed to download the file \"http://h/aaaa");
    ASSERT_FALSE(cut.empty());
    EXPECT_EQ(Utf8ToWide(cut.substr(cut.find("Failed"))).size(), 519u);
    // The pane keeps the error lines only.
    EXPECT_EQ(dialog.LogView().EntryCount(), 2u);
}

}  // namespace
