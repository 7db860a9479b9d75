// The port-check script that installpanel carries for the installer (resource "BAT" 156), run by
// the command interpreter against sockets this test holds.
#include <winsock2.h>

#include <gtest/gtest.h>

#include "harness.h"
#include "nimbo/handle.h"
#include "panel/portcheck.h"
#include "res/resource.h"
#include "scwconv.h"
#include "ui/resources.h"

using namespace NimboNS;
using namespace NimboNS::installpanel;

namespace {

ModuleHandle LoadPanel() {
    return ModuleHandle(LoadLibraryExW((nimbo_test::BinFolder() + L"\\installpanel.exe").c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

class PortScript : public testing::Test {
protected:
    void SetUp() override {
        ModuleHandle panel = LoadPanel();
        ASSERT_TRUE(panel);
        DWORD size = 0;
        const void* bytes =
            ui::LockLangResource(panel.get(), L"BAT", MAKEINTRESOURCEW(IDR_PORTCHECK_BAT), 0, &size);
        ASSERT_NE(bytes, nullptr);
        script_ = temp_ / L"portcheck.bat";
        ASSERT_TRUE(nimbo_test::WriteFileText(script_, std::string(static_cast<const char*>(bytes), size)));
        logPath_ = PortLogPath(temp_.path());
        saved_ = nimbo_test::ReadFileText(logPath_);
        hadLog_ = nimbo_test::FileExists(logPath_);
    }
    void TearDown() override {
        if (hadLog_) {
            nimbo_test::WriteFileText(logPath_, saved_);
        } else {
            DeleteFileW(logPath_.c_str());
        }
    }
    nimbo_test::ProgramResult Run(const std::wstring& ports) {
        // cmd drops the outermost quotes of what follows /c: the whole command is quoted once more.
        return nimbo_test::RunProgram(L"cmd.exe /c \"\"" + script_ + L"\" \"" + ports + L"\"\"", 60000);
    }

    nimbo_test::TempFolder temp_;
    std::wstring script_;
    std::wstring logPath_;
    std::string saved_;
    bool hadLog_ = false;
};

// A port of the loopback interface held by this program: listening, with one connection accepted
// on it (Wine's netstat lists connected sockets only; Windows lists both).
class Listener {
public:
    explicit Listener(bool connect = true) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(listener_, 1);
        int length = sizeof(address);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        if (!connect) return;
        client_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        ::connect(client_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        accepted_ = accept(listener_, nullptr, nullptr);
    }
    ~Listener() {
        for (SOCKET s : {accepted_, client_, listener_})
            if (s != INVALID_SOCKET) closesocket(s);
        WSACleanup();
    }
    int port() const { return port_; }

private:
    SOCKET listener_ = INVALID_SOCKET;
    SOCKET client_ = INVALID_SOCKET;
    SOCKET accepted_ = INVALID_SOCKET;
    int port_ = 0;
};

TEST_F(PortScript, NoPortsDoesNothing) {
    DeleteFileW(logPath_.c_str());
    const auto result = nimbo_test::RunProgram(L"cmd.exe /c \"\"" + script_ + L"\"\"", 60000);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_FALSE(nimbo_test::FileExists(logPath_));
}

int FreePort() {
    Listener probe(false);  // closed again at once
    return probe.port();
}

std::wstring OwnProgramName() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring name = self;
    return name.substr(name.rfind(L'\\') + 1);
}

TEST_F(PortScript, SetsTheBitOfEachPortInUseAndLogsItsProcess) {
    Listener first, second;
    const int freePort = FreePort();
    // This program holds the sockets; a netstat without process ids (Wine's) leaves it unnamed.
    const bool netstatNamesPids =
        nimbo_test::RunProgram(L"netstat -ano").output.find("PID") != std::string::npos;
    const std::wstring holder = netstatNamesPids ? OwnProgramName() : L"unknown";
    const struct {
        std::vector<int> ports;
        DWORD exitCode;
        std::vector<int> logged;
    } cases[] = {
        {{freePort, second.port()}, 2, {second.port()}},
        {{first.port(), freePort}, 1, {first.port()}},
        {{first.port(), second.port()}, 3, {first.port(), second.port()}},
        {{freePort}, 0, {}},
    };
    for (const auto& c : cases) {
        std::wstring list;
        for (int port : c.ports) list += (list.empty() ? L"" : L" ") + std::to_wstring(port);
        const auto result = Run(list);
        ASSERT_TRUE(result.finished) << result.output;
        EXPECT_EQ(result.exitCode, c.exitCode) << WideToUtf8(list) << "\n" << result.output;

        const PortLog log = ReadPortLog(logPath_);
        ASSERT_TRUE(log.opened);
        std::vector<int> logged;
        for (const PortLogEntry& entry : log.entries) {
            if (logged.empty() || logged.back() != _wtoi(entry.port.c_str()))
                logged.push_back(_wtoi(entry.port.c_str()));
            EXPECT_EQ(_wcsicmp(entry.process.c_str(), holder.c_str()), 0) << WideToUtf8(entry.process);
        }
        EXPECT_EQ(logged, c.logged) << nimbo_test::ReadFileText(logPath_);
        const std::string text = nimbo_test::ReadFileText(logPath_);
        EXPECT_NE(text.find("Start"), std::string::npos);
        EXPECT_NE(text.find("Finish"), std::string::npos);
    }
}

}  // namespace
