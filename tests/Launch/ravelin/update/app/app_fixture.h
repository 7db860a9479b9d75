#pragma once
// An app updater on a private app folder, with app configuration documents encrypted as the
// publisher writes them (read through the real kxjson and kxcrypt) and the downloader double.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "../replace/folder_snapshot.h"
#include "../tasks/fake_downloader.h"
#include "app/userappupdater.h"
#include "config/updateconfig.h"
#include "encrypted_document.h"
#include "scwconv.h"

namespace update_test {

// JSON strings in these tests hold paths with "\", which JSON writes as "\\".
inline std::string J(const std::string& path) {
    std::string out;
    for (char c : path) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

struct Entry {
    std::string path, name, hash;
    long long size = 0;
    bool extractable = false;
};

inline std::string RecordsJson(const std::vector<Entry>& entries) {
    std::string json = "[";
    for (const Entry& e : entries) {
        if (json.size() > 1) json += ",";
        json += R"({"Path": ")" + J(e.path) + R"(", "Name": ")" + J(e.name) + R"(", "HashCode": ")" + e.hash +
                R"(", "Size": )" + std::to_string(e.size) + R"(, "Extractable": )" +
                (e.extractable ? "true" : "false") + "}";
    }
    return json + "]";
}

// An app configuration document; `extra` adds members (a text starting with ",").
inline std::string AppDocument(const std::string& version, const std::vector<Entry>& files,
                               const std::string& extra = "") {
    return R"({"Version": ")" + version + R"(", "UpdateGuid": "guid-)" + version +
           R"(", "StartupFile": "app.exe", "RuntimeVersion": "1.0", "PredownloadFiles": )" +
           RecordsJson(files) + extra + "}";
}

class AppUpdaterTest : public testing::Test {
protected:
    CapturingLogView view;
    NimboNS::CUpdateConfig config{&view};
    FakeDownloader downloader;
    RecordingDelegate delegate;
    nimbo_test::TempFolder home;
    std::wstring app = home / L"srv_App";
    std::wstring backup = app + L"_backup";
    std::unique_ptr<NimboNS::CUserAppUpdater> updater;

    AppUpdaterTest() {
        config.appPath = app;
        config.appName = L"App";
        config.appUrl = L"http://srv/App";
        config.resumableDownloadFileSize = 2097152;
        NewUpdater();
    }
    void NewUpdater() {
        updater = std::make_unique<NimboNS::CUserAppUpdater>(&config);
        updater->SetDownloader(&downloader);
        updater->SetDelegate(&delegate);
    }

    // The server's document of the chosen version, as LoadServerConfig leaves it.
    void Serve(const std::string& version, const std::string& json, int updateType) {
        const std::string bytes = config_test::EncryptConfigDocument(json);
        ASSERT_FALSE(bytes.empty()) << "kxcrypt.dll missing";
        config.downloadedConfig.assign(bytes.begin(), bytes.end());
        ASSERT_EQ(
            config.LoadDocumentFromMemory(bytes.data(), static_cast<int>(bytes.size()), L"appconfig.json"), 1)
            << json;
        config.version = NimboNS::Utf8ToWide(version);
        config.updateType = updateType;
        config.fullDownload = json.find("\"FullDownload\": true") != std::string::npos;
        ASSERT_EQ(updater->LoadConfig(), 0);
    }
    // The installed version: its document and its files.
    void Install(const std::string& json, const std::vector<std::pair<std::wstring, std::string>>& files) {
        SHCreateDirectoryExW(nullptr, app.c_str(), nullptr);
        ASSERT_TRUE(config_test::WriteConfigDocument(app + L"\\appconfig.json", json));
        for (const auto& [relative, bytes] : files) Write(relative, bytes);
    }
    void Write(const std::wstring& relative, const std::string& bytes) {
        const std::wstring path = app + L"\\" + relative;
        SHCreateDirectoryExW(nullptr, path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
        ASSERT_TRUE(nimbo_test::WriteFileText(path, bytes));
    }
    // What the fake server gives for the file at `relative` of `version`.
    void Offer(const std::string& version, const std::string& relative, const std::string& body) {
        std::string url = "http://srv/App/" + version + "/" + relative + ".zip";
        for (char& c : url)
            if (c == '\\') c = '/';
        downloader.served[NimboNS::Utf8ToWide(url)] = body;
    }
    std::vector<std::wstring> Fetched() const {
        std::vector<std::wstring> relative;
        for (const std::wstring& target : downloader.StartedTargets())
            relative.push_back(target.substr(app.size() + 1));
        return relative;
    }
    std::string Read(const std::wstring& relative) const {
        return nimbo_test::ReadFileText(app + L"\\" + relative);
    }
    bool Has(const std::wstring& relative) const { return nimbo_test::FileExists(app + L"\\" + relative); }
};

}  // namespace update_test
