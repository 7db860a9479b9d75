#pragma once
// ISyncDownload: blocking transfers on the calling thread.
#include "http.h"
#include "outside/kxhttpclient.h"

#include <string>

namespace kxhttp {

class Extractor;

class CSyncDownload : public NimboNS::ISyncDownload {
public:
    explicit CSyncDownload(Extractor& extractor);
    ~CSyncDownload() override = default;
    void Release() override;
    void SetParameter(int n) override;
    void SetCookieManager(NimboNS::ICookieManager* cookies) override;
    int DownloadToMemory(const wchar_t* url, void** data, int* size) override;
    int DownloadToFile(const wchar_t* url, const wchar_t* path) override;
    int GetStatusCode() override;
    void GetErrorText(const wchar_t** text) override;
    void FreeMemory(void* buffer) override;
    int SendRequest(const wchar_t* url) override;
    void SetOverwrite(int overwrite) override;
    void SetTimeouts(int connectMs, int receiveMs) override;

private:
    int Finish(int code, int status);
    int FetchToMemory(const Url& url, void** data, int* size);

    Extractor& extractor_;
    Session session_;
    Timeouts timeouts_;
    NimboNS::ICookieManager* cookies_ = nullptr;
    int status_ = -1;
    int overwrite_ = 0;
    std::wstring errorText_;
};

}  // namespace kxhttp
