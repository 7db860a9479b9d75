// CLauncherUpdater on its own, against nginx: which launcher counts as outdated, where the
// installer comes from and goes to, and the documents and files that make it fail.
#include <winsock2.h>  // before windows.h

#include <gtest/gtest.h>

#include "published_deployment.h"

#include <thread>

#include "catalog.h"
#include "config_fixture.h"
#include "harness.h"
#include "launcher/launcherupdater.h"
#include "nimbo/names.h"
#include "registry_scope.h"
#include "scwconv.h"
#include "testserver.h"

namespace {

using namespace NimboNS;
using nimbo_test::WriteFileText;

bool SetVersion(HKEY root, const std::wstring& version) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, names::kRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LSTATUS status = RegSetValueExW(key, names::kRegistryVersionValue, 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(version.c_str()),
                                          static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// The message box of this process (other programs may show boxes of that caption meanwhile).
struct BoxSearch {
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t text[128] = {}, cls[64] = {};
    GetWindowTextW(window, text, 128);
    GetClassNameW(window, cls, 64);
    if (owner == GetCurrentProcessId() && IsWindowVisible(window) && wcscmp(cls, L"#32770") == 0 &&
        wcscmp(text, search->caption) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForOwnBox(const wchar_t* caption) {
    BoxSearch search{caption, nullptr};
    for (int i = 0; i < 400 && search.found == nullptr; ++i) {
        EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) Sleep(50);
    }
    return search.found;
}

// A served deployment folder with hand-written launcher documents.
struct Launcher : ::testing::Test, config_test::ConfigUnderTest {
    config_test::PrivateHome home;
    nimbo_test::TempFolder deployment;
    std::unique_ptr<nimbo_test::TestServer> server;
    CLauncherUpdater* updater = nullptr;

    void SetUp() override {
        CreateDirectoryW((deployment / L"NimboPublisher").c_str(), nullptr);
        CreateDirectoryW(LauncherFolder().c_str(), nullptr);
        CreateDirectoryW((deployment / L"Sales").c_str(), nullptr);
        server = std::make_unique<nimbo_test::TestServer>("nginxserve.py", deployment.path());
        ASSERT_TRUE(server->Ready());
        config.url = server->Url(L"/Sales");
        if (config.syncDownloader != nullptr) config.syncDownloader->SetTimeouts(2000, 2000);
        ASSERT_EQ(config.ParseUrl(), 0);
        ASSERT_EQ(config.PrepareFolders(), 0);
        updater = new CLauncherUpdater(&config);
    }
    void TearDown() override {
        if (updater != nullptr) updater->Release();
    }
    std::wstring LauncherFolder() const { return deployment / L"NimboPublisher\\NimboInstall 22.0"; }
    void Offer(const std::string& version, const std::string& minimum,
               const std::string& package = "NimboLauncher_Installer.exe") {
        WriteFileText(LauncherFolder() + L"\\LauncherSetup.json",
                      R"({"package": ")" + package + R"(", "nimboshell": {"version": ")" + version +
                          R"(", "minver": ")" + minimum + R"("}})");
    }
    std::wstring Installer() const { return home.home.path() + L"\\Download\\NimboLauncher_Installer.exe"; }
};

TEST_F(Launcher, OutdatedWhenTheOfferOrItsMinimumIsNewerOverCommonParts) {
    struct Case {
        const wchar_t* local;  // null: no registry value
        const char* version;
        const char* minimum;
        int startMode;
        int reachable;
        int need;
    };
    const Case cases[] = {
        {L"22.0.1", "22.0.2", "22.0", Always, 1, 1},
        {L"22.0.1", "22.0.1.5", "22.0", Always, 1, 0},  // only the common parts count
        {L"22.1", "22.0.9", "22.0", Always, 1, 0},
        {L"22.0.2", "22.0.2", "22.0.3", Always, 1, 1},  // below the minimum
        {nullptr, "30.0", "30.0", Always, 1, 0},        // no installed version: nothing in common
        {L"22.0.1", "23.0", "22.0", Never, 1, 0},       // Never: not examined
        {L"22.0.1", "23.0", "22.0", Connect, 1, 1},
        {L"22.0.1", "23.0", "22.0", Connect, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version << " " << c.minimum << " mode " << c.startMode);
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, names::kRegistryKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, names::kRegistryVersionValue);
            RegCloseKey(key);
        }
        if (c.local != nullptr) ASSERT_TRUE(SetVersion(HKEY_CURRENT_USER, c.local));
        Offer(c.version, c.minimum);
        config.startMode = Always;
        config.serverReachable = 1;
        ASSERT_EQ(updater->LoadConfig(), 0) << Log();
        config.startMode = c.startMode;
        config.serverReachable = c.reachable;
        EXPECT_EQ(updater->LocalVersion(), c.local != nullptr ? c.local : L"");
        EXPECT_EQ(updater->NeedUpdate(), c.need);
    }
}

