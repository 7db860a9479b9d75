#include <gtest/gtest.h>

#include "harness.h"
#include "settings.h"

namespace {

using namespace NimboNS;

TEST(LauncherSettings, PortDefaultsTo26571AlsoForAStoredZero) {
    struct Case {
        const char* content;  // null: no file
        int port;
        bool noSocket;
    } cases[] = {
        {nullptr, 26571, false},
        {"[Server]\r\nNimboLauncher_Port=0\r\n", 26571, false},
        {"[Server]\r\nNimboLauncher_Port=31234\r\nNimboLauncher_NoSocket=1\r\n", 31234, true},
        {"[Server]\r\nNimboLauncher_NoSocket=2\r\n", 26571, false},
        {"[Other]\r\nNimboLauncher_Port=5\r\nNimboLauncher_NoSocket=1\r\n", 26571, false},
    };
    for (const auto& c : cases) {
        nimbo_test::TempFolder folder;
        const std::wstring ini = folder / L"Config.ini";
        if (c.content != nullptr) nimbo_test::WriteFileText(ini, c.content);
        EXPECT_EQ(ReadLauncherPort(ini), c.port) << (c.content ? c.content : "(no file)");
        EXPECT_EQ(ReadNoSocket(ini), c.noSocket) << (c.content ? c.content : "(no file)");
    }
}

TEST(LauncherSettings, ConfigLivesBesideTheProgram) {
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring expected = program;
    expected = expected.substr(0, expected.rfind(L'\\') + 1) + L"Config.ini";
    EXPECT_EQ(LauncherConfigPath(), expected);
}

}  // namespace
