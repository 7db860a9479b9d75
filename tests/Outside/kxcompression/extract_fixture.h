#pragma once
// Runs extractions and records what the extractor reports.
#include <string>
#include <vector>

#include "extractor.h"
#include "harness.h"

namespace kxtest {

struct Recorder : Compression::IExtractDelegate {
    int OnExtractBegin(const wchar_t*, int count) override {
        begun = count;
        return 0;
    }
    int OnExtractProgress(long long d, long long t) override {
        done = d;
        total = t;
        return 0;
    }
    int OnExtractItemStart(const wchar_t*) override { return 0; }
    int OnExtractItem(int n, const wchar_t* item) override {
        numbers.push_back(n);
        items.push_back(item);
        return 0;
    }
    int OnExtractEnd(int r) override {
        ended = r;
        return 0;
    }
    int OnExtractError(const wchar_t* text) override {
        errors.push_back(text);
        return 0;
    }
    void Release() override {}

    int begun = -1, ended = 0;
    long long done = -1, total = -1;
    std::vector<int> numbers;
    std::vector<std::wstring> items, errors;
};

inline int ExtractWith(Recorder& recorder, const std::wstring& archive, const std::wstring& folder) {
    Compression::IExtractor* extractor = Compression::NewExtractor();
    extractor->SetCallback(&recorder);
    int result = extractor->Extract(archive.c_str(), folder.c_str());
    extractor->Release();
    return result;
}

inline std::wstring Fixture(const std::wstring& name) {
    return nimbo_test::TestsFolder() + L"\\fixtures\\kxcompression\\" + name;
}

// True when the folder holds nothing at all.
inline bool IsEmptyOrMissing(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return true;
    bool empty = true;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") empty = false;
    } while (empty && FindNextFileW(find, &found));
    FindClose(find);
    return empty;
}

}  // namespace kxtest
