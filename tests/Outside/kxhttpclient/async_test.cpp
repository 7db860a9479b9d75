// Parallel transfers of kxhttpclient.dll against real servers on 127.0.0.1: the pool, the delegate's
// reports, retries, resume, Stop and the library's error codes.
#include "doubles.h"
#include "harness.h"
#include "library.h"
#include "testserver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kxtest;
using nimbo_test::FileExists;
using nimbo_test::ReadFileText;
using nimbo_test::TempFolder;
using nimbo_test::TestServer;
using nimbo_test::WriteFileText;

namespace {

struct TaskSpec {
    std::wstring url;
    std::wstring target;
    bool resumable = false;
    NimboNS::ICookieManager* cookies = nullptr;
};

// Configures a task the way the update engine does.
TaskPtr StartTask(NimboNS::IAsyncDownload* d, const TaskSpec& spec, int* started = nullptr) {
    TaskPtr task(d->CreateTask());
    if (!task) return task;
    std::wstring record = spec.target + L".cfg";
    if (FileExists(record)) task->LoadResumeState(record.c_str());
    task->SetUrl(spec.url.c_str());
    task->SetFilePath(spec.target.c_str());
    task->SetCookieManager(spec.cookies);
    task->SetExtract(0);
    task->SetFolder(spec.target.substr(0, spec.target.rfind(L'\\')).c_str());
    if (spec.resumable) task->SetResumable(1);
    int r = d->StartTask(task.get());
    if (started) *started = r;
    return task;
}

long long SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class AsyncDownload : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(async_);
        async_->SetDelegate(&delegate_);
    }
    RecordingDelegate delegate_;
    AsyncPtr async_ = NewAsync();
    TempFolder www_, out_;
};

TEST_F(AsyncDownload, ManyFilesInABoundedPoolFromNginx) {
    const int count = 12;
    for (int i = 0; i < count; ++i)
        WriteFileText(www_ / (L"f" + std::to_wstring(i) + L".bin"), PatternBytes(50000 + i * 40000, i));
    TestServer nginx("nginxserve.py", www_.path());
    ASSERT_TRUE(nginx.Ready());
    async_->SetParameter(3);
    std::vector<TaskPtr> tasks;
    for (int i = 0; i < count; ++i) {
        std::wstring name = L"f" + std::to_wstring(i) + L".bin";
        int started = -1;
        tasks.push_back(StartTask(async_.get(), {nginx.Url(L"/" + name), out_ / name}, &started));
        EXPECT_EQ(0, started);
    }
    EXPECT_NE(0, async_->WaitTasks(count));
    for (int i = 0; i < count; ++i) {
        std::wstring target = out_ / (L"f" + std::to_wstring(i) + L".bin");
        EXPECT_TRUE(SameBytes(PatternBytes(50000 + i * 40000, i), ReadFileText(target))) << i;
        EXPECT_FALSE(FileExists(target + L".cfg"));
        EXPECT_FALSE(FileExists(target + L".kxdl"));
        EXPECT_EQ(1, tasks[i]->GetState());
    }
    std::lock_guard<std::mutex> hold(delegate_.lock);
    EXPECT_TRUE(delegate_.errors.empty());
    ASSERT_EQ(static_cast<size_t>(count), delegate_.logs.size());
    for (const auto& line : delegate_.logs) {
        EXPECT_EQ(NimboNS::KXHTTP_LOG_END, line.kind);
        EXPECT_EQ(200, line.code);
        size_t digits = line.file.find(L"/f") + 2;
        EXPECT_EQ(50000 + std::stoi(line.file.substr(digits)) * 40000, line.size);
    }
    EXPECT_EQ(static_cast<size_t>(count), delegate_.finishedItems.size());
    EXPECT_LE(delegate_.maxRunning, 3);
    EXPECT_GE(delegate_.maxRunning, 1);
    EXPECT_EQ(count, delegate_.lastTotal);
    EXPECT_EQ(count, delegate_.lastDone);
}

