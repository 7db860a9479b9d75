#pragma once
// IAsyncDownload and IDownloadTask: a bounded pool of parallel transfers reporting to the delegate.
#include "outside/kxhttpclient.h"

#include <memory>

namespace kxhttp {

class Extractor;
class Engine;
struct TaskData;

class CDownloadTask : public NimboNS::IDownloadTask {
public:
    CDownloadTask();
    ~CDownloadTask() override = default;
    void Release() override;
    void SetUrl(const wchar_t* url) override;
    void SetFilePath(const wchar_t* target) override;
    int LoadResumeState(const wchar_t* recordPath) override;
    void SetCookieManager(NimboNS::ICookieManager* cookies) override;
    void SetExtract(int extract) override;
    void SetFolder(const wchar_t* folder) override;
    void SetResumable(int resumable) override;
    int GetState() override;
    int GetErrorCode() override;
    int GetStatusCode() override;

    const std::shared_ptr<TaskData>& Data() const { return data_; }

private:
    std::shared_ptr<TaskData> data_;
};

class CAsyncDownload : public NimboNS::IAsyncDownload {
public:
    explicit CAsyncDownload(Extractor& extractor);
    ~CAsyncDownload() override;
    void Release() override;
    void SetParameter(int n) override;
    void SetDelegate(NimboNS::IUpdateDelegate* delegate) override;
    int StartTask(NimboNS::IDownloadTask* task) override;
    int WaitTasks(int count) override;
    void Stop() override;
    void Control1() override;
    void Control2() override;
    NimboNS::IDownloadTask* CreateTask() override;
    void SetTimeouts(int connectMs, int receiveMs) override;

private:
    std::shared_ptr<Engine> engine_;
};

}  // namespace kxhttp
