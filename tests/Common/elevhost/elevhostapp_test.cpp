#include <gtest/gtest.h>

#include "elevhostapp.h"

namespace {

TEST(ChannelName, IsTheFirstArgumentInLowerCase) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"elevhost.exe 4242", L"4242"},
        {L"elevhost.exe AbC", L"abc"},
        {L"\"C:\\Program Files\\Nimbo\\elevhost.exe\" MiXeD second", L"mixed"},
        {L"elevhost.exe \"Quoted Name\"", L"quoted name"},
        {L"elevhost.exe", L""},
        {L"elevhost.exe \"\"", L""},
    };
    for (const auto& [commandLine, name] : cases)
        EXPECT_EQ(Elevhost::ChannelNameFromCommandLine(commandLine), name) << commandLine;
}

}  // namespace
