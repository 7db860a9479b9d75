// Blocking transfers of kxhttpclient.dll against real servers on 127.0.0.1.
#include "doubles.h"
#include "harness.h"
#include "library.h"
#include "testserver.h"

#include <gtest/gtest.h>

#include <string>

using namespace kxtest;
using nimbo_test::FileExists;
using nimbo_test::ReadFileText;
using nimbo_test::TempFolder;
using nimbo_test::TestServer;
using nimbo_test::WriteFileText;

namespace {

std::wstring ErrorTextOf(NimboNS::ISyncDownload* d) {
    const wchar_t* text = nullptr;
    d->GetErrorText(&text);
    return text ? text : L"";
}

class SyncDownload : public testing::Test {
protected:
    void SetUp() override {
        WriteFileText(www_ / L"doc.json", "{\"deployment_urls\":{}}");
        WriteFileText(www_ / L"big.bin", PatternBytes(300000, 7));
        ASSERT_TRUE(server_.Ready());
        ASSERT_TRUE(sync_);
    }
    TempFolder www_;
    TestServer server_{"faultserver.py", www_.path()};
    SyncPtr sync_ = NewSync();
};

TEST_F(SyncDownload, MemoryHoldsTheBodyOfA200) {
    void* data = nullptr;
    int size = 0;
    ASSERT_EQ(0, sync_->DownloadToMemory(server_.Url(L"/files/doc.json").c_str(), &data, &size));
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(std::string("{\"deployment_urls\":{}}"), std::string(static_cast<char*>(data), size));
    EXPECT_EQ(0, static_cast<char*>(data)[size]);  // ends with a 0 byte for text parsers
    EXPECT_EQ(200, sync_->GetStatusCode());
    EXPECT_EQ(L"", ErrorTextOf(sync_.get()));
    sync_->FreeMemory(data);
}

TEST_F(SyncDownload, AnErrorStatusIsAFailureWithTheStatusReadable) {
    TempFolder out;
    for (int status : {404, 500, 403}) {
        SCOPED_TRACE(status);
        std::wstring url = server_.Url(L"/status/" + std::to_wstring(status));
        void* data = reinterpret_cast<void*>(1);
        int size = 7;
        EXPECT_EQ(NimboNS::KXHTTP_E_HTTP_STATUS, sync_->DownloadToMemory(url.c_str(), &data, &size));
        EXPECT_EQ(nullptr, data);
        EXPECT_EQ(0, size);
        EXPECT_EQ(status, sync_->GetStatusCode());
        EXPECT_NE(std::wstring::npos, ErrorTextOf(sync_.get()).find(std::to_wstring(status)));

        sync_->SetOverwrite(1);
        EXPECT_EQ(NimboNS::KXHTTP_E_HTTP_STATUS,
                  sync_->DownloadToFile(url.c_str(), (out / L"f.bin").c_str()));
        EXPECT_EQ(status, sync_->GetStatusCode());
        EXPECT_FALSE(FileExists(out / L"f.bin"));
        EXPECT_FALSE(FileExists(out / L"f.bin.cfg"));
        EXPECT_FALSE(FileExists(out / L"f.bin.kxdl"));

        // The probe only asks whether the server answered.
        EXPECT_EQ(0, sync_->SendRequest(url.c_str()));
        EXPECT_EQ(status, sync_->GetStatusCode());
    }
    EXPECT_EQ(0, sync_->SendRequest(server_.Url(L"/files/doc.json").c_str()));
    EXPECT_EQ(200, sync_->GetStatusCode());
}

TEST_F(SyncDownload, UnreachableServersGiveWinHttpCodes) {
    sync_->SetTimeouts(2000, 500);
    struct Case {
        std::wstring url;
        int code;
    } cases[] = {
        {L"http://127.0.0.1:" + std::to_wstring(RefusedPort()) + L"/x", 12029},
        {L"http://nimbo-no-such-host.invalid/x", 12007},
        {server_.Url(L"/slow/3000"), 12002},
    };
    TempFolder out;
    sync_->SetOverwrite(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.url.begin(), c.url.end()));
        void* data = nullptr;
        int size = 0;
        EXPECT_EQ(c.code, sync_->SendRequest(c.url.c_str()));
        EXPECT_EQ(-1, sync_->GetStatusCode());
        EXPECT_FALSE(ErrorTextOf(sync_.get()).empty());
        EXPECT_EQ(c.code, sync_->DownloadToMemory(c.url.c_str(), &data, &size));
        EXPECT_EQ(nullptr, data);
        EXPECT_EQ(c.code, sync_->DownloadToFile(c.url.c_str(), (out / L"f").c_str()));
        EXPECT_FALSE(FileExists(out / L"f"));
        EXPECT_FALSE(FileExists(out / L"f.cfg"));
    }
}

