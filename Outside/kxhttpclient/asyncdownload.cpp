#include "asyncdownload.h"

#include "errors.h"
#include "http.h"
#include "transfer.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <set>
#include <thread>
#include <vector>

namespace kxhttp {

using namespace NimboNS;

enum TaskState { kPending = 0, kSucceeded = 1, kFailed = 2, kStopped = 3 };

struct TaskData {
    std::mutex lock;  // the settings below, until the task starts
    std::wstring url, target, folder;
    bool resumable = false, extract = false, haveRecord = false, started = false;
    ResumeRecord record;
    NimboNS::ICookieManager* cookies = nullptr;

    std::atomic<int> state{kPending};
    std::atomic<int> error{0};
    std::atomic<int> status{-1};
    TransferControl control;

    // Progress, under the engine's lock.
    long long expected = -1;
    long long have = 0;
    int percent = -1;
};

// A task's state is set once: by its transfer, or by Stop for a task that has not ended yet.
bool SetFinal(TaskData& task, int state) {
    int pending = kPending;
    return task.state.compare_exchange_strong(pending, state);
}

class Engine : public std::enable_shared_from_this<Engine> {
public:
    explicit Engine(Extractor& extractor) : extractor_(extractor) {}

    void SetParallel(int n);
    void SetDelegate(NimboNS::IUpdateDelegate* delegate);
    void SetTimeouts(int connectMs, int receiveMs);
    int Start(const std::shared_ptr<TaskData>& task);
    int Wait(int count);
    void Stop();
    void SetPaused(bool paused);

    // Called by a running transfer.
    void Retry(TaskData& task, int status) { Log(KXHTTP_LOG_RETRY, task.url, status, 0); }
    void Partial(TaskData& task, int status) { Log(KXHTTP_LOG_PARTIAL, task.url, status, 0); }
    void Answered(TaskData& task, long long expected);
    void Progressed(TaskData& task, long long have, long long total);
    void WaitWhilePaused();

private:
    void SpawnWorkers();  // under lock_
    void WorkerLoop();
    void Run(const std::shared_ptr<TaskData>& task);
    void Log(int kind, const std::wstring& url, int status, long long size);
    void ReportOverall(bool force);
    template <typename F>
    void Report(F call);

    Extractor& extractor_;
    Session session_;

    std::mutex lock_;
    std::condition_variable changed_;
    Timeouts timeouts_;
    int parallel_ = 4;
    int workers_ = 0;
    int running_ = 0;
    bool stopped_ = false;
    bool paused_ = false;
    std::deque<std::shared_ptr<TaskData>> queue_;
    std::vector<std::shared_ptr<TaskData>> batch_;  // started since the last WaitTasks, in order
    std::set<std::shared_ptr<TaskData>> active_;
    long long batchExpected_ = 0, batchHave_ = 0;
    DWORD lastOverall_ = 0;

    std::mutex reportLock_;  // one delegate call at a time, none after Stop
    NimboNS::IUpdateDelegate* delegate_ = nullptr;
    bool silenced_ = false;
};

template <typename F>
void Engine::Report(F call) {
    std::lock_guard<std::mutex> hold(reportLock_);
    if (silenced_ || delegate_ == nullptr) return;
    try {
        call(delegate_);
    } catch (...) {
    }
}

void Engine::Log(int kind, const std::wstring& url, int status, long long size) {
    Report([&](NimboNS::IUpdateDelegate* d) { d->OnPutLog(kind, url.c_str(), status, size); });
}

void Engine::SetParallel(int n) {
    if (n <= 0) return;
    std::lock_guard<std::mutex> hold(lock_);
    parallel_ = std::min(n, 32);
    SpawnWorkers();
}

void Engine::SetDelegate(NimboNS::IUpdateDelegate* delegate) {
    std::lock_guard<std::mutex> hold(reportLock_);
    delegate_ = delegate;
}

void Engine::SetTimeouts(int connectMs, int receiveMs) {
    std::lock_guard<std::mutex> hold(lock_);
    if (connectMs > 0) timeouts_.connectMs = connectMs;
    if (receiveMs > 0) timeouts_.receiveMs = receiveMs;
}

void Engine::SetPaused(bool paused) {
    std::lock_guard<std::mutex> hold(lock_);
    paused_ = paused && !stopped_;
    changed_.notify_all();
}

void Engine::WaitWhilePaused() {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return !paused_ || stopped_; });
}

int Engine::Start(const std::shared_ptr<TaskData>& task) {
    {
        std::lock_guard<std::mutex> settings(task->lock);
        if (task->started || task->url.empty() || task->target.empty()) return 1;
        task->started = true;
    }
    std::lock_guard<std::mutex> hold(lock_);
    if (stopped_) {
        SetFinal(*task, kStopped);
        return 1;
    }
    queue_.push_back(task);
    batch_.push_back(task);
    SpawnWorkers();
    return 0;
}

