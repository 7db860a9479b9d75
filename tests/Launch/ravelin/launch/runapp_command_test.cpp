#include <gtest/gtest.h>

#include "harness.h"
#include "launch_doubles.h"
#include "runapp.h"

// Requests that are not app URLs: started as command lines, or refused when they came over a
// connection. Real programs are started (or must not be).
namespace {

using namespace NimboNS;
using namespace launch_test;
using Strings = std::vector<std::string>;

LaunchParts DoubleParts(Probe& probe) {
    LaunchParts parts;
    parts.update = new FakeUpdate(probe, 0);
    parts.cookies = new FakeCookies(probe);
    parts.preparation = new FakePreparation(probe, 1, 1);
    parts.start = new FakeStart(probe);
    parts.endProcess = [&probe](UINT) { probe.Add("end process"); };
    return parts;
}

Strings Stages(const Strings& events) {
    Strings stages;
    for (const auto& e : events)
        if (e.find("released") == std::string::npos) stages.push_back(e);
    return stages;
}

TEST(CRunAppCommandLine, StartsAPlainCommandWithoutUpdateOrReplies) {
    nimbo_test::TempFolder folder;
    const std::wstring marker = folder / L"ran.txt";
    Probe probe;
    CRunApp launch(0, DoubleParts(probe));
    const std::wstring command = L"cmd.exe /c echo ran> " + nimbo_test::Quote(marker);
    EXPECT_EQ(launch.Launch(command.c_str(), kNoConnection, RecordReply), 0);
    for (int i = 0; i < 200 && !nimbo_test::FileExists(marker); ++i) Sleep(50);
    EXPECT_TRUE(nimbo_test::FileExists(marker));
    EXPECT_EQ(Stages(probe.events), Strings{});
}

TEST(CRunAppCommandLine, AProgramThatCannotStartFails) {
    CRunApp launch(0, LaunchParts{});
    EXPECT_EQ(launch.Launch(L"no-such-program-h3.exe", kNoConnection, nullptr), -1);
    EXPECT_EQ(launch.Launch(L"", kNoConnection, nullptr), -1);
}

TEST(CRunAppCommandLine, SocketTextWithoutWebSchemeIsRefusedAndNeverRun) {
    nimbo_test::TempFolder folder;
    const std::wstring marker = folder / L"ran.txt";
    Probe probe;
    CRunApp launch(0, DoubleParts(probe));
    const std::wstring command = L"cmd.exe /c echo ran> " + nimbo_test::Quote(marker);
    EXPECT_EQ(launch.Launch(command.c_str(), ConnectionOf(probe), RecordReply), -1);
    EXPECT_EQ(probe.replies, Strings{"finish."});
    EXPECT_EQ(Stages(probe.events), Strings{});
    Sleep(1500);
    EXPECT_FALSE(nimbo_test::FileExists(marker));
}

}  // namespace
