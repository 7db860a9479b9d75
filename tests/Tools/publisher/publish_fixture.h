#pragma once
// A source folder, a deployment folder and the publisher run in-process.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "publish.h"
#include "support.h"

namespace publisher_test {

class PublishFixture : public ::testing::Test {
protected:
    nimbo_test::TempFolder temp;
    std::wstring source = temp / L"src";
    std::wstring deployment = temp / L"dep";
    CollectingReporter reporter;

    void SetUp() override {
        PutFile(source + L"\\App.exe", "MZ program");
        PutFile(source + L"\\bin\\core.dll", "core library");
        PutFile(source + L"\\data\\big.txt", std::string(300000, 'x'));
    }
    std::wstring AppFolder() const { return deployment + L"\\Sales"; }

    // The minimal description with the members of `more` added.
    static std::string Description(const std::string& more = "", const std::string& version = "1.0.0") {
        std::string text = R"({"AppName": "Sales", "Version": ")" + version +
                           R"(", "StartupFile": "App.exe", "RuntimeVersion": "4.1.0")";
        return text + (more.empty() ? "" : ", " + more) + "}";
    }
    NimboNS::publisher::AppPublishResult Publish(const std::string& description,
                                                 const std::wstring& from = L"") {
        PutFile(temp / L"app.json", description);
        NimboNS::publisher::AppPublishRequest request{temp / L"app.json", from.empty() ? source : from,
                                                      deployment};
        return NimboNS::publisher::PublishApp(request, reporter);
    }
    nlohmann::json Config(const std::string& version) const {
        return nlohmann::json::parse(NimboNS::publisher::ReadAppConfig(
            AppFolder() + L"\\" + std::wstring(version.begin(), version.end()) + L"\\appconfig.json.zip"));
    }
    // The record of a file (by Path and Name) in a list of the document.
    static nlohmann::json Find(const nlohmann::json& list, const std::string& path, const std::string& name) {
        for (const auto& r : list)
            if (r["Path"] == path && r["Name"] == name) return r;
        return nullptr;
    }
};

}  // namespace publisher_test