void Engine::SpawnWorkers() {
    while (!stopped_ && workers_ < parallel_ && workers_ < static_cast<int>(queue_.size()) + running_) {
        try {
            std::thread([self = shared_from_this()] { self->WorkerLoop(); }).detach();
            ++workers_;
        } catch (...) {
            break;  // the workers that exist take the queue
        }
    }
}

void Engine::WorkerLoop() {
    try {
        for (;;) {
            std::shared_ptr<TaskData> task;
            {
                std::lock_guard<std::mutex> hold(lock_);
                if (stopped_ || queue_.empty() || workers_ > parallel_) {
                    --workers_;
                    return;
                }
                task = queue_.front();
                queue_.pop_front();
                active_.insert(task);
                ++running_;
            }
            Run(task);
            {
                std::lock_guard<std::mutex> hold(lock_);
                active_.erase(task);
                --running_;
            }
            changed_.notify_all();
            ReportOverall(true);
        }
    } catch (...) {
        std::lock_guard<std::mutex> hold(lock_);
        --workers_;
    }
}

class TaskObserver : public TransferObserver {
public:
    TaskObserver(Engine& engine, TaskData& task) : engine_(engine), task_(task) {}
    void OnRetry(int status) override { engine_.Retry(task_, status); }
    void OnPartial(int status) override { engine_.Partial(task_, status); }
    void OnAnswer(long long expected) override { engine_.Answered(task_, expected); }
    void OnProgress(long long have, long long total) override { engine_.Progressed(task_, have, total); }
    void WaitWhilePaused() override { engine_.WaitWhilePaused(); }

private:
    Engine& engine_;
    TaskData& task_;
};

void Engine::Run(const std::shared_ptr<TaskData>& task) {
    FileJob job;
    {
        std::lock_guard<std::mutex> settings(task->lock);
        job.url = task->url;
        job.target = task->target;
        job.folder = task->folder;
        job.resumable = task->resumable;
        job.extract = task->extract;
        job.haveRecord = task->haveRecord;
        job.record = task->record;
        job.cookies = task->cookies;
    }
    Timeouts timeouts;
    {
        std::lock_guard<std::mutex> hold(lock_);
        timeouts = timeouts_;
    }
    TaskObserver observer(*this, *task);
    TransferOutcome outcome = RunFileTransfer(session_, timeouts, job, task->control, observer, extractor_);
    task->status = outcome.status;
    task->error = outcome.code;
    if (outcome.code == KXHTTP_E_STOPPED || task->control.Cancelled()) {
        SetFinal(*task, kStopped);
        return;
    }
    if (outcome.code == 0) {
        Report([&](NimboNS::IUpdateDelegate* d) {
            d->OnItemProgress(job.target.c_str(), job.url.c_str(), 100);
        });
        Log(KXHTTP_LOG_END, job.url, outcome.status, outcome.size);
        SetFinal(*task, kSucceeded);
    } else {
        int code = outcome.code == KXHTTP_E_HTTP_STATUS ? outcome.status : outcome.code;
        std::wstring text = ErrorText(outcome.code, outcome.status);
        Report([&](NimboNS::IUpdateDelegate* d) { d->OnError(job.url.c_str(), code, text.c_str()); });
        SetFinal(*task, kFailed);
    }
}

void Engine::Answered(TaskData& task, long long expected) {
    std::lock_guard<std::mutex> hold(lock_);
    if (task.expected >= 0) batchExpected_ -= task.expected;
    task.expected = expected;
    if (expected >= 0) batchExpected_ += expected;
}

void Engine::Progressed(TaskData& task, long long have, long long total) {
    int percent = 0;
    bool changed = false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        batchHave_ += have - task.have;
        task.have = have;
        // 100 is reported once, when the file is in place.
        if (total > 0) percent = static_cast<int>(std::min<long long>(99, have * 100 / total));
        changed = percent != task.percent;
        task.percent = percent;
    }
    if (changed)
        Report([&](NimboNS::IUpdateDelegate* d) {
            d->OnItemProgress(task.target.c_str(), task.url.c_str(), percent);
        });
    ReportOverall(false);
}

void Engine::ReportOverall(bool force) {
    int a = 0, b = 0, c = 0, total = 0, done = 0;
    {
        std::lock_guard<std::mutex> hold(lock_);
        DWORD now = GetTickCount();
        if (!force && now - lastOverall_ < 250) return;
        lastOverall_ = now;
        if (batchExpected_ > 0)
            a = static_cast<int>(std::min<long long>(100, batchHave_ * 100 / batchExpected_));
        b = static_cast<int>(std::min<long long>(0x7fffffff, batchHave_ / 1024));
        c = running_;
        total = static_cast<int>(batch_.size());
        for (const auto& t : batch_)
            if (t->state != kPending) ++done;
    }
    Report([&](NimboNS::IUpdateDelegate* d) { d->OnOverallProgress(a, b, c, total, done); });
}

