#include <gtest/gtest.h>

#include "deploytime.h"
#include <ctime>

#include "scwconv.h"

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
