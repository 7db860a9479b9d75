// The window's decisions that need no window: row layout, port messages, path checks.
#include <gtest/gtest.h>

#include "harness.h"
#include "panel/layout.h"
#include "panel/pathcheck.h"
#include "panel/portcheck.h"

using namespace NimboNS::installpanel;

namespace {

// ---- option rows ----

struct LayoutCase {
    const char* name;
    bool offered[kOptionRows];
    bool shown[kOptionRows];
    int shift[kOptionRows];
    int expandedHeight;
};
void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}
class RowLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(RowLayoutTest, OfferedRowsCloseUp) {
    const int tops[kOptionRows] = {130, 164, 198};
    const LayoutCase& c = GetParam();
    const RowLayout layout = LayOutRows(c.offered, tops, 232);
    for (int row = 0; row < kOptionRows; ++row) {
        EXPECT_EQ(layout.shown[row], c.shown[row]) << row;
        if (c.shown[row]) {
            EXPECT_EQ(layout.shift[row], c.shift[row]) << row;
        }
    }
    EXPECT_EQ(layout.expandedHeight, c.expandedHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RowLayoutTest,
    testing::Values(
        LayoutCase{"BothFolders", {true, true, false}, {true, true, false}, {0, 0, 0}, 198},
        LayoutCase{"AppsOnlyMovesUp", {false, true, false}, {false, true, false}, {0, -34, 0}, 164},
        LayoutCase{"LauncherOnly", {true, false, false}, {true, false, false}, {0, 0, 0}, 164},
        LayoutCase{"AllThree", {true, true, true}, {true, true, true}, {0, 0, 0}, 232},
        LayoutCase{"MultiUserAlone", {false, false, true}, {false, false, true}, {0, 0, -68}, 164},
        LayoutCase{"None", {false, false, false}, {false, false, false}, {0, 0, 0}, 130}));

// ---- port check ----

TEST(PortLog, SkipsTheStartLineAndReadsPortProcessPairs) {
    const PortLog log = ParsePortLog(
        "Mon 12/11/2026 10:00:00.00 Start\r\n21000=nginx.exe\r\n21000=nginx.exe\r\n21002=svc host.exe\r\n"
        "Mon 12/11/2026 10:00:01.00 Finish\r\n");
    ASSERT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries[0].port, L"21000");
    EXPECT_EQ(log.entries[0].process, L"nginx.exe");
    EXPECT_EQ(log.entries[2].process, L"svc host.exe");
    EXPECT_EQ(PortList(log), L"21000:\tnginx.exe\n21002:\tsvc host.exe\n");
}

TEST(PortLog, AStartLineThatLooksLikeAnEntryIsStillSkipped) {
    const PortLog log = ParsePortLog("1=2\n30=x.exe\n");
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].port, L"30");
}

TEST(PortLog, MissingFileIsReportedWithItsError) {
    nimbo_test::TempFolder temp;
    const PortLog log = ReadPortLog(temp / L"port_process.log");
    EXPECT_FALSE(log.opened);
    EXPECT_NE(log.error, 0u);
}

TEST(PortLog, PathIsInTheUsersQuillmarkLogFolder) {
    const std::wstring path = PortLogPath(L"C:\\setup");
    const std::wstring tail = L"\\Quillmark\\quillmarkinstalllog\\port_process.log";
    ASSERT_GT(path.size(), tail.size());
    EXPECT_EQ(path.substr(path.size() - tail.size()), tail);
}

struct PortMessageCase {
    const char* name;
    WPARAM result;
    std::string log;
    std::wstring expected;
};
void PrintTo(const PortMessageCase& c, std::ostream* os) {
    *os << c.name;
}
class PortMessage : public testing::TestWithParam<PortMessageCase> {};

