#pragma once
// One URL into one file: the part file and resume record, range requests, retries, the final move
// (or unwrap) into the target and the optional unpacking of a package.
#include "http.h"
#include "resumerecord.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

namespace kxhttp {

class Extractor;

// Shared between a transfer and whoever may stop it. Every change to the transfer's files happens
// under `gate`, and Cancel takes the gate too: once Cancel returns, the transfer touches no file.
class TransferControl {
public:
    ~TransferControl() { CloseFile(); }
    void Cancel();
    bool Cancelled() const { return cancelled_.load(); }
    std::mutex& Gate() { return gate_; }
    // Under the gate only.
    HANDLE& File() { return file_; }
    void CloseFile();
    // Sleeps up to `ms`, waking early when cancelled; false when cancelled.
    bool Pause(int ms);

private:
    std::mutex gate_;
    std::atomic<bool> cancelled_{false};
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    virtual void OnRetry(int status) {}
    virtual void OnPartial(int status) {}
    virtual void OnAnswer(long long expectedTotal) {}
    virtual void OnProgress(long long have, long long total) {}
    virtual void WaitWhilePaused() {}
};

struct RetryPolicy {
    int maxAttempts = 10;         // attempts of one transfer in all
    int maxBarrenFailures = 4;    // failed attempts in a row that brought no new bytes
    bool retryBeforeBody = true;  // also retry connect failures, time-outs and 5xx answers
    int backoffMs = 500;          // doubled after each failure
};

struct FileJob {
    std::wstring url;
    std::wstring target;
    bool resumable = false;
    bool haveRecord = false;  // `record` came from LoadResumeState
    ResumeRecord record;
    NimboNS::ICookieManager* cookies = nullptr;
    bool extract = false;
    std::wstring folder;
    RetryPolicy policy;
    bool removeOnFailure = false;  // drop the part file and record after a failure
};

struct TransferOutcome {
    int code = 0;
    int status = -1;
    long long size = 0;       // size of the target after success
    bool issueAgain = false;  // the attempts ran out while bytes were still arriving; all is kept
};

TransferOutcome RunFileTransfer(const Session& session, const Timeouts& timeouts, const FileJob& job,
                                TransferControl& control, TransferObserver& observer, Extractor& extractor);

// Paths of the files beside a target.
inline std::wstring PartPath(const std::wstring& target) {
    return target + L".kxdl";
}
inline std::wstring RecordPath(const std::wstring& target) {
    return target + L".cfg";
}

// Failures worth another attempt; `beforeBody` ones only when the policy says so.
bool IsRetryable(int code, int status, bool inBody, const RetryPolicy& policy);

}  // namespace kxhttp
