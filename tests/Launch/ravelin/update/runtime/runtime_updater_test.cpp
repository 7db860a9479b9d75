// The runtime updater on a private home folder with a downloader double; manifests are read
// through the real kxjson.dll of the bin folder.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <shlobj.h>

#include "../tasks/fake_downloader.h"
#include "catalog/catalog.h"
#include "config/updateconfig.h"
#include "fs/fsutil.h"
#include "runtime/runtimeupdater.h"
#include "scwconv.h"

using namespace NimboNS;
using namespace update_test;

namespace {

struct RtFile {
    std::string name, path, package;
    bool extract = false;
    long long size = 1;
};

std::string Manifest(const std::string& version, const std::vector<RtFile>& files,
                     const std::string& module = "Core") {
    std::string json =
        R"({"version": ")" + version + R"(", "modules": [{"name": ")" + module + R"(", "files": [)";
    for (size_t i = 0; i < files.size(); ++i) {
        const RtFile& f = files[i];
        json += (i ? "," : "") + std::string(R"({"name": ")") + f.name + R"(", "path": ")" + f.path +
                R"(", "packagename": ")" + f.package + R"(", "isneedextract": )" +
                (f.extract ? "true" : "false") + R"(, "size": )" + std::to_string(f.size) +
                R"(, "action": "add", "hashcode": "h"})";
    }
    return json + "]}]}";
}

class Runtime : public testing::Test {
protected:
    CapturingLogView view;
    CUpdateConfig config{&view};
    FakeDownloader downloader;
    RecordingDelegate delegate;
    nimbo_test::TempFolder home;
    std::unique_ptr<CRuntimeUpdater> updater;
    std::wstring folder;

