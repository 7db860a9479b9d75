#include <gtest/gtest.h>

#include "cleanup.h"
#include "scwconv.h"
#include "sweeper_app.h"

namespace {

using NimboNS::AppFolderArgument;
using NimboNS::CleanupCommandLine;
using NimboNS::CleanupInterpreter;

// The script runs with the app folder as current folder, under the system's interpreter named
// by its full path; a 32-bit sweeper on 64-bit Windows must reach the 64-bit interpreter,
// which only "SysNative" names.
TEST(CleanupCommand, NamesTheInterpreterOfTheMachine) {
    struct Case {
        bool wow64;
        const wchar_t* windows;
        const wchar_t* expected;
    } cases[] = {
        {false, L"C:\\Windows",
         L"C:\\Windows\\System32\\cmd.exe /c cd /d \"C:\\Apps\\My App\"&&\"C:\\Apps\\My "
         L"App\\ManualUninstall.cmd\""},
        {false, L"", L"cmd /c cd /d \"C:\\Apps\\My App\"&&\"C:\\Apps\\My App\\ManualUninstall.cmd\""},
        {true, L"C:\\Windows",
         L"C:\\Windows\\SysNative\\cmd.exe /c cd /d \"C:\\Apps\\My App\"&&\"C:\\Apps\\My "
         L"App\\ManualUninstall.cmd\""},
        {true, L"D:\\WINNT\\",
         L"D:\\WINNT\\SysNative\\cmd.exe /c cd /d \"C:\\Apps\\My App\"&&\"C:\\Apps\\My "
         L"App\\ManualUninstall.cmd\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.wow64 << " " << c.windows);
        EXPECT_EQ(CleanupCommandLine(CleanupInterpreter(c.wow64, c.windows), L"C:\\Apps\\My App",
                                     L"C:\\Apps\\My App\\ManualUninstall.cmd"),
                  c.expected);
    }
}

TEST(AppFolderArgument, TakesTheFirstArgumentAsAFullFolderPath) {
    struct Case {
        const wchar_t* arguments;
        const wchar_t* expected;
    } cases[] = {
        {L"\"C:\\Apps\\My App\"", L"C:\\Apps\\My App"},
        {L"C:\\Apps\\Demo", L"C:\\Apps\\Demo"},
        {L"C:\\Apps\\Demo\\", L"C:\\Apps\\Demo"},
        {L"\"C:\\Apps\\My App\\\\\"", L"C:\\Apps\\My App"},
        {L"\"C:\\Apps\\My App\" extra", L"C:\\Apps\\My App"},
        {L"C:\\", L"C:\\"},
        {L"", L""},
        {L"   ", L""},
        {L"\"\"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "[" << NimboNS::WideToUtf8(c.arguments) << "]");
        EXPECT_EQ(AppFolderArgument(c.arguments), c.expected);
    }
}

}  // namespace
