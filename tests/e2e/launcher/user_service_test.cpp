#include <gtest/gtest.h>

#include "launcher_process.h"

// Service control and the machine-wide installation key seen by an ordinary user.
namespace {

using namespace launcher_e2e;
using Lines = std::vector<std::string>;

bool ServiceExists() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) return false;
    SC_HANDLE service = OpenServiceW(manager, L"NimboLauncher_V2", SERVICE_QUERY_CONFIG);
    if (service != nullptr) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return service != nullptr;
}

TEST(UserServiceControl, UsersCannotCreateTheEntry) {
    LauncherFolder folder(Ravelin::Recording);
    if (MachineWideKeyExists()) GTEST_SKIP() << "a machine-wide installation key is present";
    Result result = RunLauncher(folder, L"-create");
    EXPECT_EQ(result.exitCode, kFailed);
    EXPECT_EQ(result.output, "parameter error.");
    EXPECT_FALSE(ServiceExists());
}

// With the machine-wide key a user's "-u" request is a direct run (adminInstalled 1).
TEST(MachineWide, UserRequestsRunDirectly) {
    if (MachineWideKeyExists()) GTEST_SKIP() << "a machine-wide installation key is present already";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Quillmark\\NimboLauncher\\22.0", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              static_cast<LONG>(ERROR_SUCCESS));
    RegCloseKey(key);
    {
        LauncherFolder folder(Ravelin::Recording);
        Result run = RunLauncher(folder, L"-u x y");
        EXPECT_EQ(run.exitCode, 0u);
        Result lone = RunLauncher(folder, L"-u");
        EXPECT_EQ(lone.exitCode, kFailed);
        EXPECT_EQ(lone.output, "");  // no "Run userapp error." on a direct run
        Result other = RunLauncher(folder, L"-start");
        EXPECT_EQ(other.exitCode, kFailed);
        EXPECT_EQ(other.output, "parameter error.");
        EXPECT_EQ(folder.Calls(),
                  (Lines{"Create", "RunApp|x y|1", "Release", "Create", "Release", "Create", "Release"}));
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Quillmark\\NimboLauncher\\22.0");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Quillmark\\NimboLauncher");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Quillmark");
}

}  // namespace
