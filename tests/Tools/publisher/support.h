#pragma once
// Small helpers shared by the publisher's tests.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "harness.h"
#include "report.h"

namespace publisher_test {

struct CollectingReporter : NimboNS::publisher::IReporter {
    std::vector<std::string> infos, warnings, errors;
    void Info(const std::string& t) override { infos.push_back(t); }
    void Warning(const std::string& t) override { warnings.push_back(t); }
    void Error(const std::string& t) override { errors.push_back(t); }
    std::string All() const {
        std::string all;
        for (const auto* list : {&infos, &warnings, &errors})
            for (const auto& t : *list) all += t + "\n";
        return all;
    }
};

// Writes a file, creating its folders.
void PutFile(const std::wstring& path, const std::string& bytes);
// Every file below root: relative path ("\" separated) → content.
std::map<std::wstring, std::string> Snapshot(const std::wstring& root);
// Random bytes that do not compress.
std::string RandomBytes(size_t size, unsigned seed);

}  // namespace publisher_test
