#pragma once
// CUpdater: the base of the launcher, runtime and app updaters. It holds what they share (the
// update configuration, the run's parallel downloader, the update delegate) and the download
// tasks it started; AddDownloadTask turns "fetch this URL into this file" into a started task
// that may resume an interrupted transfer.
#include <string>
#include <vector>

#include "tasks/iupdatedelegate.h"

namespace NimboNS {

class CUpdateConfig;

class CUpdater {
public:
    explicit CUpdater(CUpdateConfig* config);
    // Releases every task it started.
    virtual ~CUpdater();
    CUpdater(const CUpdater&) = delete;
    CUpdater& operator=(const CUpdater&) = delete;

    virtual void Release();
    virtual void SetDelegate(IUpdateDelegate* delegate);
    virtual void SetDownloader(IAsyncDownload* downloader);
    virtual int LoadConfig();  // 0 = ready
    virtual int NeedUpdate();  // 1 = DoUpdate has work to do
    virtual int DoUpdate();    // 0 = done
    // Pass-throughs to the downloader (nothing happens without one).
    virtual void ForwardControl2();
    virtual void Stop();
    virtual void ForwardControl1();

    // 0: the task started, or the downloader could not create one (the file is skipped);
    // 1: the downloader refused to start it, or there is no downloader (logged).
    int AddDownloadTask(const std::wstring& url, const std::wstring& target, long long expectedSize);
    // Waits for every task started by this updater; 0 when any failed.
    int WaitTasks();
    int TaskCount() const { return taskCount; }

    // The launcher updater's must-update flag; nothing sets it (read by the orchestrator).
    int mustUpdate = 0;

protected:
    // 1 with the downloader present; otherwise logs that kxhttpclient is missing and gives 0. Every
    // DoUpdate that transfers checks this first, so a run without the library fails before it
    // changes anything.
    int HasDownloader();
    // Size on disk of a file; 0 when it cannot be opened.
    static unsigned long long FileSizeOnDisk(const std::wstring& path);
    // Logs `format` (a catalogue text with one %s) with `argument` at error severity.
    void LogError(int messageId, const std::wstring& argument);

    int extract = 0;  // handed to the next task's SetExtract
    CUpdateConfig* config = nullptr;
    IAsyncDownload* downloader = nullptr;
    std::vector<IDownloadTask*> tasks;
    int taskCount = 0;
    IUpdateDelegate* delegate = nullptr;
};

// Texts of the download library's reports, as the update delegate logs them (at most 519
// characters each). Kind 0 end, 1 retry, 2 partial content; any other kind gives an empty line.
std::wstring FormatPutLogLine(int kind, const wchar_t* file, int responseCode, long long size);
std::wstring FormatDownloadErrorLine(const wchar_t* file, int code, const wchar_t* errorText);

}  // namespace NimboNS