TEST_F(AsyncDownload, OneFailureFailsTheWaitAndIsReported) {
    WriteFileText(www_ / L"good.bin", PatternBytes(1000, 1));
    TestServer server("faultserver.py", www_.path());
    ASSERT_TRUE(server.Ready());
    TaskPtr good = StartTask(async_.get(), {server.Url(L"/files/good.bin"), out_ / L"good.bin"});
    TaskPtr missing = StartTask(async_.get(), {server.Url(L"/files/missing.bin"), out_ / L"missing.bin"});
    EXPECT_EQ(0, async_->WaitTasks(2));
    EXPECT_EQ(1, good->GetState());
    EXPECT_EQ(2, missing->GetState());
    EXPECT_EQ(404, missing->GetStatusCode());
    EXPECT_TRUE(SameBytes(PatternBytes(1000, 1), ReadFileText(out_ / L"good.bin")));
    EXPECT_FALSE(FileExists(out_ / L"missing.bin"));
    EXPECT_FALSE(FileExists(out_ / L"missing.bin.kxdl"));
    std::lock_guard<std::mutex> hold(delegate_.lock);
    ASSERT_EQ(1u, delegate_.errors.size());
    EXPECT_EQ(server.Url(L"/files/missing.bin"), delegate_.errors[0].file);
    EXPECT_EQ(404, delegate_.errors[0].code);
    EXPECT_EQ(L"The server answered with HTTP status 404 (Not Found).", delegate_.errors[0].text);
}

TEST_F(AsyncDownload, ErrorCodesOfUnreachableServersReachTheDelegate) {
    TestServer server("faultserver.py", www_.path());
    ASSERT_TRUE(server.Ready());
    async_->SetTimeouts(2000, 500);
    struct Case {
        std::wstring url;
        int code;
    } cases[] = {
        {L"http://127.0.0.1:" + std::to_wstring(RefusedPort()) + L"/x", 12029},
        {L"http://nimbo-no-such-host.invalid/x", 12007},
        {server.Url(L"/slow/3000"), 12002},
        {server.Url(L"/status/500"), 500},
    };
    std::vector<TaskPtr> tasks;
    for (size_t i = 0; i < std::size(cases); ++i)
        tasks.push_back(StartTask(async_.get(), {cases[i].url, out_ / (L"t" + std::to_wstring(i))}));
    EXPECT_EQ(0, async_->WaitTasks(static_cast<int>(std::size(cases))));
    std::lock_guard<std::mutex> hold(delegate_.lock);
    ASSERT_EQ(std::size(cases), delegate_.errors.size());
    for (const auto& c : cases) {
        bool found = false;
        for (const auto& e : delegate_.errors)
            if (e.file == c.url) {
                found = true;
                EXPECT_EQ(c.code, e.code);
                EXPECT_FALSE(e.text.empty());
            }
        EXPECT_TRUE(found) << c.code;
    }
    // Time-outs, refused connections and 5xx answers are tried again before giving up; a name that
    // does not resolve is not.
    int retries = 0;
    for (const auto& l : delegate_.logs) {
        EXPECT_EQ(NimboNS::KXHTTP_LOG_RETRY, l.kind);
        EXPECT_NE(cases[1].url, l.file);
        ++retries;
    }
    EXPECT_GE(retries, 3 * 3);
}

TEST_F(AsyncDownload, ABrokenTransferIsTriedAgain) {
    WriteFileText(www_ / L"big.bin", PatternBytes(400000, 3));
    TestServer server("faultserver.py", www_.path());
    ASSERT_TRUE(server.Ready());
    struct Case {
        bool resumable;
        const char* secondRange;  // what the retry asks for
        int partialLogs;
    } cases[] = {{true, "bytes=150000-", 1}, {false, "", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resumable);
        RecordingDelegate delegate;
        AsyncPtr d = NewAsync();
        d->SetDelegate(&delegate);
        std::wstring url =
            server.Url(c.resumable ? L"/cut/big.bin?at=150000&r=1" : L"/cut/big.bin?at=150000&r=0");
        std::wstring target = out_ / (c.resumable ? L"r.bin" : L"n.bin");
        TaskPtr task = StartTask(d.get(), {url, target, c.resumable});
        ASSERT_NE(0, d->WaitTasks(1));
        EXPECT_TRUE(SameBytes(PatternBytes(400000, 3), ReadFileText(target)));
        EXPECT_EQ(1, delegate.Count(NimboNS::KXHTTP_LOG_RETRY));
        EXPECT_EQ(c.partialLogs, delegate.Count(NimboNS::KXHTTP_LOG_PARTIAL));
        EXPECT_EQ(1, delegate.Count(NimboNS::KXHTTP_LOG_END));
        std::string path = std::string(url.begin(), url.end()).substr(url.find(L"/cut"));
        std::string expected = "\"path\": \"" + path + "\", \"range\": \"" + c.secondRange + "\"";
        std::string log = server.Log();
        size_t first = log.find("\"path\": \"" + path + "\"");
        ASSERT_NE(std::string::npos, first);
        EXPECT_NE(std::string::npos, log.find(expected, first + 1)) << log;
    }
}

