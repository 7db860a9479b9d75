#include <gtest/gtest.h>

#include <string>

#include "channel_fixture.h"
#include "harness.h"
#include "nimbo/names.h"
#include "sharedserver.h"

namespace channel_test {
namespace {

using SharedMemory::CSharedMemory;
using SharedMemory::CSharedServer;

// The client's side of one channel, played by hand: it creates the status channel and opens
// the data channel the server makes.
struct FakeClient {
    explicit FakeClient(const std::wstring& name) {
        std::wstring statusName = name + NimboNS::names::kStatusChannelSuffix;
        created = status.Create(statusName.c_str());
        dataName = name;
    }
    std::wstring Status() { return Read(status); }
    std::wstring Data() {
        CSharedMemory data;
        data.Open(dataName);
        return Read(data);
    }
    bool SetData(const std::wstring& text) {
        CSharedMemory data;
        data.Open(dataName);
        return data.Write(text.c_str(), static_cast<int>(text.size()));
    }
    bool SetStatus(const std::wstring& text) {
        return status.Write(text.c_str(), static_cast<int>(text.size()));
    }
    static std::wstring Read(CSharedMemory& channel) {
        const wchar_t* text = nullptr;
        int length = 0;
        return channel.Read(text, length) > 0 ? std::wstring(text, static_cast<size_t>(length)) : L"";
    }

    CSharedMemory status;
    std::wstring dataName;
    bool created = false;
};

struct ServerDeleter {
    void operator()(CSharedServer* server) const { server->Release(); }
};
using ServerPtr = std::unique_ptr<CSharedServer, ServerDeleter>;

using SharedServerTest = ChannelTest;

TEST_F(SharedServerTest, OpenCreatesTheDataChannelAndReportsTwo) {
    std::wstring name = NewName();
    FakeClient client(name);
    ASSERT_TRUE(client.created);
    ServerPtr server(new CSharedServer());
    ASSERT_TRUE(server->Open(name.c_str()));
    EXPECT_EQ(client.Status(), L"2");
    EXPECT_TRUE(MappingExists(name));
    EXPECT_TRUE(nimbo_test::FileExists(BackingFile(name)));
    EXPECT_FALSE(server->IsDisconnected());
}

TEST_F(SharedServerTest, OpenWithoutAClientFailsAndClosesTheDataChannel) {
    std::wstring name = NewName();
    ServerPtr server(new CSharedServer());
    EXPECT_FALSE(server->Open(name.c_str()));
    EXPECT_FALSE(MappingExists(name));
    EXPECT_TRUE(server->IsDisconnected());
    EXPECT_FALSE(server->Open(nullptr));
}

TEST_F(SharedServerTest, OneCommandTravelsAndItsResultComesBack) {
    std::wstring name = NewName();
    FakeClient client(name);
    ServerPtr server(new CSharedServer());
    ASSERT_TRUE(server->Open(name.c_str()));
    ASSERT_FALSE(server->IsCommandReady());

    ASSERT_TRUE(client.SetData(L"regsvr32 /s \"C:\\app\\x.dll\""));
    ASSERT_TRUE(client.SetStatus(L"3"));
    ASSERT_TRUE(server->IsCommandReady());
    const wchar_t* text = nullptr;
    int length = 0;
    ASSERT_GT(server->ReadData(text, length), 0);
    EXPECT_EQ(std::wstring(text, static_cast<size_t>(length)), L"regsvr32 /s \"C:\\app\\x.dll\"");

    ASSERT_TRUE(server->WriteNumber(-1));
    ASSERT_TRUE(server->SignalResult());
    EXPECT_EQ(client.Status(), L"1");
    EXPECT_EQ(client.Data(), L"-1");
    EXPECT_FALSE(server->IsCommandReady());
}

TEST_F(SharedServerTest, OnlyStatusThreeIsACommand) {
    std::wstring name = NewName();
    FakeClient client(name);
    ServerPtr server(new CSharedServer());
    ASSERT_TRUE(server->Open(name.c_str()));
    const std::pair<const wchar_t*, bool> cases[] = {{L"1", false},  {L"2", false}, {L"3", true},
                                                     {L"30", false}, {L"x", false}, {L"3 ", true}};
    for (const auto& [status, ready] : cases) {
        ASSERT_TRUE(client.SetStatus(status));
        EXPECT_EQ(server->IsCommandReady(), ready) << status;
    }
}

TEST_F(SharedServerTest, WriteDataRefusesNothingToWrite) {
    std::wstring name = NewName();
    FakeClient client(name);
    ServerPtr server(new CSharedServer());
    ASSERT_TRUE(server->Open(name.c_str()));
    EXPECT_FALSE(server->WriteData(nullptr, 4));
    EXPECT_FALSE(server->WriteData(L"abc", 0));
    EXPECT_TRUE(server->WriteData(L"abc", 3));
    EXPECT_EQ(client.Data(), L"abc");
}

TEST_F(SharedServerTest, TheServerSeesTheClientGoAndClosesItsOwnChannel) {
    std::wstring name = NewName();
    FakeClient client(name);
    ServerPtr server(new CSharedServer());
    ASSERT_TRUE(server->Open(name.c_str()));
    EXPECT_FALSE(server->IsDisconnected());
    client.status.Close();
    EXPECT_TRUE(server->IsDisconnected());
    EXPECT_FALSE(server->IsCommandReady());
    EXPECT_TRUE(MappingExists(name));
    server->CloseAll();
    EXPECT_FALSE(MappingExists(name));
    // The backing files stay: the client deletes them.
    EXPECT_TRUE(nimbo_test::FileExists(BackingFile(name)));
}

}  // namespace
}  // namespace channel_test