TEST_P(PortMessage, NamesThePortsInUse) {
    const PortMessageCase& c = GetParam();
    const LauncherPorts ports{21000, 21002};
    const std::wstring message =
        PortInUseMessage(c.result, ports, ParsePortLog(c.log), L"one %d.", L"two %d and %d.");
    EXPECT_EQ(message, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortMessage,
    testing::Values(
        PortMessageCase{"BothConfiguredPorts", 3, "s\n21000=a.exe\n21002=b.exe\n",
                        L"two 21000 and 21002.\n\n21000:\ta.exe\n21002:\tb.exe\n"},
        PortMessageCase{"FirstPortFromTheLog", 1, "s\n21000=a.exe\n", L"one 21000.\n\n21000:\ta.exe\n"},
        PortMessageCase{"SecondPortFromTheLog", 2, "s\n21002=b.exe\n", L"one 21002.\n\n21002:\tb.exe\n"},
        PortMessageCase{"LogWithoutEntriesNamesTheConfiguredPort", 2, "", L"one 21002."},
        PortMessageCase{"NothingInUse", 0, "s\n21000=a.exe\n", L""},
        PortMessageCase{"UnknownBits", 4, "", L""}));

// ---- path checks ----

TEST(PathCheck, EmptyFoldersAreRefusedLauncherFirst) {
    const CPathValidator validator(L"C:\\nowhere", {});
    EXPECT_EQ(validator.Validate(std::wstring(), std::wstring()).problem, PathProblem::LauncherEmpty);
    EXPECT_EQ(validator.Validate(std::nullopt, std::wstring()).problem, PathProblem::AppsEmpty);
    EXPECT_EQ(validator.Validate(std::nullopt, std::nullopt).problem, PathProblem::None);
}

TEST(PathCheck, AccessTestCreatesTheTreeAndLeavesNoProbe) {
    nimbo_test::TempFolder temp;
    const std::wstring folder = temp / L"a\\b\\c";
    EXPECT_TRUE(CPathValidator::AccessTest(folder));
    EXPECT_TRUE(nimbo_test::FolderExists(folder));
    EXPECT_FALSE(nimbo_test::FolderExists(folder + L"\\test666"));
}

TEST(PathCheck, AccessTestExpandsEnvironmentVariables) {
    nimbo_test::TempFolder temp;
    SetEnvironmentVariableW(L"NIMBO_IP_TEST_ROOT", temp.path().c_str());
    EXPECT_TRUE(CPathValidator::AccessTest(L"%NIMBO_IP_TEST_ROOT%\\expanded"));
    EXPECT_TRUE(nimbo_test::FolderExists(temp / L"expanded"));
}

TEST(PathCheck, FolderBelowAFileIsNotAccessibleAndListed) {
    nimbo_test::TempFolder temp;
    nimbo_test::WriteFileText(temp / L"plainfile", "x");
    const std::wstring bad = temp / L"plainfile\\apps";
    const std::wstring good = temp / L"launcher";
    const CPathValidator validator(temp.path(), {});
    const PathCheckResult result = validator.Validate(good, bad);
    EXPECT_EQ(result.problem, PathProblem::NotAccessible);
    EXPECT_EQ(result.folders, std::vector<std::wstring>{bad});
}

TEST(PathCheck, WithoutTheCommandRunnerNoFolderPassesTheRunTest) {
    nimbo_test::TempFolder temp;
    const CPathValidator validator(temp / L"panel-without-elevhost", {});
    const PathCheckResult result = validator.Validate(temp / L"l", temp / L"a");
    EXPECT_EQ(result.problem, PathProblem::CannotRunExe);
    EXPECT_EQ(result.folders, (std::vector<std::wstring>{temp / L"l", temp / L"a"}));
}

struct SameFolderCase {
    const char* name;
    std::wstring a;
    std::wstring b;
    bool same;
};
void PrintTo(const SameFolderCase& c, std::ostream* os) {
    *os << c.name;
}
class ExistingLauncherFolder : public testing::TestWithParam<SameFolderCase> {};

TEST_P(ExistingLauncherFolder, ClashIsFoundCaseInsensitively) {
    const SameFolderCase& c = GetParam();
    const CPathValidator validator(L"C:\\x", ExistingLauncher{1, c.b});
    const PathCheckResult result = validator.CheckExistingLauncher(c.a);
    EXPECT_EQ(result.problem == PathProblem::HasLauncher, c.same);
    if (c.same) {
        EXPECT_EQ(result.folders, std::vector<std::wstring>{c.b});
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ExistingLauncherFolder,
                         testing::Values(SameFolderCase{"Equal", L"C:\\Nimbo", L"C:\\Nimbo", true},
                                         SameFolderCase{"OtherCase", L"c:\\NIMBO", L"C:\\nimbo", true},
                                         SameFolderCase{"TrailingBackslash", L"C:\\Nimbo\\", L"C:\\Nimbo",
                                                        true},
                                         SameFolderCase{"Different", L"C:\\Nimbo2", L"C:\\Nimbo", false},
                                         SameFolderCase{"Below", L"C:\\Nimbo\\sub", L"C:\\Nimbo", false},
                                         SameFolderCase{"UnknownExisting", L"C:\\Nimbo", L"", false}));

TEST(PathCheck, TrimKeepsInnerBlanks) {
    EXPECT_EQ(TrimFolder(L"  C:\\Program Files\\Nimbo \t"), L"C:\\Program Files\\Nimbo");
    EXPECT_EQ(TrimFolder(L"   "), L"");
}

}  // namespace
