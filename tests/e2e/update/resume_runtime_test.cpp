// An interrupted large download that the next run resumes with a range request, a runtime shared by
// two apps, and a runtime manifest whose version differs in letter case.
#include <thread>

#include "update_e2e.h"

using namespace update_e2e;

namespace {

// Bytes that deflate cannot shrink, so the app file's zip is as large as the file.
std::string Noise(size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 23);
    }
    return bytes;
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class ResumeAndRuntime : public UpdateE2E {};

TEST_F(ResumeAndRuntime, InterruptedLargeDownloadResumesWithARangeRequest) {
    const std::string big = Noise(4 << 20);
    ASSERT_TRUE(PublishRuntime());
    ASSERT_TRUE(PublishApp("Sales", "1.0", {{L"app.exe", "program"}, {L"big.bin", big}}));
    Serve();
    // Below /slow/ nginx sends whole files at 256 KiB/s and answers range requests at full speed.
    const std::wstring url = AppUrl(L"Sales", L"/slow");
    const std::wstring partial = AppFolder(L"Sales") + L"\\big.bin.kxdl";
    {
        EngineRun first;
        int result = 0;
        std::thread worker([&] { result = first.Update(url); });
        const DWORD start = GetTickCount();
        while (FileSize(partial) < (1 << 20) && GetTickCount() - start < 60000) Sleep(100);
        first.Stop();
        worker.join();
        EXPECT_EQ(result, -4) << first.LogText();
    }
    ASSERT_TRUE(nimbo_test::FileExists(AppFolder(L"Sales") + L"\\big.bin.cfg"));
    const long long kept = FileSize(partial);
    ASSERT_GE(kept, 1 << 20);
    const size_t since = nginx->Log().size();

    EngineRun second;
    ASSERT_EQ(second.Update(url), 0) << second.LogText();
    EXPECT_EQ(second.config.updateType, NimboNS::SameVersion);
    const auto requests = Requests(*nginx, "big.bin.zip", since);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find(" 206 "), std::string::npos) << requests[0];
    EXPECT_NE(requests[0].find("\"bytes=" + std::to_string(kept) + "-\""), std::string::npos) << requests[0];
    EXPECT_TRUE(second.Logged(L"Partial_Content to download the file"));
    EXPECT_TRUE(nimbo_test::ReadFileText(AppFolder(L"Sales") + L"\\big.bin") == big);
    EXPECT_TRUE(FilesEndingIn(AppFolder(L"Sales"), L".cfg").empty());
    EXPECT_TRUE(FilesEndingIn(AppFolder(L"Sales"), L".kxdl").empty());
}

TEST_F(ResumeAndRuntime, RuntimeSharedByTwoAppsIsDownloadedOnce) {
    ASSERT_TRUE(PublishRuntime());
    ASSERT_TRUE(PublishApp("Sales", "1.0", {{L"app.exe", "sales"}}));
    ASSERT_TRUE(PublishApp("Stock", "3.0", {{L"app.exe", "stock"}}));
    Serve();
    for (const wchar_t* name : {L"Sales", L"Stock"}) {
        EngineRun run;
        ASSERT_EQ(run.Update(AppUrl(name)), 0) << run.LogText();
        EXPECT_EQ(nimbo_test::ReadFileText(AppFolder(name) + L"\\Ostrander.Tessellate.Db.dll"),
                  "assembly 1.0");
    }
    for (const char* file : {"/Core.zip", "/tools/tool.exe", "/tools/big.bin"})
        EXPECT_EQ(Requests(*nginx, std::string("/NimboPublisher/runtime/1.0") + file).size(), 1u) << file;
    EXPECT_EQ(Requests(*nginx, "/NimboPublisher/runtime/1.0/manifest.json").size(), 2u);
    EXPECT_EQ(nimbo_test::ReadFileText(RuntimeFolder() + L"\\tools\\tool.exe"), "tool 1.0");
}

TEST_F(ResumeAndRuntime, ManifestVersionDifferingInLetterCaseFails) {
    ASSERT_TRUE(PublishRuntime());
    ASSERT_TRUE(PublishApp("Sales", "1.0", {{L"app.exe", "sales"}}));
    // The app asks for runtime "1.0-rc"; the server's manifest of that folder says "1.0-RC".
    const std::wstring published = deployment / L"NimboPublisher\\runtime\\1.0";
    const std::wstring renamed = deployment / L"NimboPublisher\\runtime\\1.0-rc";
    ASSERT_TRUE(MoveFileW(published.c_str(), renamed.c_str()));
    std::string manifest = nimbo_test::ReadFileText(renamed + L"\\manifest.json");
    ASSERT_TRUE(ReplaceJsonString(manifest, "version", "1.0", "1.0-RC")) << manifest;
    ASSERT_TRUE(nimbo_test::WriteFileText(renamed + L"\\manifest.json", manifest));
    const std::wstring document = deployment / L"Sales\\1.0\\appconfig.json.zip";
    std::string json = DecryptConfigDocument(nimbo_test::ReadFileText(document));
    ASSERT_TRUE(ReplaceJsonString(json, "RuntimeVersion", "1.0", "1.0-rc")) << json;
    ASSERT_TRUE(config_test::WriteConfigDocument(document, json));
    Serve();

    EngineRun run;
    EXPECT_EQ(run.Update(AppUrl(L"Sales")), -3);
    EXPECT_TRUE(run.Logged(NimboNS::GetLocalizedMessage(NimboNS::msg::kRuntimeVersionMismatch)))
        << run.LogText();
    EXPECT_EQ(Requests(*nginx, "/NimboPublisher/runtime/").size(), 1u);  // the manifest only
    EXPECT_FALSE(nimbo_test::FileExists(AppFolder(L"Sales") + L"\\app.exe"));
}

}  // namespace