TEST_F(SyncDownload, FileIsReplacedOnlyWhenOverwriteIsOn) {
    TempFolder out;
    std::wstring target = out / L"big.bin";
    WriteFileText(target, "old");
    std::wstring url = server_.Url(L"/files/big.bin");
    sync_->SetOverwrite(0);
    EXPECT_EQ(ERROR_FILE_EXISTS, sync_->DownloadToFile(url.c_str(), target.c_str()));
    EXPECT_EQ("old", ReadFileText(target));
    sync_->SetOverwrite(1);
    EXPECT_EQ(0, sync_->DownloadToFile(url.c_str(), target.c_str()));
    EXPECT_TRUE(SameBytes(PatternBytes(300000, 7), ReadFileText(target)));
    EXPECT_FALSE(FileExists(target + L".cfg"));
    EXPECT_FALSE(FileExists(target + L".kxdl"));
}

TEST_F(SyncDownload, ABodyThatBreaksOffIsTriedAgainFromWhereItStopped) {
    TempFolder out;
    std::wstring target = out / L"big.bin";
    sync_->SetOverwrite(1);
    ASSERT_EQ(0, sync_->DownloadToFile(server_.Url(L"/cut/big.bin?at=100000").c_str(), target.c_str()));
    EXPECT_TRUE(SameBytes(PatternBytes(300000, 7), ReadFileText(target)));
    std::string log = server_.Log();
    EXPECT_NE(std::string::npos, log.find("\"range\": \"bytes=100000-\""));
    EXPECT_NE(std::string::npos, log.find("\"status\": 206"));
}

TEST_F(SyncDownload, IssueAgainMeansProgressAndEnds) {
    // Every answer brings at most 40000 bytes: the blocking call gives up now and then with 18, and
    // each repeat continues from the kept bytes until the file is whole.
    TempFolder out;
    std::wstring target = out / L"big.bin";
    std::wstring url = server_.Url(L"/trickle/big.bin?step=40000");
    sync_->SetOverwrite(1);
    int result = -1, again = 0;
    for (int call = 0; call < 40; ++call) {
        result = sync_->DownloadToFile(url.c_str(), target.c_str());
        if (result != NimboNS::KXHTTP_E_ISSUE_AGAIN) break;
        ++again;
        EXPECT_TRUE(FileExists(target + L".cfg"));
    }
    EXPECT_EQ(0, result);
    EXPECT_GT(again, 0);
    EXPECT_TRUE(SameBytes(PatternBytes(300000, 7), ReadFileText(target)));
    EXPECT_FALSE(FileExists(target + L".cfg"));
}

TEST_F(SyncDownload, FileBehindAWrappedUrlArrivesUnwrapped) {
    if (GetFileAttributesW((nimbo_test::BinFolder() + L"\\kxcompression.dll").c_str()) ==
        INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "kxcompression.dll is not built";
    TempFolder out;
    std::wstring target = out / L"big.bin";
    sync_->SetOverwrite(1);
    ASSERT_EQ(0, sync_->DownloadToFile(server_.Url(L"/files/big.bin.zip").c_str(), target.c_str()));
    EXPECT_TRUE(SameBytes(PatternBytes(300000, 7), ReadFileText(target)));
    // A document fetched into memory is never unwrapped: it is handed over as the server sent it.
    void* data = nullptr;
    int size = 0;
    ASSERT_EQ(0, sync_->DownloadToMemory(server_.Url(L"/files/doc.json.zip").c_str(), &data, &size));
    EXPECT_EQ("PK", std::string(static_cast<char*>(data), 2));
    sync_->FreeMemory(data);
}

TEST_F(SyncDownload, RequestsCarryTheStoreCookiesAndFeedSetCookieBack) {
    CookieStoreDouble store(L"a=1; b=2");
    sync_->SetCookieManager(&store);
    void* data = nullptr;
    int size = 0;
    ASSERT_EQ(0, sync_->DownloadToMemory(server_.Url(L"/cookie?set=s%3D1&set=t%3D2").c_str(), &data, &size));
    EXPECT_EQ(std::string("cookie:a=1; b=2\n"), std::string(static_cast<char*>(data), size));
    sync_->FreeMemory(data);
    EXPECT_EQ(0, sync_->SendRequest(server_.Url(L"/files/doc.json").c_str()));
    std::lock_guard<std::mutex> hold(store.lock);
    EXPECT_EQ(L"Set-Cookie: s=1; Path=/; Max-Age=600\r\nSet-Cookie: t=2; Path=/; Max-Age=600\r\n",
              store.setCookies);
    ASSERT_EQ(2u, store.secureAsked.size());
    EXPECT_EQ(0, store.secureAsked[0]);  // plain http: no secure cookies
    EXPECT_NE(std::string::npos,
              server_.Log().find("\"method\": \"HEAD\", \"path\": \"/files/doc.json\", \"range\": \"\", "
                                 "\"if_range\": \"\", \"cookie\": \"a=1; b=2\""));
}

}  // namespace
