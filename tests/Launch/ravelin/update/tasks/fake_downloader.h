#pragma once
// A downloader double for the updaters: it records every task and what the updater configured,
// and on WaitTasks "transfers" each started task by writing the content the test served for its
// URL into the target (removing the resume record), the way the real library leaves files.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "harness.h"
#include "log/logview.h"
#include "tasks/iupdatedelegate.h"

namespace update_test {

struct FakeTask : NimboNS::IDownloadTask {
    std::vector<std::string> calls;  // operation names in call order
    std::wstring url, target, resumeRecord, folder;
    NimboNS::ICookieManager* cookies = nullptr;
    int extract = -1, resumable = 0, started = 0, released = 0;

    void Release() override { released++; }
    void SetUrl(const wchar_t* u) override { calls.push_back("SetUrl"), url = u; }
    void SetFilePath(const wchar_t* t) override { calls.push_back("SetFilePath"), target = t; }
    int LoadResumeState(const wchar_t* r) override {
        calls.push_back("LoadResumeState"), resumeRecord = r;
        return 0;
    }
    void SetCookieManager(NimboNS::ICookieManager* c) override {
        calls.push_back("SetCookieManager"), cookies = c;
    }
    void SetExtract(int e) override { calls.push_back("SetExtract"), extract = e; }
    void SetFolder(const wchar_t* f) override { calls.push_back("SetFolder"), folder = f; }
    void SetResumable(int r) override { calls.push_back("SetResumable"), resumable = r; }
    int GetState() override { return 0; }
    int GetErrorCode() override { return 0; }
    int GetStatusCode() override { return 200; }
};

class FakeDownloader : public NimboNS::IAsyncDownload {
public:
    // What the fake server holds: URL -> body. A URL it does not hold fails its task.
    std::map<std::wstring, std::string> served;
    bool failCreate = false;
    int refuseStartAfter = -1;  // refuse every StartTask once this many were accepted
    int stops = 0, control1 = 0, control2 = 0, waits = 0;
    std::vector<std::unique_ptr<FakeTask>> created;

    void Release() override {}
    void SetParameter(int) override {}
    void SetDelegate(NimboNS::IUpdateDelegate*) override {}
    int StartTask(NimboNS::IDownloadTask* task) override {
        if (refuseStartAfter >= 0 && StartedCount() >= refuseStartAfter) return 1;
        static_cast<FakeTask*>(task)->started = 1;
        pending_.push_back(static_cast<FakeTask*>(task));
        return 0;
    }
    int WaitTasks(int count) override {
        ++waits;
        bool ok = count == static_cast<int>(pending_.size());
        for (FakeTask* task : pending_) {
            auto body = served.find(task->url);
            if (body == served.end()) {
                nimbo_test::WriteFileText(task->target + L".cfg", "resume");
                ok = false;
                continue;
            }
            nimbo_test::WriteFileText(task->target, body->second);
            DeleteFileW((task->target + L".cfg").c_str());
        }
        pending_.clear();
        return ok ? 1 : 0;
    }
    void Stop() override { ++stops; }
    void Control1() override { ++control1; }
    void Control2() override { ++control2; }
    NimboNS::IDownloadTask* CreateTask() override {
        if (failCreate) return nullptr;
        created.push_back(std::make_unique<FakeTask>());
        return created.back().get();
    }
    void SetTimeouts(int, int) override {}

    int StartedCount() const {
        int n = 0;
        for (const auto& task : created) n += task->started;
        return n;
    }
    // The targets of the started tasks, in order.
    std::vector<std::wstring> StartedTargets() const {
        std::vector<std::wstring> targets;
        for (const auto& task : created)
            if (task->started) targets.push_back(task->target);
        return targets;
    }
    const FakeTask* TaskFor(const std::wstring& target) const {
        for (const auto& task : created)
            if (task->target == target) return task.get();
        return nullptr;
    }

private:
    std::vector<FakeTask*> pending_;
};

// An update delegate that unpacks with the real kxcompression (when asked) and records the calls.
class RecordingDelegate : public NimboNS::IUpdateDelegate {
public:
    std::vector<std::pair<std::wstring, std::wstring>> unzips;  // archive, folder
    int unzipResult = 0;

    void Release() override {}
    void OnStageBegin(int, int, const wchar_t*, const wchar_t*) override {}
    void OnOverallProgress(int, int, int, int, int) override {}
    void OnItemProgress(const wchar_t*, const wchar_t*, int) override {}
    void OnError(const wchar_t*, int, const wchar_t*) override {}
    void OnPutLog(int, const wchar_t*, int, long long) override {}
    void OnUpdateSucceeded() override {}
    void OnUpdateFailed() override {}
    int Unzip(const wchar_t* archive, const wchar_t* folder) override {
        unzips.emplace_back(archive, folder);
        return unzipResult;
    }
};

// A log view that also keeps every line in memory.
class CapturingLogView : public NimboNS::CLogView {
public:
    std::vector<std::wstring> lines;
    void write(const plog::Record& record) override {
        lines.push_back(record.getMessage());
        CLogView::write(record);
    }
    bool Has(const std::wstring& line) const {
        for (const std::wstring& l : lines)
            if (l == line) return true;
        return false;
    }
    bool HasPart(const std::wstring& part) const {
        for (const std::wstring& l : lines)
            if (l.find(part) != std::wstring::npos) return true;
        return false;
    }
};

}  // namespace update_test
