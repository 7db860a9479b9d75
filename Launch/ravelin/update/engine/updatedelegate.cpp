#include "updatedelegate.h"

#include <string>

#include "plog/Record.h"
#include "replace/extract.h"
#include "tasks/updater.h"
#include "updatedialog.h"
#include "updatemessages.h"

namespace NimboNS {
namespace {

// Stage and item texts are copied; a missing one becomes empty.
const wchar_t* Text(const wchar_t* text) {
    return text != nullptr ? text : L"";
}

}  // namespace

// The library calls these from its own threads: no exception may leave them.

CUpdateDelegate::CUpdateDelegate(CUpdateDialog* dialog)
    : dialog_(dialog), extractDelegate_(new CExtractDelegate) {
    InitializeCriticalSection(&lock_);
}

CUpdateDelegate::~CUpdateDelegate() {
    if (extractDelegate_ != nullptr) extractDelegate_->Release();
    if (compression_ != nullptr) FreeLibrary(compression_);
    DeleteCriticalSection(&lock_);
}

void CUpdateDelegate::Release() {
    delete this;
}

void CUpdateDelegate::OnStageBegin(int stageCount, int stage, const wchar_t* text, const wchar_t* caption) {
    try {
        auto* payload = new StagePayload{Text(text), Text(caption), stageCount, stage};
        dialog_->Post(WM_UPDATE_STAGE, reinterpret_cast<LPARAM>(payload));
    } catch (...) {
    }
}

void CUpdateDelegate::OnOverallProgress(int a, int b, int c, int total, int done) {
    try {
        dialog_->Post(WM_UPDATE_PROGRESS,
                      reinterpret_cast<LPARAM>(new ProgressPayload{a, b, c, total, done}));
    } catch (...) {
    }
}

void CUpdateDelegate::OnItemProgress(const wchar_t* text, const wchar_t* caption, int percent) {
    try {
        auto* payload = new ItemPayload{Text(text), Text(caption), percent};
        dialog_->Post(WM_UPDATE_ITEM, reinterpret_cast<LPARAM>(payload));
    } catch (...) {
    }
}

void CUpdateDelegate::OnError(const wchar_t* file, int code, const wchar_t* errorText) {
    try {
        Log(plog::error, "NimboNS::CUpdateDelegate::OnError", FormatDownloadErrorLine(file, code, errorText));
    } catch (...) {
    }
}

void CUpdateDelegate::OnPutLog(int kind, const wchar_t* file, int responseCode, long long size) {
    try {
        Log(plog::verbose, "NimboNS::CUpdateDelegate::OnPutLog",
            FormatPutLogLine(kind, file, responseCode, size));
    } catch (...) {
    }
}

void CUpdateDelegate::OnUpdateSucceeded() {
    dialog_->Post(WM_CLOSE, 0);
}

void CUpdateDelegate::OnUpdateFailed() {
    dialog_->Post(WM_UPDATE_SHOWLOG, 0);
}

int CUpdateDelegate::Unzip(const wchar_t* archivePath, const wchar_t* folder) {
    // One extraction at a time per run.
    EnterCriticalSection(&lock_);
    int result = 1;
    try {
        result = UnzipArchive(compression_, *extractDelegate_, archivePath, folder,
                              [this](int severity, const std::wstring& line) {
                                  Log(severity, "NimboNS::CUpdateDelegate::Unzip", line);
                              });
    } catch (...) {
        result = 1;
    }
    LeaveCriticalSection(&lock_);
    return result;
}

void CUpdateDelegate::Log(int severity, const char* function, const std::wstring& text) {
    plog::Record record(static_cast<plog::Severity>(severity), function, __LINE__);
    record << text.c_str();
    dialog_->LogView().write(record);
}

}  // namespace NimboNS
