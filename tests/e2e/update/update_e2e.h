#pragma once
// End-to-end update runs: deployments written by nimbo-publish, served by nginx, and one update
// run on a private home folder, with the real kxhttpclient, kxjson, kxcrypt and kxcompression.
#include <winsock2.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "../../Launch/ravelin/update/replace/folder_snapshot.h"
#include "encrypted_document.h"
#include "published_deployment.h"
#include "update_run.h"
#include "scwconv.h"
#include "testserver.h"

namespace update_e2e {

using update_test::FolderSnapshot;
using update_test::Snapshot;

// Lines of the nginx access log ("METHOD URI STATUS BYTES "RANGE" ...") that contain `part`, from
// byte `since` of the log on.
inline std::vector<std::string> Requests(const nimbo_test::TestServer& server, const std::string& part,
                                         size_t since = 0) {
    std::vector<std::string> lines;
    const std::string log = server.Log();
    size_t start = since;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(start, end - start);
        if (line.find(part) != std::string::npos) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// A deployment folder served by nginx, a private home folder and the files to publish.
class UpdateE2E : public testing::Test {
protected:
    config_test::PrivateHome home;
    nimbo_test::TempFolder deployment;
    nimbo_test::TempFolder work;
    std::unique_ptr<nimbo_test::TestServer> nginx;

    void Serve() {
        nginx = std::make_unique<nimbo_test::TestServer>("nginxserve.py", deployment.path());
        ASSERT_TRUE(nginx->Ready());
    }
    std::wstring AppUrl(const std::wstring& name, const std::wstring& prefix = L"") {
        return nginx->Url(prefix + L"/" + name);
    }
    // Writes `bytes` to `relative` below `folder`, creating folders.
    static void Put(const std::wstring& folder, const std::wstring& relative, const std::string& bytes) {
        const std::wstring path = folder + L"\\" + relative;
        SHCreateDirectoryExW(nullptr, path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
        ASSERT_TRUE(nimbo_test::WriteFileText(path, bytes));
    }
    ::testing::AssertionResult PublishDescription(const std::string& command, const std::string& json,
                                                  const std::wstring& source,
                                                  const std::wstring& extra = L"") {
        static int counter = 0;
        const std::wstring description = work / (L"description" + std::to_wstring(++counter) + L".json");
        nimbo_test::WriteFileText(description, json);
        return config_test::Publish(NimboNS::Utf8ToWide(command) + L" --description " +
                                    nimbo_test::Quote(description) + L" --source " +
                                    nimbo_test::Quote(source) + L" --deployment " +
                                    nimbo_test::Quote(deployment.path()) + extra);
    }
    // The runtime: a module shipped as a package (with a runtime assembly the app folder also needs)
    // and a module of plain files.
    ::testing::AssertionResult PublishRuntime(const std::string& version = "1.0") {
        const std::wstring source = work / (L"runtime-" + NimboNS::Utf8ToWide(version));
        Put(source, L"core\\core.dll", "core library " + version);
        Put(source, L"Ostrander.Tessellate.Db.dll", "assembly " + version);
        Put(source, L"tools\\tool.exe", "tool " + version);
        Put(source, L"tools\\big.bin", std::string(300000, 't'));
        auto published = PublishDescription(
            "runtime",
            R"({"Version": ")" + version +
                R"(", "Bitness": 32, "Modules": [)"
                R"({"Name": "Core", "Files": ["core", "Ostrander.Tessellate.Db.dll"], "Package": "Core.zip"}, {"Name": "Tools", "Files": ["tools"]}]})",
            source);
        if (!published) return published;
        return config_test::Publish(L"launcher --version 1.0.0 --deployment " +
                                    nimbo_test::Quote(deployment.path()));
    }
    // Publishes `version` of `name` from the files `files` (relative path -> bytes); `extra` adds
    // members to the description.
    ::testing::AssertionResult PublishApp(const std::string& name, const std::string& version,
                                          const std::vector<std::pair<std::wstring, std::string>>& files,
                                          const std::string& extra = "") {
        const std::wstring source = work / NimboNS::Utf8ToWide(name + "-" + version);
        for (const auto& [relative, bytes] : files) Put(source, relative, bytes);
        return PublishDescription("app",
                                  R"({"AppName": ")" + name + R"(", "Version": ")" + version +
                                      R"(", "StartupFile": "app.exe", "RuntimeVersion": "1.0",
            "RuntimeModules": ["Core", "Tools"], "OnlineTime": "2000-01-01 00:00:00")" +
                                      extra + "}",
                                  source);
    }
    // Where an app of this deployment lands on this machine.
    std::wstring AppFolder(const std::wstring& name) {
        return home.home.path() + L"\\Applications\\127.0.0.1_" + name;
    }
    std::wstring RuntimeFolder() { return home.home.path() + L"\\Applications\\Runtime\\1.0"; }
};

// An app configuration document as the publisher wrote it, decrypted (empty when it cannot be).
inline std::string DecryptConfigDocument(const std::string& bytes) {
    static HMODULE library = LoadLibraryW(L"kxcrypt.dll");
    auto create = reinterpret_cast<kxcrypt::CreateCrypterObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(library, kxcrypt::kCreateCrypterObject)));
    kxcrypt::ICrypter* crypter = create != nullptr ? create() : nullptr;
    if (crypter == nullptr) return {};
    unsigned char key[16], iv[16];
    NimboNS::cipher::AssembleKeyMaterial(NimboNS::cipher::kConfigConstant, key, iv);
    unsigned char* out = nullptr;
    int size = 0;
    if (crypter->DecryptBuffer(0, reinterpret_cast<const unsigned char*>(bytes.data()),
                               static_cast<int>(bytes.size()), &out, &size, key, 16, iv, 16,
                               kxcrypt::kAlgorithmAes, kxcrypt::kModeCbcPkcs7) != 0)
        return {};
    std::string text(reinterpret_cast<const char*>(out), static_cast<size_t>(size));
    crypter->FreeBuffer(out);
    return text;
}

// Replaces the string value `from` of the first member `key` of a JSON text with `to`.
inline bool ReplaceJsonString(std::string& json, const std::string& key, const std::string& from,
                              const std::string& to) {
    const size_t member = json.find("\"" + key + "\"");
    if (member == std::string::npos) return false;
    const size_t value = json.find("\"" + from + "\"", member + key.size() + 2);
    if (value == std::string::npos || json.find_first_not_of(" \t\r\n:", member + key.size() + 2) != value)
        return false;
    json.replace(value + 1, from.size(), to);
    return true;
}

// Every file below `folder` whose name ends in `suffix`.
// The app files (not the configuration document) that the log since `since` shows were fetched
// below `prefix`, as "GET <uri>", sorted.
inline std::vector<std::string> FetchedBelow(const nimbo_test::TestServer& server, const std::string& prefix,
                                             size_t since) {
    std::vector<std::string> fetched;
    for (const std::string& line : Requests(server, prefix, since)) {
        if (line.find("appconfig.json.zip") == std::string::npos)
            fetched.push_back(line.substr(0, line.find(' ', 4)));
    }
    std::sort(fetched.begin(), fetched.end());
    return fetched;
}

inline std::vector<std::wstring> FilesEndingIn(const std::wstring& folder, const std::wstring& suffix) {
    std::vector<std::wstring> found;
    for (const auto& [relative, bytes] : Snapshot(folder)) {
        if (relative.size() >= suffix.size() &&
            relative.compare(relative.size() - suffix.size(), suffix.size(), suffix) == 0)
            found.push_back(relative);
    }
    return found;
}

}  // namespace update_e2e