TEST_F(AsyncDownload, KeptBytesThatNoLongerFitAreNeverAppendedTo) {
    // A partial file and a resume record from an earlier run, whose validator the server no longer
    // has (or a server that ignores ranges): the whole body comes as 200 and replaces the kept bytes.
    const std::string file = PatternBytes(200000, 5);
    WriteFileText(www_ / L"app.bin", file);
    TestServer server("faultserver.py", www_.path());
    ASSERT_TRUE(server.Ready());
    for (const wchar_t* path : {L"/files/app.bin", L"/norange/app.bin"}) {
        std::wstring url = server.Url(path);
        SCOPED_TRACE(std::string(url.begin(), url.end()));
        std::wstring target = out_ / L"app.bin";
        WriteFileText(target + L".kxdl", std::string(100000, 'G'));
        WriteFileText(target + L".cfg",
                      "kxhttpclient resume 1\r\nurl=" + std::string(url.begin(), url.end()) +
                          "\r\nvalidator=\"stale\"\r\nlength=200000\r\n");
        RecordingDelegate delegate;
        AsyncPtr d = NewAsync();
        d->SetDelegate(&delegate);
        TaskPtr task = StartTask(d.get(), {url, target, true});
        ASSERT_NE(0, d->WaitTasks(1));
        EXPECT_TRUE(SameBytes(file, ReadFileText(target)));
        EXPECT_FALSE(FileExists(target + L".cfg"));
        EXPECT_EQ(0, delegate.Count(NimboNS::KXHTTP_LOG_PARTIAL));
        std::string log = server.Log();
        EXPECT_NE(std::string::npos,
                  log.find("\"range\": \"bytes=100000-\", \"if_range\": \"\\\"stale\\\"\""));
        DeleteFileW(target.c_str());
    }
}

TEST_F(AsyncDownload, StoppedTransferResumesWithARangeRequest) {
    const std::string file = PatternBytes(4 * 1024 * 1024, 9);
    WriteFileText(www_ / L"big.bin", file);
    TestServer nginx("nginxserve.py", www_.path());
    ASSERT_TRUE(nginx.Ready());
    std::wstring url = nginx.Url(L"/slow/big.bin");  // 256 KiB/s unless a range is asked for
    std::wstring target = out_ / L"big.bin";

    TaskPtr first = StartTask(async_.get(), {url, target, true});
    for (int i = 0; i < 400 && SizeOf(target + L".kxdl") < 600 * 1024; ++i) Sleep(25);
    async_->Stop();
    EXPECT_EQ(0, async_->WaitTasks(1));
    long long kept = SizeOf(target + L".kxdl");
    ASSERT_GE(kept, 600 * 1024);
    ASSERT_LT(kept, static_cast<long long>(file.size()));
    EXPECT_TRUE(FileExists(target + L".cfg"));
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(3, first->GetState());

    RecordingDelegate delegate;
    AsyncPtr again = NewAsync();
    again->SetDelegate(&delegate);
    TaskPtr second = StartTask(again.get(), {url, target, true});
    ASSERT_NE(0, again->WaitTasks(1));
    EXPECT_TRUE(SameBytes(file, ReadFileText(target)));
    EXPECT_FALSE(FileExists(target + L".cfg"));
    EXPECT_FALSE(FileExists(target + L".kxdl"));
    EXPECT_EQ(1, delegate.Count(NimboNS::KXHTTP_LOG_PARTIAL));
    std::string expected = "GET /slow/big.bin 206 " + std::to_string(file.size() - kept) +
                           " \"bytes=" + std::to_string(kept) + "-\"";
    EXPECT_NE(std::string::npos, nginx.Log().find(expected)) << nginx.Log();
}

