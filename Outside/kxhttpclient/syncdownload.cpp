#include "syncdownload.h"

#include "errors.h"
#include "transfer.h"

#include <cstdlib>
#include <cstring>

namespace kxhttp {

using namespace NimboNS;
namespace {

// Blocking transfers retry only a body that broke off; whether to try a server again that did not
// answer is the caller's decision.
RetryPolicy SyncPolicy() {
    RetryPolicy policy;
    policy.maxAttempts = 6;
    policy.maxBarrenFailures = 2;
    policy.retryBeforeBody = false;
    policy.backoffMs = 300;
    return policy;
}

bool Exists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

CSyncDownload::CSyncDownload(Extractor& extractor) : extractor_(extractor) {}

void CSyncDownload::Release() {
    delete this;
}

void CSyncDownload::SetParameter(int) {}

void CSyncDownload::SetCookieManager(NimboNS::ICookieManager* cookies) {
    cookies_ = cookies;
}

void CSyncDownload::SetOverwrite(int overwrite) {
    overwrite_ = overwrite;
}

void CSyncDownload::SetTimeouts(int connectMs, int receiveMs) {
    if (connectMs > 0) timeouts_.connectMs = connectMs;
    if (receiveMs > 0) timeouts_.receiveMs = receiveMs;
}

int CSyncDownload::GetStatusCode() {
    return status_;
}

void CSyncDownload::GetErrorText(const wchar_t** text) {
    if (text) *text = errorText_.c_str();
}

void CSyncDownload::FreeMemory(void* buffer) {
    std::free(buffer);
}

int CSyncDownload::Finish(int code, int status) {
    status_ = status;
    errorText_ = ErrorText(code, status);
    return code;
}

int CSyncDownload::SendRequest(const wchar_t* url) {
    try {
        Url parsed;
        if (int e = ParseUrl(url, parsed)) return Finish(e, -1);
        RequestSpec spec;
        spec.method = L"HEAD";
        spec.cookies = cookies_;
        Request request;
        Answer answer;
        int e = request.Open(session_, parsed, spec, timeouts_, answer);
        return Finish(e, answer.status);
    } catch (...) {
        return Finish(ERROR_NOT_ENOUGH_MEMORY, -1);
    }
}

int CSyncDownload::FetchToMemory(const Url& url, void** data, int* size) {
    RequestSpec spec;
    spec.cookies = cookies_;
    Request request;
    Answer answer;
    if (int e = request.Open(session_, url, spec, timeouts_, answer)) return Finish(e, answer.status);
    if (answer.status < 200 || answer.status > 299) return Finish(KXHTTP_E_HTTP_STATUS, answer.status);
    if (answer.contentLength >= 0x7fffffff) return Finish(KXHTTP_E_TOO_LARGE, answer.status);
    size_t capacity = answer.contentLength > 0 ? static_cast<size_t>(answer.contentLength) : 64 * 1024;
    char* buffer = static_cast<char*>(std::malloc(capacity + 1));
    if (!buffer) return Finish(ERROR_NOT_ENOUGH_MEMORY, answer.status);
    size_t used = 0;
    int e = 0;
    for (;;) {
        if (used == capacity) {
            if (capacity >= 0x3fffffff) {
                e = KXHTTP_E_TOO_LARGE;
                break;
            }
            char* grown = static_cast<char*>(std::realloc(buffer, capacity * 2 + 1));
            if (!grown) {
                e = ERROR_NOT_ENOUGH_MEMORY;
                break;
            }
            buffer = grown;
            capacity *= 2;
        }
        DWORD got = 0;
        if ((e = request.Read(buffer + used, static_cast<DWORD>(capacity - used), got)) != 0 || got == 0)
            break;
        used += got;
    }
    if (e == 0 && answer.contentLength >= 0 && static_cast<long long>(used) != answer.contentLength)
        e = KXHTTP_E_TRUNCATED;
    if (e) {
        std::free(buffer);
        return Finish(e, answer.status);
    }
    buffer[used] = 0;
    *data = buffer;
    *size = static_cast<int>(used);
    return Finish(0, answer.status);
}

int CSyncDownload::DownloadToMemory(const wchar_t* url, void** data, int* size) {
    try {
        if (data == nullptr || size == nullptr) return Finish(ERROR_INVALID_PARAMETER, -1);
        *data = nullptr;
        *size = 0;
        Url parsed;
        if (int e = ParseUrl(url, parsed)) return Finish(e, -1);
        RetryPolicy policy = SyncPolicy();
        int result = 0;
        for (int attempt = 1; attempt <= policy.maxBarrenFailures; ++attempt) {
            result = FetchToMemory(parsed, data, size);
            if (result == 0 || !IsRetryable(result, status_, true, policy) ||
                result == ERROR_WINHTTP_TIMEOUT || result == ERROR_WINHTTP_CANNOT_CONNECT)
                break;
            Sleep(policy.backoffMs);
        }
        return result;
    } catch (...) {
        return Finish(ERROR_NOT_ENOUGH_MEMORY, -1);
    }
}

int CSyncDownload::DownloadToFile(const wchar_t* url, const wchar_t* path) {
    try {
        if (path == nullptr || *path == 0) return Finish(ERROR_INVALID_PARAMETER, -1);
        if (!overwrite_ && Exists(path)) return Finish(ERROR_FILE_EXISTS, -1);
        FileJob job;
        job.url = url ? url : L"";
        job.target = path;
        job.resumable = true;
        job.haveRecord = ReadResumeRecord(RecordPath(job.target), job.record) && job.record.url == job.url;
        job.policy = SyncPolicy();
        job.removeOnFailure = true;
        TransferControl control;
        TransferObserver quiet;
        TransferOutcome outcome = RunFileTransfer(session_, timeouts_, job, control, quiet, extractor_);
        if (outcome.issueAgain) return Finish(KXHTTP_E_ISSUE_AGAIN, outcome.status);
        return Finish(outcome.code, outcome.status);
    } catch (...) {
        return Finish(ERROR_NOT_ENOUGH_MEMORY, -1);
    }
}

}  // namespace kxhttp