    Runtime() {
        config.homePath = home.path();
        config.baseUrl = L"http://srv";
        config.runtimeVersion = L"1.0";
        config.runtimeModules = {L"Core"};
        config.updateType = SameVersion;
        folder = config.GetRuntimePath();
        NewUpdater();
    }
    void NewUpdater() {
        updater = std::make_unique<CRuntimeUpdater>(&config);
        updater->SetDownloader(&downloader);
        updater->SetDelegate(&delegate);
    }
    void Load(const std::string& manifest) {
        ASSERT_EQ(config.LoadDocumentFromMemory(manifest.data(), static_cast<int>(manifest.size()),
                                                L"manifest.json"),
                  1);
    }
    void Offer(const std::string& relativeUrl, const std::string& body) {
        downloader.served[L"http://srv/NimboPublisher/runtime/1.0/" + Utf8ToWide(relativeUrl)] = body;
    }
    void Write(const std::wstring& relative, const std::string& bytes) {
        const std::wstring path = folder + L"\\" + relative;
        SHCreateDirectoryExW(nullptr, path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
        ASSERT_TRUE(nimbo_test::WriteFileText(path, bytes));
    }
    bool Has(const std::wstring& relative) { return nimbo_test::FileExists(folder + L"\\" + relative); }
    std::vector<std::wstring> Fetched() {
        std::vector<std::wstring> relative;
        for (const std::wstring& target : downloader.StartedTargets())
            relative.push_back(target.substr(folder.size() + 1));
        return relative;
    }
};

TEST_F(Runtime, FreshRuntimeIsFetchedAndASecondRunQueuesNothing) {
    Load(Manifest("1.0", {{"core.dll", ".", ""}, {"t.exe", "tools", ""}, {"sub.dat", "tools\\\\deep", ""}}));
    Offer("core.dll", "core"), Offer("tools/t.exe", "tool"), Offer("tools/deep/sub.dat", "sub");
    ASSERT_EQ(updater->DoUpdate(), 0);
    EXPECT_EQ(Fetched(), (std::vector<std::wstring>{L"core.dll", L"tools\\t.exe", L"tools\\deep\\sub.dat"}));
    EXPECT_EQ(nimbo_test::ReadFileText(folder + L"\\tools\\deep\\sub.dat"), "sub");
    EXPECT_NE(nimbo_test::ReadFileText(folder + L"\\manifest.json").find("\"core.dll\""), std::string::npos);

    NewUpdater();
    downloader.created.clear();
    ASSERT_EQ(updater->DoUpdate(), 0);
    EXPECT_TRUE(downloader.created.empty());
    EXPECT_EQ(downloader.waits, 1);
}

TEST_F(Runtime, SixtyFourBitRuntimeLivesInItsOwnFolder) {
    config.is64Bit = 1;
    folder = config.GetRuntimePath();
    EXPECT_EQ(folder, home / L"Runtime\\1.0\\x64");
    Load(Manifest("1.0", {{"core.dll", ".", ""}}));
    downloader.served[L"http://srv/NimboPublisher/runtime/1.0/x64/core.dll"] = "core64";
    ASSERT_EQ(updater->DoUpdate(), 0);
    EXPECT_EQ(nimbo_test::ReadFileText(folder + L"\\core.dll"), "core64");
}

TEST_F(Runtime, ManifestVersionDifferingInCaseFails) {
    config.runtimeVersion = L"1.0-beta";
    Load(Manifest("1.0-BETA", {{"core.dll", ".", ""}}));
    EXPECT_EQ(updater->DoUpdate(), 1);
    EXPECT_TRUE(downloader.created.empty());
    EXPECT_TRUE(view.Has(GetLocalizedMessage(msg::kRuntimeVersionMismatch)));
}

TEST_F(Runtime, PercentInThePathMeansTheRuntimeFolderItself) {
    Load(Manifest("1.0", {{"odd.dll", "a%20b", ""}}));
    Offer("odd.dll", "odd");
    ASSERT_EQ(updater->DoUpdate(), 0);
    EXPECT_EQ(Fetched(), (std::vector<std::wstring>{L"odd.dll"}));
    EXPECT_TRUE(Has(L"odd.dll"));
}

TEST_F(Runtime, InterruptedFileIsResumed) {
    Load(Manifest("1.0", {{"big.bin", ".", "", false, 3000000}}));
    Write(L"big.bin", "part");
    Write(L"big.bin.cfg", "resume");
    Offer("big.bin", "whole");
    ASSERT_EQ(updater->DoUpdate(), 0);
    ASSERT_EQ(downloader.created.size(), 1u);
    EXPECT_EQ(downloader.created[0]->resumeRecord, folder + L"\\big.bin.cfg");
    EXPECT_EQ(downloader.created[0]->resumable, 1);
}

TEST_F(Runtime, WebViewPackageByFolderAndPackageFile) {
    enum Package { Missing, Interrupted, Whole, OtherSize };
    struct Case {
        const char* name;
        bool folderThere;
        Package package;
        bool fetched, unzipped, packageLeft;
    } cases[] = {
        {"installed, no package", true, Missing, false, false, false},
        {"installed, package interrupted", true, Interrupted, false, false, true},
        {"installed, package whole", true, Whole, false, false, false},
        {"not installed, no package", false, Missing, true, false, true},
        {"not installed, package whole", false, Whole, false, true, true},
        {"not installed, package of another size", false, OtherSize, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewUpdater();
        downloader.created.clear();
        delegate.unzips.clear();
        DeleteTree(folder);
        config.webViewType = 1;
        Load(Manifest("1.0", {{"KxWebView2.zip", "KxWebView2", "", true, 5}}));
        if (c.folderThere) Write(L"KxWebView2\\w.dll", "w");
        if (c.package != Missing) Write(L"KxWebView2.zip", c.package == OtherSize ? "other size" : "12345");
        if (c.package == Interrupted) Write(L"KxWebView2.zip.cfg", "resume");
        Offer("KxWebView2.zip", "12345");
        ASSERT_EQ(updater->DoUpdate(), 0);
        EXPECT_EQ(Fetched(),
                  c.fetched ? std::vector<std::wstring>{L"KxWebView2.zip"} : std::vector<std::wstring>{});
        ASSERT_EQ(delegate.unzips.size(), c.unzipped ? 1u : 0u);
        if (c.unzipped) {
            EXPECT_EQ(delegate.unzips[0], std::make_pair(folder + L"\\KxWebView2.zip", folder));
        }
        EXPECT_EQ(Has(L"KxWebView2.zip"), c.packageLeft);
        if (c.fetched) {
            EXPECT_EQ(downloader.created[0]->extract, 1);
        }
    }
}

TEST_F(Runtime, PackagesByContentAndPackageFile) {
    struct Case {
        const char* name;
        bool contentThere, packageThere, packageWhole;
        bool fetched, unzipped, packageLeft;
    } cases[] = {
        {"all there: package removed", true, true, true, false, false, false},
        {"contents there, no package", true, false, true, false, false, false},
        {"content missing, no package", false, false, true, true, false, true},
        {"content missing, package whole", false, true, true, false, true, true},
        {"content missing, package of another size", false, true, false, true, false, true},
    };
    const std::string manifest = Manifest(
        "1.0",
        {{"Core.zip", ".", "", true, 5}, {"Ostrander.Tessellate.DB.dll", "lib", "Core.zip", false, 1}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewUpdater();
        downloader.created.clear();
        delegate.unzips.clear();
        config.runtimeAssemblies.clear();
        DeleteTree(folder);
        Load(manifest);
        if (c.contentThere) Write(L"lib\\Ostrander.Tessellate.DB.dll", "db");
        if (c.packageThere) Write(L"Core.zip", c.packageWhole ? "12345" : "1234");
        Offer("Core.zip", "12345");
        ASSERT_EQ(updater->DoUpdate(), 0);
        EXPECT_EQ(Fetched(),
                  c.fetched ? std::vector<std::wstring>{L"Core.zip"} : std::vector<std::wstring>{});
        ASSERT_EQ(delegate.unzips.size(), c.unzipped ? 1u : 0u);
        if (c.unzipped) {
            EXPECT_EQ(delegate.unzips[0], std::make_pair(folder + L"\\Core.zip", folder));
        }
        EXPECT_EQ(Has(L"Core.zip"), c.packageLeft);
        EXPECT_EQ(config.runtimeAssemblies, std::vector<std::wstring>{L"Ostrander.Tessellate.Db.dll"});
    }
}

TEST_F(Runtime, WithoutTheDownloadLibraryNothingIsCreated) {
    Load(Manifest("1.0", {{"core.dll", ".", ""}}));
    CRuntimeUpdater bare(&config);
    EXPECT_EQ(bare.DoUpdate(), 1);
    EXPECT_FALSE(nimbo_test::FolderExists(folder));
    EXPECT_TRUE(view.Has(FormatWide(GetLocalizedMessage(msg::kLoadDllFailed), L"kxhttpclient")));
}

TEST(RuntimeNeed, ByStrategyAndReachability) {
    struct Case {
        int startMode, serverReachable, need;
    } cases[] = {{Always, 0, 1}, {Connect, 1, 1}, {Connect, 0, 0}, {Never, 1, 0}, {7, 1, 0}};
    CUpdateConfig config(nullptr);
    CRuntimeUpdater updater(&config);
    for (const Case& c : cases) {
        config.startMode = c.startMode, config.serverReachable = c.serverReachable;
        EXPECT_EQ(updater.NeedUpdate(), c.need) << c.startMode << "/" << c.serverReachable;
    }
}

// A manifest that cannot be fetched: tolerated where the strategy lets the installed runtime run.
TEST(RuntimeLoad, UnreachableManifestByStrategy) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(s);
    struct Case {
        int startMode;
        bool loaded;
    } cases[] = {{Always, false}, {Never, true}, {Connect, true}};
    for (const Case& c : cases) {
        CUpdateConfig config(nullptr);
        ASSERT_NE(config.syncDownloader, nullptr) << "kxhttpclient.dll missing";
        config.syncDownloader->SetTimeouts(2000, 2000);
        config.baseUrl = L"http://127.0.0.1:" + std::to_wstring(ntohs(address.sin_port));
        config.runtimeVersion = L"1.0";
        config.startMode = c.startMode;
        CRuntimeUpdater updater(&config);
        EXPECT_EQ(updater.LoadConfig() == 0, c.loaded) << c.startMode;
    }
}

}  // namespace
