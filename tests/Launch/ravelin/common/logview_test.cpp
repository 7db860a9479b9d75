#include <gtest/gtest.h>

#include <richedit.h>

#include <ctime>
#include <regex>
#include <thread>

#include "fs/fsutil.h"
#include "harness.h"
#include "log/logview.h"
#include "scwconv.h"

using namespace NimboNS;

namespace {

void Log(CLogView& view, plog::Severity severity, const std::wstring& text) {
    plog::Record record(severity, "LogViewTest", __LINE__);
    record << text.c_str();
    view.write(record);
}

std::string ReadLog(const CLogView& view) { return nimbo_test::ReadFileText(view.FilePath()); }

TEST(LogFile, IsNamedByTheConstructionTimeInTheLogFolderBesideTheProgram) {
    CLogView view;
    const std::wstring folder = GetModuleFolder() + L"\\log\\";
    ASSERT_EQ(view.FilePath().rfind(folder, 0), 0u) << WideToUtf8(view.FilePath());
    std::wstring name = view.FilePath().substr(folder.size());
    EXPECT_TRUE(std::regex_match(name, std::wregex(L"\\d{17}\\.log"))) << WideToUtf8(name);
    EXPECT_TRUE(nimbo_test::FileExists(view.FilePath()));
}

TEST(LogFile, LineFormatMatchesByteForByte) {
    CLogView view;
    plog::Record record(plog::info, "NimboNS::CUpdateConfig::OutputLog", 42);
    record << L"Application name: caf\u00e9.";
    view.write(record);

    std::tm t{};
    time_t seconds = static_cast<time_t>(record.getTime().time);
    localtime_s(&t, &seconds);
    char expected[160];
    snprintf(expected, sizeof(expected), "%04d-%02d-%02d %02d:%02d:%02d.%03d INFO  [%u] Application name: caf\xC3\xA9.\n",
             t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
             static_cast<int>(record.getTime().millitm), static_cast<unsigned>(GetCurrentThreadId()));
    EXPECT_EQ(ReadLog(view), expected);
}

TEST(LogFile, SeverityNamesArePaddedToFiveCharacters) {
    CLogView view;
    const std::pair<plog::Severity, const char*> cases[] = {
        {plog::fatal, " FATAL ["}, {plog::error, " ERROR ["}, {plog::warning, " WARN  ["}, {plog::info, " INFO  ["},
        {plog::debug, " DEBUG ["}, {plog::verbose, " VERB  ["}, {plog::none, " NONE  ["},
        {static_cast<plog::Severity>(9), " NONE  ["}};
    for (const auto& [severity, marker] : cases) {
        plog::Record record(severity, "f", 1);
        record << L"x";
        std::string line = WideToUtf8(CLogView::FormatRecord(record));
        EXPECT_NE(line.find(marker), std::string::npos) << line;
        EXPECT_EQ(line.find(marker), 23u) << line;
    }
}

TEST(LogFile, MissingTextIsWrittenAsNull) {
    CLogView view;
    plog::Record record(plog::error, "f", 1);
    record << static_cast<const wchar_t*>(nullptr);
    view.write(record);
    std::string text = ReadLog(view);
    EXPECT_EQ(text.substr(text.size() - 9), "] (null)\n");
}

TEST(LogFile, WriteToFileSkipsThePaneListAndReportsAClosedFile) {
    CLogView view;
    plog::Record record(plog::info, "f", 1);
    record << L"to the file only";
    EXPECT_TRUE(view.WriteToFile(record));
    EXPECT_EQ(view.EntryCount(), 0u);
    view.CloseLogFile();
    EXPECT_FALSE(view.WriteToFile(record));
    Log(view, plog::info, L"after close");
    EXPECT_EQ(view.EntryCount(), 1u);
    EXPECT_EQ(ReadLog(view).find("after close"), std::string::npos);
}

TEST(LogList, KeepsThreeHundredNewestAndVerboseOnlyPushesOut) {
    CLogView view;
    for (int i = 0; i < 301; ++i) Log(view, plog::info, L"entry " + std::to_wstring(i));
    EXPECT_EQ(view.EntryCount(), 300u);
    Log(view, plog::verbose, L"verbose");
    EXPECT_EQ(view.EntryCount(), 299u);
    std::string file = ReadLog(view);
    EXPECT_NE(file.find("] entry 0\n"), std::string::npos);
    EXPECT_NE(file.find("VERB  ["), std::string::npos);
}

TEST(LogFile, RecordsFromSeveralThreadsNeverInterleave) {
    CLogView view;
    const std::wstring payload(300, L'z');
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 150; ++i) Log(view, plog::debug, L"T" + std::to_wstring(t) + L" " + payload);
        });
    for (auto& th : threads) th.join();
    std::string file = ReadLog(view);
    const std::regex line("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} DEBUG \\[\\d+\\] T\\d z{300}");
    size_t count = 0, start = 0;
    while (start < file.size()) {
        size_t end = file.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        ASSERT_TRUE(std::regex_match(file.substr(start, end - start), line)) << file.substr(start, end - start);
        ++count;
        start = end + 1;
    }
    EXPECT_EQ(count, 600u);
}

