#include <gtest/gtest.h>

#include "deploytime.h"
#include <ctime>

#include "config_fixture.h"
#include "scwconv.h"
#include "testserver.h"

using namespace NimboNS;

namespace {

struct TimeCase {
    const wchar_t* text;
    long long seconds;
};

TEST(DeployTime, TextsBecomeUtcSeconds) {
    const TimeCase cases[] = {
        {L"1970-01-01 00:00:00", 0},
        {L"2024-01-01 08:00:00", 1704096000},
        {L"2024-01-01", 1704067200},
        {L"2024-1-1 8:0:0", 1704096000},
        {L"2024-01-01 08:00:00 UTC+2", 1704096000},
        {L"", 0},
        {L"   ", 0},
        {L"soon", -1},
        {L"2024-13-01 00:00:00", -1},
        {L"2024-02-30 00:00:00", -1},
        {L"1500-01-01 00:00:00", -1},
        {L"2024--01-01", -1},
    };
    for (const TimeCase& c : cases) EXPECT_EQ(ParseDeployTime(c.text), c.seconds) << WideToUtf8(c.text);
}

TEST(DeployTime, NowIsTheSystemClockInUtc) {
    const long long now = CurrentUtcSeconds();
    const long long expected = static_cast<long long>(time(nullptr));
    EXPECT_LE(std::llabs(now - expected), 2);
}

// This program runs with TZ set fourteen hours ahead of UTC (see CMakeLists.txt), so a time taken
// as local time would be off by half a day.
TEST(DeployTime, RunsInAZoneFarFromUtc) {
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    EXPECT_EQ(zone.Bias, -14 * 60) << "start this program with TZ=Pacific/Kiritimati, as CTest does";
}

}  // namespace

namespace {

// Now plus `offset` seconds as deploylist.ini writes it, in UTC.
std::string UtcText(long long offset) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER value;
    value.LowPart = now.dwLowDateTime;
    value.HighPart = now.dwHighDateTime;
    value.QuadPart += offset * 10000000LL;
    FILETIME shifted{value.LowPart, value.HighPart};
    SYSTEMTIME t;
    FileTimeToSystemTime(&shifted, &t);
    char text[32];
    snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    return text;
}

// Versions whose windows are open only when the times are read as UTC: in this time zone, reading
// them as local time would move every window fourteen hours into the past.
TEST(DeployTime, ServerWindowsAreOpenByUtc) {
    nimbo_test::TempFolder deployment;
    ASSERT_TRUE(CreateDirectoryW((deployment / L"Window").c_str(), nullptr));
    ASSERT_TRUE(nimbo_test::WriteFileText(deployment / L"Window\\apprun.json", "{}"));
    const std::string list =
        "[Public]\r\nMinimumValidVersion=1.0\r\n"
        "[1.0]\r\nOnlineTime=" +
        UtcText(-3600) + "\r\nOfflineTime=" + UtcText(3600) +
        "\r\n"
        "[1.2]\r\nOnlineTime=soon\r\nOfflineTime=" +
        UtcText(3600) +
        "\r\n"
        "[1.3]\r\nOnlineTime=2000-01-01 00:00:00\r\nOfflineTime=never\r\n"
        "[1.5]\r\nOnlineTime=2000-01-01 00:00:00\r\nOfflineTime=" +
        UtcText(3 * 3600) +
        "\r\n"
        "[1.6]\r\nOnlineTime=2000-01-01 00:00:00\r\nOfflineTime=\r\n"
        "[2.0]\r\nOnlineTime=" +
        UtcText(2 * 3600) + "\r\nOfflineTime=9999-12-31 23:59:59\r\n";
    ASSERT_TRUE(nimbo_test::WriteFileText(deployment / L"Window\\deploylist.ini.zip", list));
    nimbo_test::TestServer server("nginxserve.py", deployment.path());
    ASSERT_TRUE(server.Ready());

    config_test::ConfigUnderTest t;
    t.config.url = server.Url(L"/Window");
    ASSERT_EQ(t.config.ParseUrl(), 0);
    ASSERT_EQ(t.config.SelectVersion(), 0) << t.Log();
    EXPECT_EQ(t.config.validVersions, (std::vector<std::wstring>{L"1.0", L"1.2", L"1.5"}));
    EXPECT_EQ(t.config.latestVersion, L"1.5");
    EXPECT_EQ(t.config.version, L"1.5") << "a first installation takes the newest";
    EXPECT_TRUE(
        t.Logged(L"Current server version: 1.0, 1.2, 1.5; latest version: 1.5, minimum compatible version: "
                 L"1.0.\n"))
        << t.Log();
}

}  // namespace
