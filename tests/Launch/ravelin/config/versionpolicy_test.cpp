#include <gtest/gtest.h>

#include <optional>

#include "catalog.h"
#include "config_fixture.h"

using namespace NimboNS;
using config_test::ConfigUnderTest;

namespace {

struct CompareCase {
    const wchar_t* a;
    const wchar_t* b;
    int expected;
};

TEST(CompareVersions, ComparesTheCommonNumericParts) {
    const CompareCase cases[] = {
        {L"22.1.0.10", L"22.1.0.9", 1},
        {L"22.1.0.9", L"22.1.0.10", -1},
        {L"1.2", L"1.2.0.5", 0},
        {L"1..2", L"1.2", 0},
        {L".1.2.", L"1.2", 0},
        {L"", L"1.0", 0},
        {L"2.1", L"2.1.7", 0},
        {L"1.10", L"1.9", 1},
        {L"1.2", L"1.3", -1},
        {L"1.2a", L"1.2", 0},
        {L"a.1", L"0.1", 0},
        {L"3.0", L"22.1.0.2559", -1},
        {L"1.2.3.4", L"1.2.3.4", 0},
        {L"010", L"9", 1},
    };
    for (const CompareCase& c : cases) {
        EXPECT_EQ(CUpdateConfig::CompareVersions(c.a, c.b), c.expected)
            << WideToUtf8(c.a) << " vs " << WideToUtf8(c.b);
        EXPECT_EQ(CUpdateConfig::CompareVersions(c.b, c.a), -c.expected) << "the comparison is antisymmetric";
    }
}

// One version decision: the state after SelectVersion, the user's answer, and what must follow.
struct DecisionCase {
    const char* name;
    int updateType;
    int startMode;
    int isVerOffCheck;
    std::wstring installed;
    std::vector<std::wstring> online;
    std::wstring latest;
    std::wstring minimum;
    int answer;    // button the user presses; 0 = no prompt may appear
    int promptId;  // message id of the expected prompt
    UINT promptButtons;
    int result;
    std::wstring versionAfter;
    int updateTypeAfter;
    int reportFailureAfter;
    int loggedId;  // message logged at error severity, 0 = none
};

const DecisionCase kDecisions[] = {
    // Installed app, strategy Always or Connect.
    {"ExpiredOkUpgrades",
     1,
     Always,
     0,
     L"1.0",
     {L"2.0"},
     L"2.0",
     L"1.0",
     IDOK,
     41,
     MB_OKCANCEL,
     0,
     L"2.0",
     2,
     1,
     0},
    {"ExpiredCancelStopsQuietly",
     1,
     Always,
     0,
     L"1.0",
     {L"2.0"},
     L"2.0",
     L"1.0",
     IDCANCEL,
     41,
     MB_OKCANCEL,
     1,
     L"1.0",
     1,
     0,
     42},
    {"ExpiredNothingNewerStops", 1, Connect, 0, L"1.0", {}, L"", L"1.0", 0, 0, 0, 1, L"1.0", 1, 1, 14},
    {"ExpiredNewestBelowMinimumStops",
     1,
     Always,
     0,
     L"1.0",
     {L"1.5"},
     L"1.5",
     L"2.0",
     0,
     0,
     0,
     1,
     L"1.0",
     1,
     1,
     14},
    {"TooOldOkUpgrades",
     1,
     Connect,
     0,
     L"1.0",
     {L"1.0", L"3.0"},
     L"3.0",
     L"2.0",
     IDOK,
     16,
     MB_OKCANCEL,
     0,
     L"3.0",
     2,
     1,
     0},
    {"TooOldCancelStopsQuietly",
     1,
     Always,
     0,
     L"1.0",
     {L"1.0", L"3.0"},
     L"3.0",
     L"2.0",
     IDCANCEL,
     16,
     MB_OKCANCEL,
     1,
     L"1.0",
     1,
     0,
     17},
    {"TooOldButNotBelowNewestKeeps",
     1,
     Always,
     0,
     L"1.3.0.5",
     {L"1.3.0.5", L"1.3"},
     L"1.3",
     L"1.3.1",
     0,
     0,
     0,
     0,
     L"1.3.0.5",
     1,
     1,
     0},
    {"TooOldNothingNewerStops", 1, Always, 0, L"1.0", {L"1.0"}, L"1.0", L"2.0", 0, 0, 0, 1, L"1.0", 1, 1, 15},
    {"NewerYesUpgrades",
     1,
     Always,
     0,
     L"1.0",
     {L"1.0", L"1.1"},
     L"1.1",
     L"1.0",
     IDYES,
     43,
     MB_YESNO,
     0,
     L"1.1",
     2,
     1,
     0},
    {"NewerNoKeepsTypeAsItWas",
     1,
     Connect,
     0,
     L"1.0",
     {L"1.0", L"1.1"},
     L"1.1",
     L"1.0",
     IDNO,
     43,
     MB_YESNO,
     0,
     L"1.0",
     1,
     1,
     0},
    {"NewestKeepsWithoutPrompt",
     1,
     Always,
     0,
     L"1.1",
     {L"1.0", L"1.1"},
     L"1.1",
     L"1.0",
     0,
     0,
     0,
     0,
     L"1.1",
     1,
     1,
     0},
    {"EqualButWrittenDifferentlyKeeps",
     1,
     Always,
     0,
     L"1.2",
     {L"1.2", L"1.2.0"},
     L"1.2.0",
     L"1.0",
     0,
     0,
     0,
     0,
     L"1.2",
     1,
     1,
     0},
    {"OnlineListIgnoresCase",
     1,
     Always,
     0,
     L"1.0-RC",
     {L"1.0-rc"},
     L"1.0-rc",
     L"1.0",
     0,
     0,
     0,
     0,
     L"1.0-RC",
     1,
     1,
     0},
    // Strategy Never.
    {"NeverWithoutCheckKeepsExpired",
     1,
     Never,
     0,
     L"1.0",
     {L"2.0"},
     L"2.0",
     L"1.0",
     0,
     0,
     0,
     0,
     L"1.0",
     1,
     1,
     0},
    {"NeverWithCheckPromptsWhenExpired",
     1,
     Never,
     1,
     L"1.0",
     {L"2.0"},
     L"2.0",
     L"1.0",
     IDOK,
     41,
     MB_OKCANCEL,
     0,
     L"2.0",
     2,
     1,
     0},
    {"NeverWithCheckPromptsTooOldWithoutComparingNewest",
     1,
     Never,
     1,
     L"1.3.0.5",
     {L"1.3.0.5", L"1.3"},
     L"1.3",
     L"1.3.1",
     IDOK,
     16,
     MB_OKCANCEL,
     0,
     L"1.3",
     2,
     1,
     0},
    {"NeverWithCheckNeverOffersNewer",
     1,
     Never,
     1,
     L"1.0",
     {L"1.0", L"1.1"},
     L"1.1",
     L"1.0",
     0,
     0,
     0,
     0,
     L"1.0",
     1,
     1,
     0},
    {"AcrossVersionStaysAcross",
     2,
     Always,
     0,
     L"1.0",
     {L"1.0", L"1.1"},
     L"1.1",
     L"1.0",
     IDNO,
     43,
     MB_YESNO,
     0,
     L"1.0",
     2,
     1,
     0},
    // First installation.
    {"FirstInstallTakesNewest",
     0,
     Always,
     1,
     L"",
     {L"1.0", L"1.1"},
     L"1.1",
     L"1.0",
     0,
     0,
     0,
     0,
     L"1.1",
     0,
     1,
     0},
    {"FirstInstallWithoutVersionStops", 0, Always, 1, L"", {}, L"", L"1.0", 0, 0, 0, 1, L"", 0, 1, 12},
    {"FirstInstallNewestBelowMinimumStops",
     0,
     Connect,
     1,
     L"",
     {L"1.0"},
     L"1.0",
     L"2.0",
     0,
     0,
     0,
     1,
     L"",
     0,
     1,
     13},
};

class VersionDecision : public testing::TestWithParam<DecisionCase> {};

TEST_P(VersionDecision, FollowsThePolicy) {
    const DecisionCase& c = GetParam();
    ConfigUnderTest t;
    t.config.updateType = c.updateType;
    t.config.startMode = c.startMode;
    t.config.isVerOffCheck = c.isVerOffCheck;
    t.config.version = c.installed;
    t.config.validVersions = c.online;
    t.config.latestVersion = c.latest;
    t.config.minimumValidVersion = c.minimum;

    int prompts = 0;
    std::wstring shownText, shownCaption;
    UINT shownFlags = 0;
    t.config.SetVersionPrompt([&](const wchar_t* text, const wchar_t* caption, UINT flags) {
        ++prompts;
        shownText = text;
        shownCaption = caption;
        shownFlags = flags;
        return c.answer;
    });

    EXPECT_EQ(t.config.ChooseVersion(), c.result);
    EXPECT_EQ(t.config.version, c.versionAfter);
    EXPECT_EQ(t.config.updateType, c.updateTypeAfter);
    EXPECT_EQ(t.config.reportFailure, c.reportFailureAfter);
    if (c.answer == 0) {
        EXPECT_EQ(prompts, 0);
    } else {
        EXPECT_EQ(prompts, 1);
        EXPECT_EQ(shownText, GetLocalizedMessage(c.promptId));
        EXPECT_EQ(shownCaption, L"Information");
        EXPECT_EQ(shownFlags, UINT(MB_TOPMOST | MB_ICONQUESTION | c.promptButtons));
    }
    if (c.loggedId != 0) {
        EXPECT_TRUE(t.Logged(std::wstring(L" ERROR [")) && t.Logged(GetLocalizedMessage(c.loggedId)))
            << t.Log();
    } else {
        EXPECT_FALSE(t.Logged(L" ERROR [")) << t.Log();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, VersionDecision, testing::ValuesIn(kDecisions),
                         [](const testing::TestParamInfo<DecisionCase>& info) { return info.param.name; });

}  // namespace
