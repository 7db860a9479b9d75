#include <gtest/gtest.h>

#include "launcher_process.h"

// The launcher run as SYSTEM: service control and direct runs. This program is started with
// USER=SYSTEM, which under Wine is the user name it and its launchers see.
namespace {

using namespace launcher_e2e;
using Lines = std::vector<std::string>;

constexpr wchar_t kService[] = L"NimboLauncher_V2";

TEST(SystemModes, RunsAsSystem) {
    wchar_t name[260] = {};
    DWORD size = 260;
    ASSERT_TRUE(GetUserNameW(name, &size));
    ASSERT_STREQ(name, L"SYSTEM") << "start this program with USER=SYSTEM";
}

struct SystemCase {
    const char* name;
    const wchar_t* arguments;
    const char* fakeSettings;
    bool exitIsLastError;  // service dispatch ends with whatever the last error was
    DWORD exitCode;
    Lines calls;
};

TEST(SystemModes, OnlyServiceCommandsAndDirectRunsDoAnything) {
    const SystemCase cases[] = {
        {"no argument", L"", "", true, 0, {}},
        {"not an option", L"foo", "", true, 0, {}},
        {"an unknown option", L"-x", "", true, 0, {}},
        {"direct run",
         L"-u http://h/apps/x",
         "",
         false,
         0,
         {"Create", "RunApp|http://h/apps/x|1", "Release"}},
        {"direct run result",
         L"-u x",
         "RunAppResult=-1\r\n",
         false,
         kFailed,
         {"Create", "RunApp|x|1", "Release"}},
        {"a lone -u", L"-u", "", false, kFailed, {"Create", "Release"}},
    };
    for (const auto& c : cases) {
        LauncherFolder folder(Ravelin::Recording);
        folder.WriteFakeSettings(c.fakeSettings);
        Result result = RunLauncher(folder, c.arguments);
        ASSERT_TRUE(result.finished) << c.name;
        if (!c.exitIsLastError) {
            EXPECT_EQ(result.exitCode, c.exitCode) << c.name;
        }
        EXPECT_EQ(result.output, "") << c.name;  // direct runs print nothing, failed or not
        EXPECT_EQ(folder.Calls(), c.calls) << c.name;
    }
}

struct ServiceEntry {
    bool exists = false;
    DWORD type = 0, start = 0, errorControl = 0, state = 0;
    std::wstring binary, account, displayName, description;
};

ServiceEntry ReadService() {
    ServiceEntry entry;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) return entry;
    SC_HANDLE service = OpenServiceW(manager, kService, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS);
    if (service != nullptr) {
        entry.exists = true;
        DWORD needed = 0;
        QueryServiceConfigW(service, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed);
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        if (QueryServiceConfigW(service, config, needed, &needed)) {
            entry.type = config->dwServiceType;
            entry.start = config->dwStartType;
            entry.errorControl = config->dwErrorControl;
            entry.binary = config->lpBinaryPathName ? config->lpBinaryPathName : L"";
            entry.account = config->lpServiceStartName ? config->lpServiceStartName : L"";
            entry.displayName = config->lpDisplayName ? config->lpDisplayName : L"";
        }
        QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
        std::vector<BYTE> more(needed > 0 ? needed : 1);
        if (QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, more.data(), needed, &needed)) {
            auto* description = reinterpret_cast<SERVICE_DESCRIPTIONW*>(more.data());
            entry.description = description->lpDescription ? description->lpDescription : L"";
        }
        SERVICE_STATUS status{};
        if (QueryServiceStatus(service, &status)) entry.state = status.dwCurrentState;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return entry;
}

// The service entry lives in the machine's service manager: the test removes it again.
class ServiceEntryTest : public testing::Test {
protected:
    void SetUp() override { RunLauncher(folder_, L"-delete"); }
    void TearDown() override {
        RunLauncher(folder_, L"-delete");
        Sleep(500);  // a start attempt may still hold the program
    }
    LauncherFolder folder_{Ravelin::Recording};
};

TEST_F(ServiceEntryTest, CreateWritesTheEntryAndDeleteRemovesIt) {
    ASSERT_FALSE(ReadService().exists);
    Result created = RunLauncher(folder_, L"-create");
    EXPECT_TRUE(created.finished);
    EXPECT_EQ(created.output, "");
    ServiceEntry entry = ReadService();
    ASSERT_TRUE(entry.exists);
    EXPECT_EQ(entry.type, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS));
    EXPECT_EQ(entry.start, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(entry.errorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    EXPECT_EQ(_wcsicmp(entry.binary.c_str(), folder_.launcher().c_str()), 0)
        << testing::PrintToString(entry.binary);
    EXPECT_EQ(entry.account, L"LocalSystem");
    EXPECT_EQ(entry.displayName, kService);
    EXPECT_EQ(entry.description, L"Nimbo Launcher Description.");

    // A second -create leaves the entry alone; -CREATE in capitals is the same command.
    LauncherFolder other(Ravelin::Recording);
    RunLauncher(other, L"-CREATE");
    EXPECT_EQ(_wcsicmp(ReadService().binary.c_str(), folder_.launcher().c_str()), 0);

    // The program has no service dispatcher: a start ends with the service stopped again.
    EXPECT_TRUE(RunLauncher(folder_, L"-start", {}, 120000).finished);
    EXPECT_TRUE(RunLauncher(folder_, L"-stop", {}, 120000).finished);
    EXPECT_EQ(ReadService().state, static_cast<DWORD>(SERVICE_STOPPED));

    Result deleted = RunLauncher(folder_, L"-delete");
    EXPECT_TRUE(deleted.finished);
    EXPECT_FALSE(ReadService().exists);
    EXPECT_TRUE(folder_.Calls().empty());  // service control never loads ravelin
}

}  // namespace
