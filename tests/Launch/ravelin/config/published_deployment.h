#pragma once
// Deployments written by nimbo-publish into a temporary folder, and a private home folder for
// the update configuration, for tests that run against a real web server.
#include <winsock2.h>

#include <string>

#include "config_fixture.h"
#include "harness.h"
#include "registry_scope.h"

namespace config_test {

// Runs nimbo-publish with `arguments`; its output goes into the failure message.
inline ::testing::AssertionResult Publish(const std::wstring& arguments) {
    if (!nimbo_test::FileExists(nimbo_test::BinFolder() + L"\\nimbo-publish.exe"))
        return ::testing::AssertionFailure() << "nimbo-publish.exe is missing: build Tools/publisher too";
    auto run = nimbo_test::RunProgram(
        nimbo_test::Quote(nimbo_test::BinFolder() + L"\\nimbo-publish.exe") + L" " + arguments, 60000);
    if (run.finished && run.exitCode == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "nimbo-publish " << NimboNS::WideToUtf8(arguments) << "\n"
                                         << run.output;
}

// Publishes version `version` of app `name` with a few files; `extra` adds members to the
// description (a JSON text starting with ",").
inline ::testing::AssertionResult PublishApp(const std::wstring& deployment, const std::string& name,
                                             const std::string& version, const std::string& extra = "") {
    nimbo_test::TempFolder source;
    CreateDirectoryW((source / L"bin").c_str(), nullptr);
    nimbo_test::WriteFileText(source / L"app.exe", "program " + version);
    nimbo_test::WriteFileText(source / L"bin\\a.dll", "library");
    nimbo_test::WriteFileText(source / L"settings.ini", "[s]\r\nk=v\r\n");
    nimbo_test::TempFolder descriptionFolder;  // outside the source, which is published whole
    const std::wstring description = descriptionFolder / L"description.json";
    nimbo_test::WriteFileText(description, R"({"AppName": ")" + name + R"(", "Version": ")" + version +
                                               R"(", "StartupFile": "app.exe", "RuntimeVersion": "22.3.0.1",
        "RuntimeModules": ["Core"], "IniConfigFiles": [{"FileName": "settings.ini", "UpdateType": 3}])" +
                                               extra + "}");
    return Publish(L"app --description " + nimbo_test::Quote(description) + L" --source " +
                   nimbo_test::Quote(source.path()) + L" --deployment " + nimbo_test::Quote(deployment));
}

// A port of 127.0.0.1 on which nothing listens.
inline int RefusingPort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(s);
    return ntohs(address.sin_port);
}

// One update configuration taken through the first steps of a run. The home folder comes from the
// registry the test has set up.
struct ConfiguredRun : ConfigUnderTest {
    explicit ConfiguredRun(const std::wstring& appUrl) {
        config.url = appUrl;
        if (config.syncDownloader != nullptr) config.syncDownloader->SetTimeouts(2000, 2000);
        EXPECT_EQ(config.ParseUrl(), 0);
        EXPECT_EQ(config.PrepareFolders(), 0);
    }
    // Saves the server's document as the installed copy, as the app updater does.
    bool Install() {
        CreateDirectoryW(config.GetAppPath().c_str(), nullptr);
        return config.SaveServerConfig(config.GetLocalConfigPath()) == 1;
    }
};

// The private registry and home folder of one test.
struct PrivateHome {
    RegistryScope registry;
    nimbo_test::TempFolder home;
    PrivateHome() { RegistryScope::SetHome(HKEY_CURRENT_USER, home.path()); }
};

}  // namespace config_test
