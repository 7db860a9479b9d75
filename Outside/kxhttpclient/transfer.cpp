#include "transfer.h"

#include "archive.h"
#include "outside/kxhttpclient.h"

#include <memory>
#include <vector>

namespace kxhttp {

using namespace NimboNS;

void TransferControl::Cancel() {
    std::lock_guard<std::mutex> hold(gate_);
    cancelled_ = true;
    CloseFile();
}

void TransferControl::CloseFile() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

bool TransferControl::Pause(int ms) {
    for (int waited = 0; waited < ms && !Cancelled(); waited += 20) Sleep(20);
    return !Cancelled();
}

bool IsRetryable(int code, int status, bool inBody, const RetryPolicy& policy) {
    switch (code) {
        case KXHTTP_E_TRUNCATED:
        case KXHTTP_E_BAD_RANGE:
        case ERROR_WINHTTP_CONNECTION_ERROR:
        case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
            return true;
        case ERROR_WINHTTP_TIMEOUT:
            return inBody || policy.retryBeforeBody;
        case ERROR_WINHTTP_CANNOT_CONNECT:
        case ERROR_WINHTTP_RESEND_REQUEST:
            return policy.retryBeforeBody;
        case KXHTTP_E_HTTP_STATUS:
            return policy.retryBeforeBody && (status >= 500 || status == 408 || status == 429);
        default:
            return false;
    }
}

namespace {

struct Attempt {
    int code = 0;
    int status = -1;
    bool inBody = false;     // the failure came after the answer's headers
    bool immediate = false;  // retry at once (the part was dropped for a fresh start)
};

class FileTransfer {
public:
    FileTransfer(const Session& session, const Timeouts& timeouts, const FileJob& job,
                 TransferControl& control, TransferObserver& observer, Extractor& extractor)
        : session_(session),
          timeouts_(timeouts),
          job_(job),
          control_(control),
          observer_(observer),
          extractor_(extractor),
          part_(PartPath(job.target)),
          recordPath_(RecordPath(job.target)) {}

    TransferOutcome Run();

private:
    int OpenPart();
    bool Truncate();
    Attempt Try();
    int ReceiveBody(Request& request, long long expected, int status);
    int Finish(int status, long long& size);
    void DropFiles(bool keepPart);

