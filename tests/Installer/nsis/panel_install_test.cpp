// The installer as a person runs it: no switches, installpanel.exe is the only window. The person
// opens the options, types the folders and starts the installation, or closes the window.
#include <winsock2.h>

#include <gtest/gtest.h>

#include "installer_run.h"
#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "scwconv.h"

namespace {

using namespace installer_test;
namespace names = NimboNS::names;

constexpr wchar_t kPanelTitle[] = L"Nimbo Launcher Setup";
constexpr int kAdvancedOptions = 1010;
constexpr int kStartInstall = 1011;
constexpr int kLauncherFolderEdit = 2016;
constexpr int kAppsFolderEdit = 2019;

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == search->owner &&
        wcscmp(className, L"#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A message box of the panel (a dialog it owns).
HWND WaitForPanelBox(HWND panel, DWORD timeoutMs) {
    OwnedSearch search{panel, nullptr};
    WaitUntil(
        [&search] {
            EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

// A port of the loopback address held by this program: listening, with one connection accepted
// on it (Wine's netstat lists connected sockets only; Windows lists both).
class HeldPort {
public:
    explicit HeldPort(bool connected = true) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof(address);
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(listener_, 1) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        if (!connected) return;
        client_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        connect(client_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        accepted_ = accept(listener_, nullptr, nullptr);
    }
    ~HeldPort() {
        for (SOCKET s : {accepted_, client_, listener_})
            if (s != INVALID_SOCKET) closesocket(s);
        WSACleanup();
    }
    HeldPort(const HeldPort&) = delete;
    HeldPort& operator=(const HeldPort&) = delete;
    int port() const { return port_; }

private:
    SOCKET listener_ = INVALID_SOCKET;
    SOCKET client_ = INVALID_SOCKET;
    SOCKET accepted_ = INVALID_SOCKET;
    int port_ = 0;
};

// A port no program holds now: the launcher's port for installations that must find it free.
int FreePort() {
    HeldPort held(false);
    return held.port();
}

class PanelInstall : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(nimbo_test::FileExists(InstallerPath())) << "the build made no installer";
        ForgetInstallations();
    }
    void TearDown() override {
        if (installer_ != nullptr) {
            TerminateProcess(installer_, 1);
            CloseHandle(installer_);
        }
        ForgetInstallations();
    }

    HWND StartAndWaitForPanel(int port = FreePort()) {
        installer_ =
            nimbo_test::StartProgram(nimbo_test::Quote(InstallerPath()) + L" /PORT=" + std::to_wstring(port));
        if (installer_ == nullptr) return nullptr;
        return nimbo_test::WaitForWindow(L"#32770", kPanelTitle, 60000);
    }
    DWORD InstallerExitCode(DWORD timeoutMs = 120000) {
        DWORD code = static_cast<DWORD>(-2);
        if (WaitForSingleObject(installer_, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(installer_, &code);
        return code;
    }

    HANDLE installer_ = nullptr;
};

TEST_F(PanelInstall, APersonChoosesTheFoldersAndStartsTheInstallation) {
    nimbo_test::TempFolder place;
    const std::wstring launcherFolder = place / L"My Launcher";
    const std::wstring appsFolder = place / L"My Apps";
    const int port = FreePort();
    HWND panel = StartAndWaitForPanel(port);
    ASSERT_NE(panel, nullptr);
    Sleep(1500);  // the panel checks its default folders once it shows
    ASSERT_TRUE(nimbo_test::PressButton(panel, kAdvancedOptions));
    SetDlgItemTextW(panel, kLauncherFolderEdit, launcherFolder.c_str());
    SetDlgItemTextW(panel, kAppsFolderEdit, appsFolder.c_str());
    Sleep(500);
    nimbo_test::TakeScreenshot(L"installer_panel_options");
    ASSERT_TRUE(nimbo_test::PressButton(panel, kStartInstall));

    EXPECT_EQ(InstallerExitCode(), 0u);
    EXPECT_EQ(ReadUninstallValue(HKEY_CURRENT_USER, L"InstallLocation"), launcherFolder);
    for (const std::wstring& file : InstalledFiles())
        EXPECT_TRUE(nimbo_test::FileExists(launcherFolder + L"\\" + file)) << NimboNS::WideToUtf8(file);
    EXPECT_EQ(ReadLauncherValue(HKEY_CURRENT_USER, names::kRegistryHomeValue), appsFolder);
    EXPECT_EQ(GetPrivateProfileIntW(L"Server", L"NimboLauncher_Port", 0,
                                    (launcherFolder + L"\\Config.ini").c_str()),
              static_cast<UINT>(port));
    EXPECT_EQ(ReadLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue), BuiltVersion());
    EXPECT_TRUE(UninstallQuietly(HKEY_CURRENT_USER));
}

TEST_F(PanelInstall, ClosingTheWindowInstallsNothing) {
    HWND panel = StartAndWaitForPanel();
    ASSERT_NE(panel, nullptr);
    Sleep(1500);
    PostMessageW(panel, WM_CLOSE, 0, 0);  // the close box
    EXPECT_EQ(InstallerExitCode(), 1u);
    EXPECT_FALSE(UninstallEntryExists(HKEY_CURRENT_USER));
    EXPECT_FALSE(LauncherKeyExists(HKEY_CURRENT_USER));
}

// The launcher's port held by another program: the panel names it before anything is chosen, and
// nothing is installed.
TEST_F(PanelInstall, APortInUseIsNamedAndNothingIsInstalled) {
    HeldPort held;
    ASSERT_NE(held.port(), 0);
    HWND panel = StartAndWaitForPanel(held.port());
    ASSERT_NE(panel, nullptr);
    HWND box = WaitForPanelBox(panel, 60000);
    ASSERT_NE(box, nullptr);
    const std::wstring said = nimbo_test::DialogText(box);
    EXPECT_NE(said.find(std::to_wstring(held.port())), std::wstring::npos) << NimboNS::WideToUtf8(said);
    nimbo_test::TakeScreenshot(L"installer_panel_port_in_use");
    ASSERT_TRUE(nimbo_test::PressButton(box, IDOK));
    EXPECT_EQ(InstallerExitCode(), 2u);
    EXPECT_FALSE(UninstallEntryExists(HKEY_CURRENT_USER));
    EXPECT_FALSE(LauncherKeyExists(HKEY_CURRENT_USER));
}

// An update while the launcher still runs: after a while the panel asks the person, who either
// gives up or ends the launcher and goes on.
TEST_F(PanelInstall, TheUserIsAskedAboutARunningLauncher) {
    struct Case {
        const char* name;
        int button;
        DWORD exitCode;
        std::wstring versionAfter;
    };
    const Case cases[] = {
        {"No: the update is given up", IDNO, 1, L"22.0.0.1"},
        {"Yes once the launcher has ended", IDYES, 0, BuiltVersion()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        nimbo_test::TempFolder place;
        const std::wstring folder = place / L"Launcher";
        ASSERT_EQ(InstallQuietly(L"/D=" + folder), 0u);
        WriteLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue, L"22.0.0.1");
        NimboNS::FileHandle held(CreateFileW((folder + L"\\launcher.exe").c_str(), GENERIC_READ, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        HWND panel = StartAndWaitForPanel();
        ASSERT_NE(panel, nullptr);
        HWND box = WaitForPanelBox(panel, 60000);
        ASSERT_NE(box, nullptr);
        const std::wstring said = nimbo_test::DialogText(box);
        EXPECT_NE(said.find(L"in use"), std::wstring::npos) << NimboNS::WideToUtf8(said);
        nimbo_test::TakeScreenshot(L"installer_panel_file_in_use");
        if (c.button == IDYES) held.reset();
        ASSERT_TRUE(nimbo_test::PressButton(box, c.button));
        EXPECT_EQ(InstallerExitCode(), c.exitCode);
        CloseHandle(installer_);
        installer_ = nullptr;
        held.reset();
        EXPECT_EQ(ReadLauncherValue(HKEY_CURRENT_USER, names::kRegistryVersionValue), c.versionAfter);
        EXPECT_TRUE(UninstallQuietly(HKEY_CURRENT_USER));
    }
}

}  // namespace
