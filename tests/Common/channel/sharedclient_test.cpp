#include <gtest/gtest.h>

#include <string>

#include "channel_fixture.h"
#include "harness.h"
#include "nimbo/names.h"
#include "sharedclient.h"
#include "sharedserver.h"

namespace channel_test {
namespace {

using SharedMemory::CSharedClient;

using SharedClientTest = ChannelTest;

TEST_F(SharedClientTest, OpenRefusesMissingArguments) {
    std::wstring name = NewName();
    CSharedClient client;
    EXPECT_FALSE(client.Open(nullptr, L"open"));
    EXPECT_FALSE(client.Open(name.c_str(), nullptr));
    EXPECT_FALSE(nimbo_test::FileExists(BackingFile(name + NimboNS::names::kStatusChannelSuffix)));
}

TEST_F(SharedClientTest, BeforeOpenThereIsNoServer) {
    CSharedClient client;
    const wchar_t* text = nullptr;
    int length = 0;
    EXPECT_TRUE(client.IsDisconnected());
    EXPECT_FALSE(client.WriteData(L"dir", 3));
    EXPECT_FALSE(client.WriteNumber(1));
    EXPECT_EQ(client.ReadData(text, length), 0);
    EXPECT_FALSE(client.IsServerReady());
    EXPECT_FALSE(client.IsResultReady());
    EXPECT_FALSE(client.SignalCommand());
    client.CloseAll();
    client.DeleteFiles();
}

}  // namespace
}  // namespace channel_test
