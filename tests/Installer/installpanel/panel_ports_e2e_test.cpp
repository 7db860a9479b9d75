// The port check: installpanel reads the port-check script's log from the user's Quillmark log
// folder and names the ports and the programs that hold them. The log is the user's one file,
// so these tests run alone.
#include <gtest/gtest.h>

#include "harness.h"
#include "panel/portcheck.h"
#include "panel_player.h"
#include "scwconv.h"

using namespace installpanel_test;

namespace {

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

// Puts a port log in place for a test and restores what was there.
class PortLogFixture : public testing::Test {
protected:
    void SetUp() override {
        path_ = NimboNS::installpanel::PortLogPath(L"C:\\unused");
        hadLog_ = nimbo_test::FileExists(path_);
        saved_ = nimbo_test::ReadFileText(path_);
        const std::wstring folder = path_.substr(0, path_.rfind(L'\\'));
        CreateDirectoryW(folder.substr(0, folder.rfind(L'\\')).c_str(), nullptr);
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    void TearDown() override {
        if (hadLog_) {
            nimbo_test::WriteFileText(path_, saved_);
        } else {
            DeleteFileW(path_.c_str());
        }
    }
    void WriteLog(const std::string& text) { ASSERT_TRUE(nimbo_test::WriteFileText(path_, text)); }

    std::wstring path_;
    std::string saved_;
    bool hadLog_ = false;
};

struct PortCase {
    const char* name;
    WPARAM result;
    std::string log;
    std::vector<std::wstring> boxSays;  // empty: nothing is shown
};
void PrintTo(const PortCase& c, std::ostream* os) {
    *os << c.name;
}
class PortInUse : public PortLogFixture, public testing::WithParamInterface<PortCase> {};

TEST_P(PortInUse, NamesThePortsAndClosesWhenAcknowledged) {
    const PortCase& c = GetParam();
    WriteLog(c.log);
    PanelPlayer panel;
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.NoBoxFor(1500));
    panel.PostThread(0x8064, c.result, 99);
    if (c.boxSays.empty()) {
        EXPECT_TRUE(panel.NoBoxFor(1000));
        EXPECT_FALSE(panel.WaitExit(300));
        return;
    }
    HWND box = panel.WaitBox();
    ASSERT_NE(box, nullptr);
    const std::wstring text = BoxText(box);
    for (const std::wstring& part : c.boxSays) EXPECT_TRUE(Contains(text, part)) << NimboNS::WideToUtf8(text);
    if (c.result == 3) nimbo_test::TakeScreenshot(L"installpanel_ports_in_use");
    ASSERT_TRUE(panel.Answer(box, IDOK));
    ASSERT_TRUE(panel.WaitExit());
    EXPECT_EQ(panel.Setting(L"SetupStatus"), L"Exit");
}

INSTANTIATE_TEST_SUITE_P(
    Results, PortInUse,
    testing::Values(PortCase{"BothPorts",
                             3,
                             "Mon 12/11/2026 10:00 Start\r\n21000=nginx.exe\r\n21002=other.exe\r\n",
                             {L"The ports 21000 and 21002 are required by Nimbo Launcher",
                              L"21000:\tnginx.exe\n", L"21002:\tother.exe\n"}},
                    PortCase{"FirstPortFromTheLog",
                             1,
                             "Start\r\n21077=holder.exe\r\nFinish\r\n",
                             {L"The port 21077 is required by Nimbo Launcher", L"21077:\tholder.exe"}},
                    PortCase{"SecondPort",
                             2,
                             "Start\r\n21002=svc.exe\r\n",
                             {L"The port 21002 is required", L"21002:\tsvc.exe"}},
                    PortCase{"NothingInUse", 0, "Start\r\n21000=nginx.exe\r\n", {}}));

TEST_F(PortLogFixture, UnreadableLogIsReportedThenThePortsAreNamed) {
    DeleteFileW(path_.c_str());
    PanelPlayer panel;
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.NoBoxFor(1500));
    panel.PostWindow(0x8064, 3, 0);
    HWND first = panel.WaitBox();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(Contains(BoxText(first), L"Cause: unable to open file: \n" + path_))
        << NimboNS::WideToUtf8(BoxText(first));
    ASSERT_TRUE(panel.Answer(first, IDOK));
    HWND second = panel.WaitBox();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(Contains(BoxText(second), L"The ports 21000 and 21002"))
        << NimboNS::WideToUtf8(BoxText(second));
    ASSERT_TRUE(panel.Answer(second, IDOK));
    ASSERT_TRUE(panel.WaitExit());
}

}  // namespace