int Engine::Wait(int count) {
    if (count <= 0) return 1;
    std::unique_lock<std::mutex> hold(lock_);
    auto covered = [&] { return std::min<size_t>(static_cast<size_t>(count), batch_.size()); };
    changed_.wait(hold, [&] {
        if (stopped_) return true;
        for (size_t i = 0; i < covered(); ++i)
            if (batch_[i]->state == kPending) return false;
        return true;
    });
    bool all = !stopped_ && static_cast<size_t>(count) <= batch_.size();
    size_t n = stopped_ ? batch_.size() : covered();
    for (size_t i = 0; i < n; ++i) {
        all = all && batch_[i]->state == kSucceeded;
        batchHave_ -= batch_[i]->have;
        if (batch_[i]->expected >= 0) batchExpected_ -= batch_[i]->expected;
    }
    batch_.erase(batch_.begin(), batch_.begin() + n);
    return all ? 1 : 0;
}

void Engine::Stop() {
    std::vector<std::shared_ptr<TaskData>> running;
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopped_ = true;
        paused_ = false;
        for (auto& t : queue_) SetFinal(*t, kStopped);
        queue_.clear();
        running.assign(active_.begin(), active_.end());
    }
    changed_.notify_all();
    for (auto& t : running) {
        t->control.Cancel();
        SetFinal(*t, kStopped);  // a transfer blocked in a read ends for good when the read returns
    }
    {
        std::lock_guard<std::mutex> hold(reportLock_);
        silenced_ = true;
    }
    changed_.notify_all();
}

// ---- CDownloadTask ----

CDownloadTask::CDownloadTask() : data_(std::make_shared<TaskData>()) {}

void CDownloadTask::Release() {
    delete this;
}

#define KX_TASK_SET(field, value)                      \
    do {                                               \
        std::lock_guard<std::mutex> hold(data_->lock); \
        if (!data_->started) data_->field = (value);   \
    } while (0)

void CDownloadTask::SetUrl(const wchar_t* url) {
    KX_TASK_SET(url, std::wstring(url ? url : L""));
}
void CDownloadTask::SetFilePath(const wchar_t* target) {
    KX_TASK_SET(target, std::wstring(target ? target : L""));
}
void CDownloadTask::SetFolder(const wchar_t* folder) {
    KX_TASK_SET(folder, std::wstring(folder ? folder : L""));
}
void CDownloadTask::SetCookieManager(NimboNS::ICookieManager* cookies) {
    KX_TASK_SET(cookies, cookies);
}
void CDownloadTask::SetExtract(int extract) {
    KX_TASK_SET(extract, extract != 0);
}
void CDownloadTask::SetResumable(int resumable) {
    KX_TASK_SET(resumable, resumable != 0);
}

int CDownloadTask::LoadResumeState(const wchar_t* recordPath) {
    ResumeRecord record;
    bool read = false;
    try {
        read = recordPath != nullptr && ReadResumeRecord(recordPath, record);
    } catch (...) {
    }
    std::lock_guard<std::mutex> hold(data_->lock);
    if (data_->started) return 1;
    data_->haveRecord = read;
    data_->record = record;
    return read ? 0 : 1;
}

int CDownloadTask::GetState() {
    return data_->state;
}
int CDownloadTask::GetErrorCode() {
    return data_->state == kPending ? 0 : data_->error.load();
}
int CDownloadTask::GetStatusCode() {
    return data_->status;
}

// ---- CAsyncDownload ----

CAsyncDownload::CAsyncDownload(Extractor& extractor) : engine_(std::make_shared<Engine>(extractor)) {}

CAsyncDownload::~CAsyncDownload() {
    engine_->Stop();
}

void CAsyncDownload::Release() {
    delete this;
}

void CAsyncDownload::SetParameter(int n) {
    try {
        engine_->SetParallel(n);
    } catch (...) {
    }
}

void CAsyncDownload::SetDelegate(NimboNS::IUpdateDelegate* delegate) {
    engine_->SetDelegate(delegate);
}

int CAsyncDownload::StartTask(NimboNS::IDownloadTask* task) {
    auto* ours = dynamic_cast<CDownloadTask*>(task);
    if (ours == nullptr) return 1;
    try {
        return engine_->Start(ours->Data());
    } catch (...) {
        return 1;
    }
}

int CAsyncDownload::WaitTasks(int count) {
    try {
        return engine_->Wait(count);
    } catch (...) {
        return 0;
    }
}

void CAsyncDownload::Stop() {
    engine_->Stop();
}

void CAsyncDownload::Control1() {
    engine_->SetPaused(true);
}

void CAsyncDownload::Control2() {
    engine_->SetPaused(false);
}

NimboNS::IDownloadTask* CAsyncDownload::CreateTask() {
    try {
        return new CDownloadTask();
    } catch (...) {
        return nullptr;
    }
}

void CAsyncDownload::SetTimeouts(int connectMs, int receiveMs) {
    engine_->SetTimeouts(connectMs, receiveMs);
}

}  // namespace kxhttp
