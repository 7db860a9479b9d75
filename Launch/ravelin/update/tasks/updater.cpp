#include "tasks/updater.h"

#include <cstdarg>
#include <cstdio>
#include <share.h>

#include "catalog/catalog.h"
#include "config/updateconfig.h"
#include "plog/Record.h"

namespace NimboNS {

namespace {

// Formats into a buffer of `Capacity` characters: longer lines are cut, never overrun.
template <size_t Capacity>
std::wstring FormatBounded(const wchar_t* pattern, ...) {
    wchar_t buffer[Capacity] = {};
    va_list args;
    va_start(args, pattern);
    _vsnwprintf(buffer, Capacity - 1, pattern, args);
    va_end(args);
    buffer[Capacity - 1] = L'\0';
    return buffer;
}

const wchar_t* Text(const wchar_t* text) {
    return text != nullptr ? text : L"";
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

CUpdater::CUpdater(CUpdateConfig* config) : config(config) {}

CUpdater::~CUpdater() {
    for (IDownloadTask* task : tasks) task->Release();
    tasks.clear();
}

void CUpdater::Release() {
    delete this;
}

void CUpdater::SetDelegate(IUpdateDelegate* updateDelegate) {
    delegate = updateDelegate;
}

void CUpdater::SetDownloader(IAsyncDownload* asyncDownload) {
    downloader = asyncDownload;
}

int CUpdater::LoadConfig() {
    return 0;
}

int CUpdater::NeedUpdate() {
    return 1;
}

int CUpdater::DoUpdate() {
    return 0;
}

void CUpdater::ForwardControl2() {
    if (downloader != nullptr) downloader->Control2();
}

void CUpdater::Stop() {
    if (downloader != nullptr) downloader->Stop();
}

void CUpdater::ForwardControl1() {
    if (downloader != nullptr) downloader->Control1();
}

int CUpdater::HasDownloader() {
    if (downloader != nullptr) return 1;
    if (config != nullptr)
        config->OutputLog(plog::error, GetLocalizedMessage(msg::kLoadDllFailed), L"kxhttpclient");
    return 0;
}

void CUpdater::LogError(int messageId, const std::wstring& argument) {
    if (config != nullptr) config->OutputLog(plog::error, GetLocalizedMessage(messageId), argument);
}

unsigned long long CUpdater::FileSizeOnDisk(const std::wstring& path) {
    FILE* file = _wfsopen(path.c_str(), L"rb", _SH_DENYNO);
    if (file == nullptr) return 0;
    long long size = 0;
    if (_fseeki64(file, 0, SEEK_END) == 0) size = _ftelli64(file);
    fclose(file);
    return size > 0 ? static_cast<unsigned long long>(size) : 0;
}

int CUpdater::AddDownloadTask(const std::wstring& url, const std::wstring& target, long long expectedSize) {
    if (!HasDownloader()) return 1;
    IDownloadTask* task = downloader->CreateTask();
    if (task == nullptr) return 0;

    const std::wstring record = target + L".cfg";
    if (FileExists(record)) {
        if (config->updateType == AcrossVersion)
            DeleteFileW(record.c_str());
        else
            task->LoadResumeState(record.c_str());
    }
    const size_t slash = record.rfind(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? record : record.substr(0, slash);

    task->SetUrl(url.c_str());
    task->SetFilePath(target.c_str());
    task->SetCookieManager(config->cookieManager);
    task->SetExtract(extract);
    task->SetFolder(folder.c_str());
    // Compared unsigned, as the threshold is: a size the server got wrong (negative) is not resumable.
    if (expectedSize > 0 &&
        static_cast<unsigned long long>(expectedSize) > config->GetResumableDownloadFileSize())
        task->SetResumable(1);

    tasks.push_back(task);
    ++taskCount;
    if (downloader->StartTask(task) != 0) return 1;
    config->OutputLog(plog::verbose, FormatBounded<520>(GetLocalizedMessage(msg::kBeginDownload), url.c_str(),
                                                        static_cast<long>(expectedSize & 0xFFFFFFFF)));
    return 0;
}

int CUpdater::WaitTasks() {
    if (downloader == nullptr) return 0;
    return downloader->WaitTasks(taskCount);
}

std::wstring FormatPutLogLine(int kind, const wchar_t* file, int responseCode, long long size) {
    switch (kind) {
        case 0:
            return FormatBounded<520>(GetLocalizedMessage(msg::kEndDownload), Text(file), responseCode,
                                      static_cast<long>(size & 0xFFFFFFFF));
        case 1:
            return FormatBounded<520>(GetLocalizedMessage(msg::kRetryDownload), Text(file), responseCode);
        case 2:
            return FormatBounded<520>(GetLocalizedMessage(msg::kPartialContent), Text(file), responseCode);
        default:
            return std::wstring();
    }
}

std::wstring FormatDownloadErrorLine(const wchar_t* file, int code, const wchar_t* errorText) {
    return FormatBounded<520>(GetLocalizedMessage(msg::kDownloadFileFailed), Text(file), code,
                              Text(errorText));
}

}  // namespace NimboNS