TEST_F(Launcher, SetupDocumentThatIsMissingOrUnreadable) {
    struct Case {
        const char* document;  // null: not published
        int startMode;
        int reachable;
        bool fails;
        std::wstring logged;
    };
    const std::wstring url = server->Url(L"/NimboPublisher/NimboInstall 22.0/LauncherSetup.json");
    const Case cases[] = {
        {nullptr, Always, 1, true, L"Failed to download the config file"},
        {nullptr, Never, 1, false, L""},
        {nullptr, Connect, 0, false, L""},
        // A 404 counts as an unreachable server, which Connect tolerates.
        {nullptr, Connect, 1, false, L""},
        {"{ not json", Always, 1, true,
         FormatWide(GetLocalizedMessage(msg::kParseConfigFailed), url.c_str())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document != nullptr ? c.document : "missing");
        DeleteFileW((LauncherFolder() + L"\\LauncherSetup.json").c_str());
        if (c.document != nullptr) WriteFileText(LauncherFolder() + L"\\LauncherSetup.json", c.document);
        config.startMode = c.startMode;
        config.serverReachable = c.reachable;
        const int result = updater->LoadConfig();
        EXPECT_EQ(result != 0, c.fails) << result;
        if (!c.logged.empty()) EXPECT_TRUE(Logged(c.logged)) << Log();
    }
}

TEST_F(Launcher, InstallerUrlFollowsTheLauncherFolderOfTheDeployment) {
    struct Case {
        std::wstring launcherUrl;
        std::wstring expected;
    };
    const std::wstring base = config.baseUrl;
    const Case cases[] = {
        {L"", base + L"/NimboPublisher/NimboInstall 22.0/NimboLauncher_Installer.exe"},
        {L"x", base + L"/NimboPublisher/NimboInstall 22.0/NimboLauncher_Installer.exe"},  // one character
        {L"http://h/launcher", L"http://h/launcher/NimboLauncher_Installer.exe"},
    };
    for (const Case& c : cases) {
        config.launcherUrl = c.launcherUrl;
        EXPECT_EQ(updater->InstallerUrl(), c.expected);
    }
    EXPECT_EQ(updater->DownloadFolder(), home.home.path() + L"\\Download");
}

TEST_F(Launcher, DownloadsTheInstallerWholeIntoTheDownloadFolder) {
    WriteFileText(LauncherFolder() + L"\\NimboLauncher_Installer.exe", "installer bytes");
    Offer("23.0", "22.0");
    ASSERT_EQ(updater->LoadConfig(), 0);
    // An interrupted earlier download is not continued.
    CreateDirectoryW(updater->DownloadFolder().c_str(), nullptr);
    WriteFileText(Installer() + L".cfg", "stale resume record");
    WriteFileText(Installer(), "old");
    EXPECT_EQ(updater->DoUpdate(), 0) << Log();
    EXPECT_EQ(nimbo_test::ReadFileText(Installer()), "installer bytes");
    EXPECT_EQ(config.GetLauncherPackagePath(), Installer());
    EXPECT_FALSE(nimbo_test::FileExists(Installer() + L".cfg"));
    EXPECT_EQ(server->Log().find("bytes="), std::string::npos) << server->Log();
}

TEST_F(Launcher, InstallerThatCannotBeReplacedOrNamedSafelyIsRefused) {
    WriteFileText(LauncherFolder() + L"\\NimboLauncher_Installer.exe", "installer bytes");
    // Still open (a running installer): message 59, nothing fetched.
    Offer("23.0", "22.0");
    ASSERT_EQ(updater->LoadConfig(), 0);
    CreateDirectoryW(updater->DownloadFolder().c_str(), nullptr);
    WriteFileText(Installer(), "running");
    HANDLE open =
        CreateFileW(Installer().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    EXPECT_EQ(updater->DoUpdate(), 1);
    CloseHandle(open);
    EXPECT_TRUE(Logged(FormatWide(GetLocalizedMessage(msg::kFileInUse), Installer().c_str()))) << Log();
    EXPECT_EQ(nimbo_test::ReadFileText(Installer()), "running");

    // A package name that leaves the download folder is never used as a path.
    const char* hostile[] = {R"(..\\evil.exe)", "../evil.exe", "C:evil.exe", ""};  // as JSON texts
    for (const char* name : hostile) {
        SCOPED_TRACE(name);
        Offer("23.0", "22.0", name);
        ASSERT_EQ(updater->LoadConfig(), 0);
        EXPECT_EQ(updater->DoUpdate(), 1);
        EXPECT_FALSE(nimbo_test::FileExists(home.home.path() + L"\\evil.exe"));
    }
    EXPECT_EQ(server->Log().find("NimboLauncher_Installer.exe"), std::string::npos) << server->Log();
}

TEST_F(Launcher, InstalledForAllUsersTheOfferIsOnlyAnnounced) {
    config.adminInstalled = 1;
    ASSERT_TRUE(SetVersion(HKEY_LOCAL_MACHINE, L"22.0.1"));
    ASSERT_TRUE(SetVersion(HKEY_CURRENT_USER, L"99"));
    Offer("23.0", "22.0");
    ASSERT_EQ(updater->LoadConfig(), 0);
    EXPECT_EQ(updater->LocalVersion(), L"22.0.1");
    std::wstring said;
    LONG style = 0;
    std::thread person([&said, &style] {
        HWND box = WaitForOwnBox(L"Information");
        if (box == nullptr) return;
        said = nimbo_test::DialogText(box);
        style = GetWindowLongW(box, GWL_EXSTYLE);
        nimbo_test::PressButton(box, IDOK);
    });
    EXPECT_EQ(updater->NeedUpdate(), 0);
    person.join();
    EXPECT_EQ(said.find(GetLocalizedMessage(msg::kLauncherUpgradeByAdmin)) != std::wstring::npos, true)
        << WideToUtf8(said);
    EXPECT_TRUE(style & WS_EX_TOPMOST);  // system modal
}

}  // namespace