TEST_F(AsyncDownload, StopEndsAStalledTransferAndSilencesTheDelegate) {
    WriteFileText(www_ / L"a.bin", "a");
    TestServer server("faultserver.py", www_.path());
    ASSERT_TRUE(server.Ready());
    async_->SetParameter(1);
    TaskPtr stalled = StartTask(async_.get(), {server.Url(L"/stall"), out_ / L"stall.bin", true});
    TaskPtr queued = StartTask(async_.get(), {server.Url(L"/files/a.bin"), out_ / L"a.bin"});
    for (int i = 0; i < 400 && server.Log().find("stall") == std::string::npos; ++i) Sleep(25);
    ASSERT_NE(std::string::npos, server.Log().find("stall"));
    async_->Stop();
    int callsAtStop = delegate_.Calls();
    EXPECT_EQ(0, async_->WaitTasks(2));  // returns although the server still holds the connection
    EXPECT_EQ(3, stalled->GetState());
    EXPECT_EQ(3, queued->GetState());
    EXPECT_EQ(std::string::npos, server.Log().find("a.bin"));  // the queued task never started
    int refused = 0;
    TaskPtr late = StartTask(async_.get(), {server.Url(L"/files/a.bin"), out_ / L"late.bin"}, &refused);
    EXPECT_NE(0, refused);
    EXPECT_TRUE(server.Stop());  // the stalled answer ends with a reset now
    Sleep(300);
    EXPECT_EQ(callsAtStop, delegate_.Calls());
    EXPECT_FALSE(FileExists(out_ / L"stall.bin"));
}

TEST_F(AsyncDownload, StartTaskRefusesWhatCannotRun) {
    WriteFileText(www_ / L"a.bin", "abc");
    TestServer server("faultserver.py", www_.path());
    ASSERT_TRUE(server.Ready());
    TaskPtr noUrl(async_->CreateTask());
    noUrl->SetFilePath((out_ / L"x").c_str());
    EXPECT_NE(0, async_->StartTask(noUrl.get()));
    TaskPtr noTarget(async_->CreateTask());
    noTarget->SetUrl(server.Url(L"/files/a.bin").c_str());
    EXPECT_NE(0, async_->StartTask(noTarget.get()));
    EXPECT_NE(0, async_->StartTask(nullptr));

    int started = -1;
    TaskPtr task = StartTask(async_.get(), {server.Url(L"/files/a.bin"), out_ / L"a.bin"}, &started);
    EXPECT_EQ(0, started);
    EXPECT_NE(0, async_->StartTask(task.get()));  // a task runs once
    // Waiting for more tasks than were started does not hang; it fails.
    EXPECT_EQ(0, async_->WaitTasks(3));
    EXPECT_EQ("abc", ReadFileText(out_ / L"a.bin"));
    EXPECT_NE(0, async_->WaitTasks(0));
}

TEST_F(AsyncDownload, BatchesOfSuccessiveWaitsAreCountedApart) {
    WriteFileText(www_ / L"a.bin", "abc");
    TestServer server("faultserver.py", www_.path());
    ASSERT_TRUE(server.Ready());
    TaskPtr bad = StartTask(async_.get(), {server.Url(L"/status/404"), out_ / L"bad"});
    EXPECT_EQ(0, async_->WaitTasks(1));
    // A later batch (the app after the runtime) is judged on its own tasks only.
    TaskPtr a = StartTask(async_.get(), {server.Url(L"/files/a.bin"), out_ / L"a1"});
    TaskPtr b = StartTask(async_.get(), {server.Url(L"/files/a.bin"), out_ / L"a2"});
    EXPECT_NE(0, async_->WaitTasks(2));
}

TEST_F(AsyncDownload, RequestsCarryTheStoreCookies) {
    TestServer server("faultserver.py", www_.path());
    ASSERT_TRUE(server.Ready());
    CookieStoreDouble store(L"session=42");
    TaskPtr task =
        StartTask(async_.get(), {server.Url(L"/cookie?set=fresh%3D1"), out_ / L"c.txt", false, &store});
    ASSERT_NE(0, async_->WaitTasks(1));
    EXPECT_EQ("cookie:session=42\n", ReadFileText(out_ / L"c.txt"));
    std::lock_guard<std::mutex> hold(store.lock);
    EXPECT_EQ(L"Set-Cookie: fresh=1; Path=/; Max-Age=600\r\n", store.setCookies);
}

bool HaveKxCompression() {
    return GetFileAttributesW((nimbo_test::BinFolder() + L"\\kxcompression.dll").c_str()) !=
           INVALID_FILE_ATTRIBUTES;
}

