#pragma once
// CUpdateDelegate: how the update worker and the download library report to the progress
// window. It only formats log lines and posts window messages, so it may be called from any
// thread while the window lives on the launch thread.
#include <windows.h>

#include <string>

#include "tasks/iupdatedelegate.h"

namespace NimboNS {

class CUpdateDialog;
class CExtractDelegate;

class CUpdateDelegate : public IUpdateDelegate {
public:
    // `dialog` is not owned; its log view receives the log lines.
    explicit CUpdateDelegate(CUpdateDialog* dialog);
    ~CUpdateDelegate() override;
    CUpdateDelegate(const CUpdateDelegate&) = delete;
    CUpdateDelegate& operator=(const CUpdateDelegate&) = delete;

    void Release() override;
    void OnStageBegin(int stageCount, int stage, const wchar_t* text, const wchar_t* caption) override;
    void OnOverallProgress(int a, int b, int c, int total, int done) override;
    void OnItemProgress(const wchar_t* text, const wchar_t* caption, int percent) override;
    void OnError(const wchar_t* file, int code, const wchar_t* errorText) override;
    void OnPutLog(int kind, const wchar_t* file, int responseCode, long long size) override;
    void OnUpdateSucceeded() override;
    void OnUpdateFailed() override;
    int Unzip(const wchar_t* archivePath, const wchar_t* folder) override;

private:
    void Log(int severity, const char* function, const std::wstring& text);

    CUpdateDialog* dialog_;
    HMODULE compression_ = nullptr;
    CExtractDelegate* extractDelegate_ = nullptr;
    CRITICAL_SECTION lock_;
};

}  // namespace NimboNS
