#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "harness.h"

namespace {

struct BoxCase {
    const char* name;
    UINT flags;
    int press;
    int expected;
};

void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << c.name;
}

// A message box shown by a thread of its own, as a program under test would show it.
class BoxOnAnotherThread {
public:
    BoxOnAnotherThread(const std::wstring& text, const std::wstring& caption, UINT flags)
        : shower_([this, text, caption, flags] {
              answer_ = MessageBoxW(nullptr, text.c_str(), caption.c_str(), flags);
          }) {}
    ~BoxOnAnotherThread() {
        // A box that never came cannot be answered: its thread is left behind rather than
        // ending the whole run.
        if (shower_.joinable()) shower_.detach();
    }
    int Answer() {
        shower_.join();
        return answer_;
    }

private:
    std::atomic<int> answer_{0};
    std::thread shower_;
};

// The first window of a run can take long while Wine sets up the desktop.
constexpr DWORD kFirstWindowWait = 60000;

class MessageBoxAnswer : public testing::TestWithParam<BoxCase> {};

// A box shown by another thread is found by its caption and answered like a person would.
TEST_P(MessageBoxAnswer, PressesTheNamedButton) {
    const BoxCase& c = GetParam();
    const std::wstring caption = L"Harness box " + std::to_wstring(GetCurrentProcessId());
    BoxOnAnotherThread shown(L"Proceed with the test?", caption, c.flags);
    HWND box = nimbo_test::WaitForWindow(L"#32770", caption, kFirstWindowWait);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(nimbo_test::DialogText(box).find(L"Proceed with the test?"), std::wstring::npos);
    EXPECT_TRUE(nimbo_test::PressButton(box, c.press));
    EXPECT_EQ(shown.Answer(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Buttons, MessageBoxAnswer,
                         testing::Values(BoxCase{"ok", MB_OKCANCEL, IDOK, IDOK},
                                         BoxCase{"cancel", MB_OKCANCEL, IDCANCEL, IDCANCEL},
                                         BoxCase{"yes", MB_YESNO | MB_ICONQUESTION, IDYES, IDYES},
                                         BoxCase{"no", MB_YESNO | MB_ICONQUESTION, IDNO, IDNO}),
                         [](const testing::TestParamInfo<BoxCase>& info) { return info.param.name; });

TEST(Harness, PressesAButtonFoundByItsCaption) {
    const std::wstring caption = L"Harness caption box";
    BoxOnAnotherThread shown(L"Text", caption, MB_YESNOCANCEL);
    HWND box = nimbo_test::WaitForWindow(L"", caption, kFirstWindowWait);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(nimbo_test::PressButtonByText(box, L"No"));
    EXPECT_EQ(shown.Answer(), IDNO);
}

TEST(Harness, RunProgramReportsExitCodeAndOutput) {
    auto result = nimbo_test::RunProgram(L"cmd.exe /c echo hello from cmd& exit 7");
    ASSERT_TRUE(result.started);
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 7u);
    EXPECT_NE(result.output.find("hello from cmd"), std::string::npos);
}

TEST(Harness, RunProgramEndsAProgramThatOutlivesItsTimeOut) {
    nimbo_test::TempFolder folder;
    auto result =
        nimbo_test::RunProgram(nimbo_test::Quote(nimbo_test::TestsFolder() + L"\\nimbo_holdfile.exe") + L" " +
                                   nimbo_test::Quote(folder / L"held.txt") + L" --sleep",
                               500);
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.finished);
}

TEST(Harness, ScreenshotIsAPngFile) {
    std::wstring path = nimbo_test::TakeScreenshot(L"harness_self_test");
    ASSERT_FALSE(path.empty());
    std::string bytes = nimbo_test::ReadFileText(path);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
}

}  // namespace
