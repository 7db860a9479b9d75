// The wait flag: with it set, each reader of the store waits for a writer's hand-over.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "cookie/cookiemanager.h"

namespace {

using NimboNS::CCookieManager;

// Runs GetCookieHeader on a thread and tells whether it has returned.
class Reader {
public:
    explicit Reader(CCookieManager* store)
        : thread_([this, store] {
              header_ = store->GetCookieHeader(1);
              done_ = true;
          }) {}
    ~Reader() {
        if (thread_.joinable()) thread_.join();
    }
    bool Finished(DWORD waitMs) {
        for (DWORD waited = 0; !done_ && waited < waitMs; waited += 10) Sleep(10);
        return done_;
    }
    std::wstring header() const { return header_; }

private:
    std::atomic<bool> done_{false};
    std::wstring header_;
    std::thread thread_;
};

TEST(CookieHandOver, ReaderWaitsForTheWriter) {
    auto* store = new CCookieManager();
    store->ParseCookies(L"a=1", 0);
    store->SetWaitForUpdate(1);
    EXPECT_STREQ(L"a=1", store->GetCookieHeader(1)) << "the event starts signalled: the first reader passes";
    {
        Reader reader(store);
        EXPECT_FALSE(reader.Finished(300)) << "the second reader must wait for a hand-over";
        EXPECT_EQ(1, store->ParseSetCookies(L"Set-Cookie: b=2\r\n"));
        ASSERT_TRUE(reader.Finished(10000));
        EXPECT_EQ(L"a=1; b=2", reader.header());
    }
    {
        Reader reader(store);
        EXPECT_FALSE(reader.Finished(300));
        store->SetWaitForUpdate(0);  // switching off lets the waiting reader go
        ASSERT_TRUE(reader.Finished(10000));
    }
    // Without the flag nobody waits.
    EXPECT_STREQ(L"a=1; b=2", store->GetCookieHeader(1));
    EXPECT_STREQ(L"a=1; b=2", store->GetCookieHeader(1));
    store->Release();
}

TEST(CookieHandOver, ConcurrentCallsKeepTheStoreWhole) {
    auto* store = new CCookieManager();
    std::thread writers[2], readers[2];
    for (int t = 0; t < 2; ++t) {
        writers[t] = std::thread([store, t] {
            for (int i = 0; i < 300; ++i) {
                std::wstring line = L"Set-Cookie: k" + std::to_wstring(t) + L"_" + std::to_wstring(i % 20) +
                                    L"=" + std::to_wstring(i) + (i % 3 ? L"\r\n" : L"; max-age=0\r\n");
                store->ParseSetCookies(line.c_str());
            }
        });
        readers[t] = std::thread([store] {
            for (int i = 0; i < 300; ++i) store->GetCookieHeader(i % 2);
        });
    }
    for (int t = 0; t < 2; ++t) {
        writers[t].join();
        readers[t].join();
    }
    EXPECT_EQ(1, store->ParseCookies(L"final=1", 1));
    EXPECT_STREQ(L"final=1", store->GetCookieHeader(1));
    store->Release();
}

}  // namespace