TEST_F(AsyncDownload, AppFileZipIsUnwrappedIntoTheTarget) {
    if (!HaveKxCompression()) GTEST_SKIP() << "kxcompression.dll is not built";
    const std::string file = PatternBytes(70000, 11);
    WriteFileText(www_ / L"app.dll", file);
    WriteFileText(www_ / L"notes.txt.zip", "not an archive, stored as it is");
    TestServer server("faultserver.py", www_.path());
    ASSERT_TRUE(server.Ready());
    std::wstring target = out_ / L"app.dll";
    WriteFileText(target, "previous version");
    TaskPtr task = StartTask(async_.get(), {server.Url(L"/files/app.dll.zip"), target, true});
    TaskPtr plain = StartTask(async_.get(), {server.Url(L"/files/notes.txt.zip"), out_ / L"notes.txt"});
    ASSERT_NE(0, async_->WaitTasks(2));
    EXPECT_TRUE(SameBytes(file, ReadFileText(target)));
    EXPECT_EQ("not an archive, stored as it is", ReadFileText(out_ / L"notes.txt"));
    for (const wchar_t* left : {L"app.dll.cfg", L"app.dll.kxdl", L"app.dll.kxunz", L"app.dll.zip"})
        EXPECT_FALSE(FileExists(out_ / left)) << left;
}

TEST_F(AsyncDownload, PackageIsUnpackedIntoTheTaskFolder) {
    if (!HaveKxCompression()) GTEST_SKIP() << "kxcompression.dll is not built";
    CreateDirectoryW((www_ / L"pkg").c_str(), nullptr);
    CreateDirectoryW((www_ / L"pkg\\sub").c_str(), nullptr);
    WriteFileText(www_ / L"pkg\\a.txt", "alpha");
    WriteFileText(www_ / L"pkg\\sub\\b.bin", PatternBytes(30000, 2));
    TestServer server("faultserver.py", www_.path());
    ASSERT_TRUE(server.Ready());
    std::wstring target = out_ / L"pkg.zip";
    TaskPtr task(async_->CreateTask());
    task->SetUrl(server.Url(L"/files/pkg.zip.zip").c_str());  // the publisher's wrapped package
    task->SetFilePath(target.c_str());
    task->SetExtract(1);
    task->SetFolder(out_.path().c_str());
    ASSERT_EQ(0, async_->StartTask(task.get()));
    ASSERT_NE(0, async_->WaitTasks(1));
    EXPECT_EQ("PK", ReadFileText(target).substr(0, 2));  // the package itself stays, complete
    EXPECT_FALSE(FileExists(target + L".cfg"));
    EXPECT_EQ("alpha", ReadFileText(out_ / L"a.txt"));
    EXPECT_TRUE(SameBytes(PatternBytes(30000, 2), ReadFileText(out_ / L"sub\\b.bin")));
}

TEST_F(AsyncDownload, PackageThatCannotBeUnpackedFailsButStaysComplete) {
    if (!HaveKxCompression()) GTEST_SKIP() << "kxcompression.dll is not built";
    WriteFileText(www_ / L"broken.zip", "PK\x03\x04 but nothing like an archive");
    TestServer server("faultserver.py", www_.path());
    ASSERT_TRUE(server.Ready());
    std::wstring target = out_ / L"broken.zip";
    TaskPtr task(async_->CreateTask());
    task->SetUrl(server.Url(L"/files/broken.zip").c_str());
    task->SetFilePath(target.c_str());
    task->SetExtract(1);
    task->SetFolder(out_.path().c_str());
    ASSERT_EQ(0, async_->StartTask(task.get()));
    EXPECT_EQ(0, async_->WaitTasks(1));
    EXPECT_EQ(NimboNS::KXHTTP_E_UNWRAP, task->GetErrorCode());
    // A later run finds the package complete and unpacks it itself.
    EXPECT_TRUE(FileExists(target));
    EXPECT_FALSE(FileExists(target + L".cfg"));
    std::lock_guard<std::mutex> hold(delegate_.lock);
    ASSERT_EQ(1u, delegate_.errors.size());
    EXPECT_EQ(NimboNS::KXHTTP_E_UNWRAP, delegate_.errors[0].code);
}

TEST_F(AsyncDownload, WithoutKxCompressionAWrappedFileFailsAndStaysIncomplete) {
    if (HaveKxCompression()) GTEST_SKIP() << "kxcompression.dll is built";
    WriteFileText(www_ / L"app.dll", "content");
    TestServer server("faultserver.py", www_.path());
    ASSERT_TRUE(server.Ready());
    std::wstring target = out_ / L"app.dll";
    TaskPtr task = StartTask(async_.get(), {server.Url(L"/files/app.dll.zip"), target, true});
    EXPECT_EQ(0, async_->WaitTasks(1));
    EXPECT_EQ(NimboNS::KXHTTP_E_NO_EXTRACTOR, task->GetErrorCode());
    EXPECT_FALSE(FileExists(target));
    EXPECT_TRUE(FileExists(target + L".cfg"));
}

}  // namespace
