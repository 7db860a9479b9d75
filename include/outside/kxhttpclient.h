#pragma once
// Call contract of kxhttpclient.dll, the HTTP(S) download library (built on WinHTTP).
//
// Loading: LoadLibraryW(L"kxhttpclient.dll"); the two factories are exported by these exact names
// and take no arguments:
//   "CreateSyncDownload"  -> ISyncDownload*   (blocking transfers on the calling thread)
//   "CreateAsyncDownload" -> IAsyncDownload*  (a bounded pool of parallel transfers)
// Objects are ended with their own Release, never with delete. Only PODs, const wchar_t* and
// buffers the caller sizes or the library owns cross this boundary; no exception crosses it.
//
// Results: 0 is success. Other results are
//   - WinHTTP error codes as WinHTTP reports them (12002 time-out, 12007 host name not resolved,
//     12029 cannot connect, 12030 connection broken, 12152 invalid answer, ...);
//   - Win32 error codes of the local file work (5 access denied, 80 file exists, 112 disk full, ...);
//   - the library's own codes below.
// Every result has a readable English text (ISyncDownload::GetErrorText, IUpdateDelegate::OnError).
//
// Files on disk while a transfer to `target` runs:
//   target + ".cfg"   the resume record (the library's own text format); its presence means "the
//                     target is not complete". Removed when the target is complete.
//   target + ".kxdl"  the bytes received so far. The target itself is replaced only once the whole
//                     file arrived, so a failed or stopped transfer leaves the previous target alone.
// A file counts as complete when it exists and no resume record lies beside it.
//
// App-file URLs: when the last segment of a URL is the target's file name followed by ".zip"
// (compared without case) and the payload is a zip archive, the payload is the one-file zip the
// publisher wrote; the library unwraps it so that the target receives the file itself. The library
// does this (not the task layer), through kxcompression.dll, loaded by name on first need; without
// kxcompression such a transfer fails with KXHTTP_E_NO_EXTRACTOR. Any other payload (a URL without
// that suffix, or a body that is not a zip) is stored as it is.

#include <cstdint>

namespace NimboNS {

class ICookieManager;  // include/nimbo/icookiemanager.h

// The library's own result codes.
enum : int {
    // DownloadToFile: the transfer broke off after part of the file arrived; the part is kept and the
    // next DownloadToFile of the same URL and path continues it. Each such result means new bytes
    // arrived, so calling again while the result is 18 always ends.
    KXHTTP_E_ISSUE_AGAIN = 18,
    KXHTTP_E_HTTP_STATUS = 13001,   // the server answered with a status other than 2xx (GetStatusCode)
    KXHTTP_E_STOPPED = 13002,       // IAsyncDownload::Stop ended the transfer
    KXHTTP_E_TRUNCATED = 13003,     // the connection closed before the announced length arrived
    KXHTTP_E_BAD_RANGE = 13004,     // a partial answer did not start where the request asked
    KXHTTP_E_NO_EXTRACTOR = 13005,  // kxcompression.dll or its export "CreateExtractor" is missing
    KXHTTP_E_UNWRAP = 13006,        // the archive could not be unpacked
    KXHTTP_E_TOO_LARGE = 13007,     // a body too large for DownloadToMemory (2 GiB or more)
};

// Kinds of IUpdateDelegate::OnPutLog.
enum : int {
    KXHTTP_LOG_END = 0,      // a transfer ended: file = URL, code = last HTTP status, size = file size
    KXHTTP_LOG_RETRY = 1,    // a failed request is tried again: code = its HTTP status (-1: none)
    KXHTTP_LOG_PARTIAL = 2,  // a range request was answered with 206 and the transfer continues
};

// The update run's reporting interface (implemented by ravelin's CUpdateDelegate). The library calls
// only OnOverallProgress, OnItemProgress, OnError and OnPutLog, from its own threads, one call at a
// time, and never after IAsyncDownload::Stop has returned. Texts are valid during the call only.
class IUpdateDelegate {
public:
    virtual ~IUpdateDelegate() = default;
    virtual void Release() = 0;
    virtual void OnStageBegin(int stageCount, int stage, const wchar_t* text, const wchar_t* caption) = 0;
    // a: percent of all bytes of the batch whose size is known; b: received KiB of the batch;
    // c: transfers running now; total: tasks of the batch; done: tasks of the batch that ended.
    virtual void OnOverallProgress(int a, int b, int c, int total, int done) = 0;
    // text: the target path; caption: the URL; percent: 0..100 of the file (0 while unknown).
    virtual void OnItemProgress(const wchar_t* text, const wchar_t* caption, int percent) = 0;
    // file: the URL; code: the HTTP status for KXHTTP_E_HTTP_STATUS, else the result code.
    virtual void OnError(const wchar_t* file, int code, const wchar_t* errorText) = 0;
    virtual void OnPutLog(int kind, const wchar_t* file, int responseCode, long long size) = 0;
    virtual void OnUpdateSucceeded() = 0;
    virtual void OnUpdateFailed() = 0;
    virtual int Unzip(const wchar_t* archivePath, const wchar_t* folder) = 0;
};

// One file to fetch. Configure it, hand it to IAsyncDownload::StartTask, release it after the
// WaitTasks that covers it (releasing earlier is safe: a running transfer keeps what it needs).
class IDownloadTask {
public:
    virtual ~IDownloadTask() = default;
    virtual void Release() = 0;
    virtual void SetUrl(const wchar_t* url) = 0;
    virtual void SetFilePath(const wchar_t* target) = 0;
    // Reads the resume record (target + ".cfg") of an interrupted transfer; 0 when it was read.
    // A resumable task continues the kept bytes with a range request; otherwise it starts over.
    virtual int LoadResumeState(const wchar_t* recordPath) = 0;
    virtual void SetCookieManager(ICookieManager* cookies) = 0;
    // 1: the file is a package; once complete it is unpacked into the task's folder (kxcompression).
    // A package that arrived but could not be unpacked stays complete on disk and the task fails.
    virtual void SetExtract(int extract) = 0;
    virtual void SetFolder(const wchar_t* folder) = 0;
    // 1: an interrupted transfer keeps its bytes and continues with a range request (If-Range with
    // the server's validator); a server that ignores the range or whose file changed starts over.
    virtual void SetResumable(int resumable) = 0;