    const Session& session_;
    const Timeouts& timeouts_;
    const FileJob& job_;
    TransferControl& control_;
    TransferObserver& observer_;
    Extractor& extractor_;
    Url url_;
    std::wstring part_, recordPath_;
    ResumeRecord record_;
    long long have_ = 0;
};

long long FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int OpenPartFile(const std::wstring& path, HANDLE& file) {
    file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return file == INVALID_HANDLE_VALUE ? static_cast<int>(GetLastError()) : 0;
}

int FolderOf(const std::wstring& path, std::wstring& folder) {
    size_t slash = path.find_last_of(L"\\/");
    folder = slash == std::wstring::npos ? L"." : path.substr(0, slash);
    return 0;
}

// Writes the resume record, opens the part file and sets its end at have_ (under the gate).
int FileTransfer::OpenPart() {
    std::lock_guard<std::mutex> hold(control_.Gate());
    if (control_.Cancelled()) return KXHTTP_E_STOPPED;
    if (!WriteResumeRecord(recordPath_, record_))
        return static_cast<int>(GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
    int e = OpenPartFile(part_, control_.File());
    if (e) return e;
    LARGE_INTEGER at;
    at.QuadPart = have_;
    if (!SetFilePointerEx(control_.File(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(control_.File()))
        return static_cast<int>(GetLastError());
    return 0;
}

// Starts the part over from its first byte (under the gate).
bool FileTransfer::Truncate() {
    std::lock_guard<std::mutex> hold(control_.Gate());
    if (control_.Cancelled() || control_.File() == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER zero{};
    have_ = 0;
    return SetFilePointerEx(control_.File(), zero, nullptr, FILE_BEGIN) && SetEndOfFile(control_.File());
}

TransferOutcome FileTransfer::Run() {
    TransferOutcome outcome;
    if (int e = ParseUrl(job_.url.c_str(), url_)) {
        outcome.code = e;
        return outcome;
    }
    // Keep earlier bytes only when the task may resume and the record tells what they belong to.
    record_.url = job_.url;
    if (job_.resumable && job_.haveRecord) {
        long long kept = FileSizeOf(part_);
        bool known =
            !job_.record.validator.empty() || (job_.record.url == job_.url && job_.record.length > 0);
        if (kept > 0 && known && (job_.record.length < 0 || kept <= job_.record.length)) {
            have_ = kept;
            record_ = job_.record;
            record_.url = job_.url;
        }
    }
    if (int e = OpenPart()) {
        outcome.code = e;
        if (e != KXHTTP_E_STOPPED && job_.removeOnFailure) {
            std::lock_guard<std::mutex> hold(control_.Gate());
            DropFiles(false);
        }
        return outcome;
    }

    int barren = 0, backoff = job_.policy.backoffMs;
    Attempt last;
    for (int attempt = 1;; ++attempt) {
        long long before = have_;
        last = Try();
        if (control_.Cancelled()) last.code = KXHTTP_E_STOPPED;
        if (last.code != KXHTTP_E_STOPPED && last.code != 0 && !job_.resumable && have_ > 0) Truncate();
        if (last.code == 0 || last.code == KXHTTP_E_STOPPED) break;
        barren = have_ > before ? 0 : barren + 1;
        if (barren == 0) backoff = job_.policy.backoffMs;  // the server is delivering: no need to wait long
        if (!IsRetryable(last.code, last.status, last.inBody, job_.policy) ||
            barren >= job_.policy.maxBarrenFailures)
            break;
        if (attempt >= job_.policy.maxAttempts) {
            outcome.issueAgain = barren == 0 && job_.resumable;
            break;
        }
        observer_.OnRetry(last.status);
        if (!last.immediate) {
            if (!control_.Pause(backoff)) {
                last.code = KXHTTP_E_STOPPED;
                break;
            }
            backoff = backoff < 8000 ? backoff * 2 : backoff;
        }
    }
    outcome.status = last.status;
    outcome.code = last.code;
    if (last.code == 0) outcome.code = Finish(last.status, outcome.size);
    if (outcome.code != 0 && outcome.code != KXHTTP_E_STOPPED) {
        std::lock_guard<std::mutex> hold(control_.Gate());
        control_.CloseFile();
        if (!control_.Cancelled() && !outcome.issueAgain) {
            if (job_.removeOnFailure)
                DropFiles(false);
            else if (!job_.resumable)
                DropFiles(true);
        }
    }
    return outcome;
}

// Deletes the part file, and the record too unless `keepRecord` (under the gate).
void FileTransfer::DropFiles(bool keepRecord) {
    control_.CloseFile();
    DeleteFileW(part_.c_str());
    if (!keepRecord) DeleteFileW(recordPath_.c_str());
}

Attempt FileTransfer::Try() {
    Attempt result;
    RequestSpec spec;
    spec.cookies = job_.cookies;
    if (have_ > 0) {
        spec.rangeFrom = have_;
        spec.ifRange = record_.validator;
    }
    Request request;
    Answer answer;
    result.code = request.Open(session_, url_, spec, timeouts_, answer);
    result.status = answer.status;
    if (result.code) return result;
    int status = answer.status;
    long long expected = answer.contentLength;
    if (status == 416 && have_ > 0) {
        // The kept bytes no longer fit the file: start over.
        result.code = Truncate() ? KXHTTP_E_BAD_RANGE : KXHTTP_E_STOPPED;
        result.immediate = true;
        return result;
    }
    if (status < 200 || status > 299) {
        result.code = KXHTTP_E_HTTP_STATUS;
        return result;
    }
    std::wstring validator = !answer.etag.empty() ? answer.etag : answer.lastModified;
    if (status == 206) {
        long long total = answer.rangeTotal >= 0 ? answer.rangeTotal
                          : expected >= 0        ? answer.rangeStart + expected
                                                 : -1;
        bool changed = record_.length >= 0 && total >= 0 && total != record_.length;
        if (have_ == 0 || answer.rangeStart != have_ || changed) {
            result.code = Truncate() ? KXHTTP_E_BAD_RANGE : KXHTTP_E_STOPPED;
            result.immediate = true;
            return result;
        }
        observer_.OnPartial(status);
        expected = total;
    } else if (have_ > 0 && !Truncate()) {
        // A whole body although a range was asked for (range ignored or file changed): start over.
        result.code = KXHTTP_E_STOPPED;
        return result;
    }
    if (record_.validator != validator || record_.length != expected) {
        record_.validator = validator;
        record_.length = expected;
        std::lock_guard<std::mutex> hold(control_.Gate());
        if (!control_.Cancelled()) WriteResumeRecord(recordPath_, record_);
    }
    observer_.OnAnswer(expected);
    result.code = ReceiveBody(request, expected, status);
    result.inBody = result.code != 0;
    return result;
}

int FileTransfer::ReceiveBody(Request& request, long long expected, int status) {
    constexpr DWORD kChunk = 1024 * 1024;
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    observer_.OnProgress(have_, expected);
    for (;;) {
        observer_.WaitWhilePaused();
        if (control_.Cancelled()) return KXHTTP_E_STOPPED;
        DWORD got = 0;
        if (int e = request.Read(buffer.get(), kChunk, got)) return e;
        if (got == 0) break;
        {
            std::lock_guard<std::mutex> hold(control_.Gate());
            if (control_.Cancelled()) return KXHTTP_E_STOPPED;
            DWORD written = 0;
            if (!WriteFile(control_.File(), buffer.get(), got, &written, nullptr) || written != got)
                return static_cast<int>(GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
        }
        have_ += got;
        observer_.OnProgress(have_, expected);
        if (expected >= 0 && have_ > expected) return KXHTTP_E_TRUNCATED;
    }
    if (expected >= 0 && have_ != expected) return KXHTTP_E_TRUNCATED;
    return 0;
}

// The whole payload is in the part file: put it in place, drop the record, unpack when asked.
int FileTransfer::Finish(int status, long long& size) {
    std::lock_guard<std::mutex> hold(control_.Gate());
    if (control_.Cancelled()) return KXHTTP_E_STOPPED;
    control_.CloseFile();
    int result = 0;
    if (IsWrappedName(url_.lastSegment, job_.target) && LooksLikeZip(part_)) {
        result = UnwrapSingleFile(extractor_, part_, job_.target);
        if (result == 0) DeleteFileW(part_.c_str());
    } else if (!MoveFileExW(part_.c_str(), job_.target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        result = static_cast<int>(GetLastError());
    }
    if (result) return result;
    DeleteFileW(recordPath_.c_str());
    size = FileSizeOf(job_.target);
    if (job_.extract) {
        std::wstring folder = job_.folder;
        if (folder.empty()) FolderOf(job_.target, folder);
        result = extractor_.Extract(job_.target, folder);
    }
    return result;
}

}  // namespace

TransferOutcome RunFileTransfer(const Session& session, const Timeouts& timeouts, const FileJob& job,
                                TransferControl& control, TransferObserver& observer, Extractor& extractor) {
    FileTransfer transfer(session, timeouts, job, control, observer, extractor);
    return transfer.Run();
}

}  // namespace kxhttp
