#include <gtest/gtest.h>

#include "start/commandline.h"

namespace {

using namespace NimboNS;

std::wstring Line(const std::vector<wchar_t>& buffer) {
    return buffer.data();
}

TEST(AppCommandLine, NameArgumentsAndCookieFileInThisOrder) {
    const struct {
        const wchar_t* arguments;
        const wchar_t* cookies;
        const wchar_t* line;
    } cases[] = {
        {L"", L"", L"App.exe"},
        {L"-demo p=1", L"", L"App.exe -demo p=1"},
        {L"", L"123456", L"App.exe -cookies 123456"},
        {L"-demo", L"123456", L"App.exe -demo -cookies 123456"},
    };
    for (const auto& c : cases) {
        std::vector<wchar_t> buffer;
        ASSERT_TRUE(BuildAppCommandLine(L"App.exe", c.arguments, c.cookies, buffer));
        EXPECT_EQ(Line(buffer), c.line);
        EXPECT_EQ(buffer.size(), wcslen(c.arguments) + kCommandLineReserve);
    }
}

TEST(AppCommandLine, ALineThatWouldNotFitIsRefusedNotCut) {
    std::vector<wchar_t> buffer;
    // Name, space, arguments and cookie option fill the buffer but for its terminator.
    const std::wstring arguments(5000, L'a');
    const std::wstring cookies = L"42";
    const std::wstring fits(kCommandLineReserve - 1 - 1 - 10 - cookies.size(), L'n');
    ASSERT_TRUE(BuildAppCommandLine(fits, arguments, cookies, buffer));
    EXPECT_EQ(Line(buffer).size(), buffer.size() - 1);
    EXPECT_EQ(Line(buffer).substr(Line(buffer).size() - 12), L" -cookies 42");
    EXPECT_FALSE(BuildAppCommandLine(fits + L"n", arguments, cookies, buffer));
    EXPECT_TRUE(buffer.empty());
    EXPECT_FALSE(BuildAppCommandLine(std::wstring(kCommandLineReserve, L'n'), L"", L"", buffer));
}

}  // namespace
