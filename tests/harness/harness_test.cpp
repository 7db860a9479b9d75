#include <gtest/gtest.h>

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

class MessageBoxAnswer : public testing::TestWithParam<BoxCase> {};

// A box shown by another thread is found by its caption and answered like a person would.
TEST_P(MessageBoxAnswer, PressesTheNamedButton) {
    const BoxCase& c = GetParam();
    const std::wstring caption = L"Harness box " + std::to_wstring(GetCurrentProcessId());
    int answer = 0;
    std::thread shower(
        [&] { answer = MessageBoxW(nullptr, L"Proceed with the test?", caption.c_str(), c.flags); });
    HWND box = nimbo_test::WaitForWindow(L"#32770", caption);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(nimbo_test::DialogText(box).find(L"Proceed with the test?"), std::wstring::npos);
    EXPECT_TRUE(nimbo_test::PressButton(box, c.press));
    shower.join();
    EXPECT_EQ(answer, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Buttons, MessageBoxAnswer,
                         testing::Values(BoxCase{"ok", MB_OKCANCEL, IDOK, IDOK},
                                         BoxCase{"cancel", MB_OKCANCEL, IDCANCEL, IDCANCEL},
                                         BoxCase{"yes", MB_YESNO | MB_ICONQUESTION, IDYES, IDYES},
                                         BoxCase{"no", MB_YESNO | MB_ICONQUESTION, IDNO, IDNO}),
                         [](const testing::TestParamInfo<BoxCase>& info) { return info.param.name; });

TEST(Harness, PressesAButtonFoundByItsCaption) {
    const std::wstring caption = L"Harness caption box";
    int answer = 0;
    std::thread shower([&] { answer = MessageBoxW(nullptr, L"Text", caption.c_str(), MB_YESNOCANCEL); });
    HWND box = nimbo_test::WaitForWindow(L"", caption);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(nimbo_test::PressButtonByText(box, L"No"));
    shower.join();
    EXPECT_EQ(answer, IDNO);
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
