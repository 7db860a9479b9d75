#pragma once
// Test doubles for the interfaces the download library calls back: the cookie store and the update
// delegate. Both record what they were given.
#include "nimbo/icookiemanager.h"
#include "outside/kxhttpclient.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace kxtest {

class CookieStoreDouble : public NimboNS::ICookieManager {
public:
    explicit CookieStoreDouble(std::wstring header) : header_(std::move(header)) {}
    void Release() override {}
    void SetWaitForUpdate(int) override {}
    const wchar_t* GetCookieText() override { return L""; }
    const wchar_t* GetCookieHeader(int includeSecure) override {
        std::lock_guard<std::mutex> hold(lock);
        secureAsked.push_back(includeSecure);
        return header_.c_str();
    }
    const wchar_t* GetSetCookieHeaders() override { return L""; }
    const wchar_t* ExportCookieFile(int) override { return L""; }
    void SetCookieText(const wchar_t*, unsigned int) override {}
    int ParseCookies(const wchar_t*, int) override { return 1; }
    int ParseSetCookies(const wchar_t* text) override {
        std::lock_guard<std::mutex> hold(lock);
        setCookies += text ? text : L"";
        return 1;
    }
    int ImportCookieFile(const wchar_t*) override { return 0; }

    std::mutex lock;
    std::vector<int> secureAsked;
    std::wstring setCookies;

private:
    std::wstring header_;
};

struct LogLine {
    int kind;
    std::wstring file;
    int code;
    long long size;
};

struct ErrorLine {
    std::wstring file;
    int code;
    std::wstring text;
};

class RecordingDelegate : public NimboNS::IUpdateDelegate {
public:
    void Release() override {}
    void OnStageBegin(int, int, const wchar_t*, const wchar_t*) override {}
    void OnOverallProgress(int a, int b, int c, int total, int done) override {
        std::lock_guard<std::mutex> hold(lock);
        ++calls;
        maxRunning = std::max(maxRunning, c);
        lastTotal = total;
        lastDone = done;
    }
    void OnItemProgress(const wchar_t* text, const wchar_t* caption, int percent) override {
        std::lock_guard<std::mutex> hold(lock);
        ++calls;
        if (percent == 100) finishedItems.push_back(text);
        maxPercent = std::max(maxPercent, percent);
    }
    void OnError(const wchar_t* file, int code, const wchar_t* text) override {
        std::lock_guard<std::mutex> hold(lock);
        ++calls;
        errors.push_back({file, code, text});
    }
    void OnPutLog(int kind, const wchar_t* file, int code, long long size) override {
        std::lock_guard<std::mutex> hold(lock);
        ++calls;
        logs.push_back({kind, file, code, size});
    }
    void OnUpdateSucceeded() override {}
    void OnUpdateFailed() override {}
    int Unzip(const wchar_t*, const wchar_t*) override { return 1; }

    int Count(int kind) {
        std::lock_guard<std::mutex> hold(lock);
        return static_cast<int>(
            std::count_if(logs.begin(), logs.end(), [&](const LogLine& l) { return l.kind == kind; }));
    }
    int Calls() {
        std::lock_guard<std::mutex> hold(lock);
        return calls;
    }
    int MaxPercent() {
        std::lock_guard<std::mutex> hold(lock);
        return maxPercent;
    }

    std::mutex lock;
    int calls = 0, maxRunning = 0, lastTotal = 0, lastDone = 0, maxPercent = -1;
    std::vector<std::wstring> finishedItems;
    std::vector<ErrorLine> errors;
    std::vector<LogLine> logs;
};

// Bytes that differ from position to position, so a misplaced piece shows.
inline std::string PatternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(x >> 16);
    }
    return bytes;
}

// Compares file contents without printing megabytes when they differ.
inline testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
    if (expected == actual) return testing::AssertionSuccess();
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    return testing::AssertionFailure() << "expected " << expected.size() << " bytes, got " << actual.size()
                                       << ", first difference at byte " << at;
}

// A loopback port on which nothing listens (bound once to get it, then closed).
int RefusedPort();

}  // namespace kxtest