    // Added by this library after the operations the task layer uses.
    // 0 while running or not started; 1 succeeded; 2 failed; 3 stopped.
    virtual int GetState() = 0;
    virtual int GetErrorCode() = 0;   // 0 or the result code of a failed task
    virtual int GetStatusCode() = 0;  // last HTTP status, -1 when none arrived
};

class IAsyncDownload {
public:
    virtual ~IAsyncDownload() = default;
    virtual void Release() = 0;
    // n > 0: the number of transfers that run at once (default 4, at most 32).
    virtual void SetParameter(int n) = 0;
    virtual void SetDelegate(IUpdateDelegate* delegate) = 0;
    // 0 = queued (it runs as soon as a transfer slot is free); non-zero = refused (no URL or target,
    // already started, or the downloader was stopped).
    virtual int StartTask(IDownloadTask* task) = 0;
    // Waits until `count` of the tasks started since the previous WaitTasks have ended (all of them
    // when fewer were started, which then counts as a failure). Non-zero only when `count` tasks
    // ended and every one succeeded. Returns at once, with 0, after Stop.
    virtual int WaitTasks(int count) = 0;
    // Ends every transfer: queued tasks never start, running ones stop at once (their kept bytes
    // and resume records stay), WaitTasks returns. The downloader refuses new tasks afterwards.
    virtual void Stop() = 0;
    virtual void Control1() = 0;  // pause: running transfers hold after their current read
    virtual void Control2() = 0;  // resume after Control1
    virtual IDownloadTask* CreateTask() = 0;

    // Added by this library after the operations the update run uses.
    // Time-outs in milliseconds for connecting and for each wait for data (0 keeps the current value;
    // defaults 30000 and 30000).
    virtual void SetTimeouts(int connectMs, int receiveMs) = 0;
};

class ISyncDownload {
public:
    virtual ~ISyncDownload() = default;
    virtual void Release() = 0;
    // Accepted for symmetry with IAsyncDownload; a blocking downloader runs one transfer at a time.
    virtual void SetParameter(int n) = 0;
    // Every request carries the store's Cookie header; every Set-Cookie answer goes into the store.
    virtual void SetCookieManager(ICookieManager* cookies) = 0;
    // A 2xx body into a buffer the library allocates (one extra 0 byte follows the body; *size does
    // not count it). Free it with FreeMemory. Any other status is a failure (KXHTTP_E_HTTP_STATUS).
    virtual int DownloadToMemory(const wchar_t* url, void** data, int* size) = 0;
    // A 2xx body into `path`, unwrapped as described above. An existing `path` is replaced only with
    // SetOverwrite(1); otherwise the result is 80 (ERROR_FILE_EXISTS).
    virtual int DownloadToFile(const wchar_t* url, const wchar_t* path) = 0;
    // HTTP status of the last request; -1 when no answer arrived.
    virtual int GetStatusCode() = 0;
    // The English text of the last result (empty after success); valid until the next call.
    virtual void GetErrorText(const wchar_t** text) = 0;
    virtual void FreeMemory(void* buffer) = 0;
    // One HEAD request whose answer is not kept: 0 whenever the server answered, whatever the status.
    virtual int SendRequest(const wchar_t* url) = 0;
    virtual void SetOverwrite(int overwrite) = 0;

    // Added by this library; as IAsyncDownload::SetTimeouts.
    virtual void SetTimeouts(int connectMs, int receiveMs) = 0;
};

using PFN_CreateSyncDownload = ISyncDownload* (*)();
using PFN_CreateAsyncDownload = IAsyncDownload* (*)();

}  // namespace NimboNS
