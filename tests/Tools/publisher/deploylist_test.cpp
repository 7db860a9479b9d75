#include <gtest/gtest.h>

#include "deploylist.h"

using namespace NimboNS::publisher;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}
std::string Text(const std::vector<std::uint8_t>& b) {
    return {b.begin(), b.end()};
}

TEST(DeployListTimes, ParseOnlyWhatTheLauncherReadsAsADate) {
    const struct {
        const char* text;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        {"1970-01-01 00:00:00", 0},
        {"2024-01-01 08:00:00", 1704096000},
        {"2024-02-29 23:59:59", 1709251199},
        {" 2024-1-2 3:04:05 ", 1704164645},
        {"9999-12-31 23:59:59", 253402300799},
        {"2023-02-29 00:00:00", std::nullopt},  // no leap day
        {"2024-13-01 00:00:00", std::nullopt},
        {"2024-01-01 24:00:00", std::nullopt},
        {"2024-01-01", std::nullopt},
        {"soon", std::nullopt},
        {"", std::nullopt},
        {"2024-01-01 00:00:00 UTC", std::nullopt},
        {"1600-12-31 23:59:59", std::nullopt},  // before what SYSTEMTIME holds
    };
    for (const auto& c : cases) EXPECT_EQ(ParseUtcTime(c.text), c.seconds) << c.text;
    for (std::int64_t s : {0LL, 951782400LL, 1704096000LL, 253402300799LL, -11644473600LL}) {
        EXPECT_EQ(ParseUtcTime(FormatUtcTime(s)), s) << FormatUtcTime(s);
    }
    EXPECT_EQ(FormatUtcTime(1704164645), "2024-01-02 03:04:05");
}

TEST(DeployListVersions, TextsAndComparison) {
    for (const char* good : {"1", "1.0", "22.1.0.2559", "0.0.1"}) EXPECT_TRUE(IsVersionText(good)) << good;
    for (const char* bad : {"", ".1", "1.", "1..2", "1.0-beta", "v1", "Public", "1 .0"}) {
        EXPECT_FALSE(IsVersionText(bad)) << bad;
    }
    const struct {
        const char *a, *b;
        int result;
    } cases[] = {
        {"2.0", "1.9", 1}, {"1.10", "1.9", 1}, {"1.0", "1.0.5", 0}, {"1.2", "1.10", -1}, {"", "3.0", 0}};
    for (const auto& c : cases) EXPECT_EQ(CompareVersions(c.a, c.b), c.result) << c.a << " " << c.b;
}

TEST(DeployListText, AddingAVersionKeepsTheOthersAndForeignKeys) {
    DeployList list = DeployList::Parse(
        Bytes("; written by hand\r\n[Public]\r\nMinimumValidVersion=1.0\r\nNote=keep me\r\n\r\n"
              "[1.0]\r\nOnlineTime=2024-01-01 00:00:00\r\nOfflineTime=9999-12-31 23:59:59\r\n"));
    list.SetVersion({"2.0", "2024-06-01 00:00:00", "9999-12-31 23:59:59"});
    EXPECT_EQ(Text(list.Serialize()),
              "[Public]\r\nMinimumValidVersion=1.0\r\nNote=keep me\r\n\r\n"
              "[1.0]\r\nOnlineTime=2024-01-01 00:00:00\r\nOfflineTime=9999-12-31 23:59:59\r\n\r\n"
              "[2.0]\r\nOnlineTime=2024-06-01 00:00:00\r\nOfflineTime=9999-12-31 23:59:59\r\n");
    list.SetOfflineTime("1.0", "2024-07-01 00:00:00");
    ASSERT_TRUE(list.Find("1.0"));
    EXPECT_EQ(list.Find("1.0")->offlineTime, "2024-07-01 00:00:00");
    EXPECT_EQ(list.Versions().size(), 2u);
}

TEST(DeployListText, EncodingsTheProfileFunctionsRead) {
    // A UTF-8 byte-order mark would become part of the first section's name: it is dropped.
    DeployList bom = DeployList::Parse(Bytes("\xEF\xBB\xBF[Public]\nMinimumValidVersion=3.0\n"));
    EXPECT_EQ(bom.MinimumValidVersion(), "3.0");
    EXPECT_EQ(Text(bom.Serialize()).substr(0, 8), "[Public]");
    // UTF-16LE with its mark stays UTF-16LE.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[public]\r\nminimumvalidversion=2.0\r\n[2.0]\r\nOnlineTime=x\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    DeployList wide = DeployList::Parse(Bytes(utf16));
    EXPECT_EQ(wide.MinimumValidVersion(), "2.0");  // names compare without case
    EXPECT_EQ(wide.Versions().size(), 1u);
    auto out = wide.Serialize();
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0xFE);
    EXPECT_EQ(out[2], '[');
    EXPECT_EQ(out[3], 0);
}

TEST(DeployListCheck, NotesWhatLeavesNothingToInstall) {
    const std::int64_t now = *ParseUtcTime("2024-05-01 00:00:00");
    const struct {
        const char* text;
        const char* note;  // expected substring, or "" for none
    } cases[] = {
        {"[Public]\nMinimumValidVersion=1.0\n[1.0]\nOnlineTime=2024-01-01 00:00:00\nOfflineTime=9999-12-31 "
         "23:59:59\n",
         ""},
        {"[1.0]\nOnlineTime=2024-01-01 00:00:00\nOfflineTime=9999-12-31 23:59:59\n",
         "MinimumValidVersion is missing"},
        {"[Public]\nMinimumValidVersion=1.0\n", "no version is listed"},
        {"[Public]\nMinimumValidVersion=1.0\n[1.0]\nOnlineTime=2024-01-01 00:00:00\n",
         "lacks OnlineTime or OfflineTime"},
        {"[Public]\nMinimumValidVersion=1.0\n[1.0]\nOnlineTime=2024-06-01 00:00:00\nOfflineTime=9999-12-31 "
         "23:59:59\n",
         "no version is online now"},
        {"[Public]\nMinimumValidVersion=2.0\n[1.0]\nOnlineTime=2024-01-01 00:00:00\nOfflineTime=9999-12-31 "
         "23:59:59\n",
         "older than MinimumValidVersion"},
        {"[Public]\nMinimumValidVersion=1.0\n[1.0]\nOnlineTime=soon\nOfflineTime=9999-12-31 23:59:59\n",
         "online since always"},
        {"[Public]\nMinimumValidVersion=1.0\n[1.0]\nOnlineTime=2024-01-01 00:00:00\nOfflineTime=2024-05-01 "
         "00:00:00\n",
         "no version is online now"},  // withdrawn at this very second
    };
    for (const auto& c : cases) {
        auto notes = DeployList::Parse(Bytes(c.text)).Check(now);
        std::string all;
        for (const auto& n : notes) all += n + "\n";
        if (*c.note == 0) {
            EXPECT_TRUE(notes.empty()) << c.text << "\n" << all;
        } else {
            EXPECT_NE(all.find(c.note), std::string::npos) << c.text << "\n" << all;
        }
    }
}

}  // namespace