// The pane on a real window: newest first, errors red, at most 301 lines of text.
class LogPane : public testing::Test {
protected:
    void SetUp() override {
        parent_ = CreateWindowExW(0, L"STATIC", L"Log pane test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 700, 400,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override { DestroyWindow(parent_); }

    std::wstring LineText(HWND pane, int line) {
        wchar_t buffer[1024] = {};
        *reinterpret_cast<WORD*>(buffer) = 1023;
        LRESULT n = SendMessageW(pane, EM_GETLINE, line, reinterpret_cast<LPARAM>(buffer));
        std::wstring text(buffer, static_cast<size_t>(n));
        while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
        return text;
    }
    COLORREF LineColour(HWND pane, int line) {
        LONG start = static_cast<LONG>(SendMessageW(pane, EM_LINEINDEX, line, 0));
        CHARRANGE range{start, start + 1};
        SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        SendMessageW(pane, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format.crTextColor;
    }
    void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    HWND parent_ = nullptr;
};

TEST_F(LogPane, ShowsNewestFirstWithErrorsInRed) {
    CLogView view;
    EXPECT_EQ(view.ShowView(SW_SHOW), 0);  // no pane yet
    ASSERT_TRUE(view.CreateView(GetModuleHandleW(nullptr), parent_));
    HWND pane = view.ViewWindow();
    ASSERT_TRUE(view.CreateView(GetModuleHandleW(nullptr), parent_));
    EXPECT_EQ(view.ViewWindow(), pane);
    view.MoveView(RECT{5, 5, 680, 350});
    view.ShowView(SW_SHOW);
    Log(view, plog::info, L"first info");
    Log(view, plog::error, L"an error");
    Log(view, plog::warning, L"last warning");
    view.RefreshView();
    Pump();
    EXPECT_NE(LineText(pane, 0).find(L"last warning"), std::wstring::npos);
    EXPECT_NE(LineText(pane, 1).find(L"an error"), std::wstring::npos);
    EXPECT_NE(LineText(pane, 2).find(L"first info"), std::wstring::npos);
    EXPECT_EQ(LineColour(pane, 0), RGB(0, 0, 0));
    EXPECT_EQ(LineColour(pane, 1), RGB(255, 0, 0));
    EXPECT_EQ(LineColour(pane, 2), RGB(0, 0, 0));
    RECT r;
    GetWindowRect(pane, &r);
    EXPECT_EQ(r.right - r.left, 680);
    EXPECT_FALSE(nimbo_test::TakeScreenshot(L"log_pane").empty());
}

TEST_F(LogPane, MultiLineRecordsStillLeaveAtMostThreeHundredAndOneLinesOfText) {
    CLogView view;
    ASSERT_TRUE(view.CreateView(GetModuleHandleW(nullptr), parent_));
    for (int i = 0; i < 300; ++i) Log(view, plog::fatal, L"record " + std::to_wstring(i) + L"\nsecond line");
    view.RefreshView();
    HWND pane = view.ViewWindow();
    EXPECT_NE(LineText(pane, 0).find(L"record 299"), std::wstring::npos);
    const int lines = static_cast<int>(SendMessageW(pane, EM_GETLINECOUNT, 0, 0));
    for (int line = 301; line < lines; ++line) EXPECT_EQ(LineText(pane, line), L"") << line;
    EXPECT_EQ(LineColour(pane, 0), RGB(255, 0, 0));
}

}  // namespace
