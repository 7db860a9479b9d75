#include <gtest/gtest.h>

#include "config_fixture.h"
#include "pathjoin.h"
#include "records.h"

using namespace NimboNS;
using config_test::ConfigUnderTest;

namespace {

struct JoinCase {
    std::wstring folder, name, joined;
};

TEST(JoinPath, FollowsTheUpdateCodeRules) {
    const std::wstring longFolder = L"C:\\" + std::wstring(250, L'f');
    const JoinCase cases[] = {
        {L"", L"x", L""},
        {L"C:\\a", L".", L"C:\\a"},
        {L"C:\\a", L"b", L"C:\\a\\b"},
        {L"C:\\a\\", L"b", L"C:\\a\\b"},
        {L"C:\\a", L"b\\c.dll", L"C:\\a\\b\\c.dll"},
        {longFolder, L"name-of-ten", longFolder + L"\\name-of-ten"},
        {longFolder + L"\\", L"name-of-ten", longFolder + L"\\name-of-ten"},
    };
    for (const JoinCase& c : cases) EXPECT_EQ(JoinPath(c.folder, c.name), c.joined) << WideToUtf8(c.name);
}

TEST(JoinPath, SimpleJoinTakesWhicheverPartIsGiven) {
    EXPECT_EQ(JoinPathSimple(L"", L"n"), L"n");
    EXPECT_EQ(JoinPathSimple(L"C:\\f", L""), L"C:\\f");
    EXPECT_EQ(JoinPathSimple(L"C:\\f", L"n"), L"C:\\f\\n");
}

// PathCombineW resolves "..": a record path from the server could otherwise leave the app folder.
TEST(RecordPaths, OnlyPathsThatStayInsideTheFolderAreSafe) {
    EXPECT_EQ(JoinPath(L"C:\\apps\\srv_sales", L"..\\..\\Windows\\x.dll"), L"C:\\Windows\\x.dll");

    const std::pair<const wchar_t*, bool> cases[] = {
        {L"", true},
        {L".", true},
        {L"bin", true},
        {L"bin\\sub", true},
        {L"bin/sub", true},
        {L"bin\\", true},
        {L"a.b.dll", true},
        {L"a\\.\\b", true},
        {L"..", false},
        {L"..\\x", false},
        {L"bin\\..\\..\\x", false},
        {L"bin/../x", false},
        {L"...", false},
        {L".. ", false},
        {L"bin\\. .\\x", false},
        {L"\\Windows", false},
        {L"/etc", false},
        {L"\\\\server\\share", false},
        {L"C:\\x", false},
        {L"C:x", false},
        {L"data.txt:hidden", false},
        {L"a*b", false},
        {L"a?b", false},
        {L"a\tb", false},
    };
    for (const auto& [path, safe] : cases) EXPECT_EQ(IsSafeRelativePath(path), safe) << WideToUtf8(path);
}

TEST(RecordPaths, FieldsTakeTextsThatFitAndRefuseLongerOnes) {
    wchar_t field[8];
    EXPECT_TRUE(CopyField(field, L"1234567"));
    EXPECT_STREQ(field, L"1234567");
    EXPECT_FALSE(CopyField(field, L"12345678"));
    EXPECT_STREQ(field, L"") << "a refused text leaves the field empty, never cut";
}

TEST(LocalPaths, AreDerivedFromTheHomeAndAppFolders) {
    ConfigUnderTest t;
    t.config.homePath = L"C:\\Users\\u\\Nimbo\\Applications";
    t.config.appPath = L"C:\\Users\\u\\Nimbo\\Applications\\srv_sales";
    t.config.runtimeVersion = L"22.1.0.3000";
    EXPECT_EQ(t.config.GetRuntimePath(), L"C:\\Users\\u\\Nimbo\\Applications\\Runtime\\22.1.0.3000");
    t.config.is64Bit = 1;
    EXPECT_EQ(t.config.GetRuntimePath(), L"C:\\Users\\u\\Nimbo\\Applications\\Runtime\\22.1.0.3000\\x64");
    EXPECT_EQ(t.config.GetLocalConfigPath(), L"C:\\Users\\u\\Nimbo\\Applications\\srv_sales\\appconfig.json");
    // No launcher setup document loaded: the download folder alone.
    EXPECT_EQ(t.config.GetLauncherPackagePath(), L"C:\\Users\\u\\Nimbo\\Download");
}

TEST(Construction, StartsWithTheDocumentedValues) {
    ConfigUnderTest t;
    EXPECT_EQ(t.config.isVerOffCheck, 1);
    EXPECT_EQ(t.config.fullDownload, 0);
    EXPECT_EQ(t.config.startMode, Always);
    EXPECT_EQ(t.config.updateType, FirstDownLoad);
    EXPECT_EQ(t.config.serverReachable, 1);
    EXPECT_EQ(t.config.reportFailure, 1);
    EXPECT_EQ(t.config.is64Bit, 0);
    EXPECT_EQ(t.config.GetSaveDynamicCommandLineArgs(), 0);
}

TEST(Logging, NothingIsWrittenWithoutALogViewOrWithEmptyTexts) {
    CUpdateConfig detached(nullptr);
    detached.OutputLog(4, L"not logged anywhere");  // must simply do nothing

    ConfigUnderTest t;
    t.config.OutputLog(4, L"");
    t.config.OutputLog(4, L"pattern %s", L"");
    t.config.OutputLog(4, L"", L"argument");
    t.config.OutputLog(L"%s %s %s", L"a", L"", L"c");
    EXPECT_EQ(t.Log(), "");

    t.config.OutputLog(2, L"pattern %s.", L"value");
    t.config.OutputLog(L"%s; %s; %s", L"a", L"b", L"c");
    t.config.WriteLog(2, L"file only");
    EXPECT_TRUE(t.Logged(L" ERROR [")) << t.Log();
    EXPECT_TRUE(t.Logged(L"pattern value.\n"));
    EXPECT_TRUE(t.Logged(L"INFO  [")) << "three arguments log at info";
    EXPECT_TRUE(t.Logged(L"a; b; c\n"));
    EXPECT_TRUE(t.Logged(L"file only\n"));
    EXPECT_EQ(t.view.EntryCount(), 2u) << "WriteLog reaches the file but not the pane";
}

}  // namespace
