#include <gtest/gtest.h>

#include "prepare/launchtext.h"

namespace {

using namespace NimboNS;

TEST(LaunchText, AppNameIsTheStartFileWithoutItsLastExtension) {
    const struct {
        const wchar_t* startFile;
        const wchar_t* appName;
    } cases[] = {
        {L"MyApp.exe", L"MyApp"},         {L"MyApp", L"MyApp"},
        {L"my.app.exe", L"my.app"},       {L"bin\\App.exe", L"bin\\App"},
        {L"bin.v2\\App", L"bin.v2\\App"}, {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(AppNameOf(c.startFile), c.appName) << c.startFile;
}

TEST(LaunchText, TheUrlsOptionLeavesWithItsValueAndTheSpaceInFront) {
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"http://h:80/app -urls x y", L"http://h:80/app y"},
        {L"http://h:80/app -urls x", L"http://h:80/app"},
        {L"http://h:80/app -urls", L"http://h:80/app"},
        {L"http://h:80/app a -urls x b c", L"http://h:80/app a b c"},
        {L"http://h:80/app", L"http://h:80/app"},
        {L"-urls x y", L"-urls x y"},  // at the very start it stays
    };
    for (const auto& c : cases) EXPECT_EQ(RemoveUrlsOption(c.in), c.out) << c.in;
}

TEST(LaunchText, DocumentArgumentsComeBeforeTheUrlParameter) {
    EXPECT_EQ(CombineArguments(L"a b", L"p=1"), L"a b p=1");
    EXPECT_EQ(CombineArguments(L"", L"p=1"), L"p=1");
    EXPECT_EQ(CombineArguments(L"a b", L""), L"a b");
    EXPECT_EQ(CombineArguments(L"", L""), L"");
}

TEST(LaunchText, PreloadCommandsAreTheNonEmptyLines) {
    EXPECT_EQ(SplitCommandLines(L"one\r\ntwo"), (std::vector<std::wstring>{L"one", L"two"}));
    EXPECT_EQ(SplitCommandLines(L"\r\none\r\n\r\ntwo\r\n"), (std::vector<std::wstring>{L"one", L"two"}));
    // A lone line feed does not end a line.
    EXPECT_EQ(SplitCommandLines(L"one\ntwo"), (std::vector<std::wstring>{L"one\ntwo"}));
    EXPECT_TRUE(SplitCommandLines(L"").empty());
    EXPECT_EQ(PreloadCommand(L"C:\\Apps\\h_a", L"echo x"), L"cd /d \"C:\\Apps\\h_a\"&&echo x");
}

TEST(LaunchText, TheRuntimePathDocumentNamesTheRuntimeFolder) {
    EXPECT_EQ(RuntimePathDocument(L"C:\\R\\1.0"),
              L"<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n<Application>\r\n\t<RuntimePath>C:\\R\\1.0"
              L"</RuntimePath>\r\n</Application>");
}

}  // namespace
