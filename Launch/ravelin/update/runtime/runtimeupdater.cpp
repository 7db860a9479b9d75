#include "runtime/runtimeupdater.h"

#include <shlobj.h>

#include "catalog/catalog.h"
#include "config/pathjoin.h"
#include "config/updateconfig.h"
#include "fs/fsutil.h"
#include "nimbo/names.h"
#include "plog/Record.h"
#include "scwconv.h"

namespace NimboNS {

namespace {

constexpr unsigned long long kFourGiB = 4ULL << 30;
constexpr wchar_t kWebViewFolder[] = L"KxWebView2";
constexpr wchar_t kWebViewPackage[] = L"KxWebView2.zip";

bool Exists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDot(const wchar_t* path) {
    return wcscmp(path, L".") == 0;
}

// Folder joined with the record's Path, unless the path is empty, "." or (where `webViewToo`) the
// web view's folder, then with its Name.
std::wstring JoinRecord(const std::wstring& folder, const RuntimeFileRecord& record, bool webViewToo) {
    const bool skipPath = record.Path[0] == L'\0' || IsDot(record.Path) ||
                          (webViewToo && _wcsicmp(record.Path, kWebViewFolder) == 0);
    return JoinPath(skipPath ? folder : JoinPath(folder, record.Path), record.Name);
}

std::wstring ParentFolder(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

CRuntimeUpdater::CRuntimeUpdater(CUpdateConfig* config) : CUpdater(config) {}

int CRuntimeUpdater::LoadConfig() {
    const std::wstring url = config->GetRuntimeManifestUrl();
    void* data = nullptr;
    int size = 0;
    if (int r = config->DownloadConfig(url, &data, &size)) {
        if (config->startMode == Never || (config->startMode == Connect && !config->serverReachable))
            return 0;
        return r;
    }
    const int loaded = config->LoadDocumentFromMemory(data, size, names::kRuntimeManifestJson);
    if (data != nullptr && config->syncDownloader != nullptr) config->syncDownloader->FreeMemory(data);
    if (loaded != 1) {
        LogError(msg::kParseConfigFailed, url);
        return 1;
    }
    return 0;
}

int CRuntimeUpdater::NeedUpdate() {
    if (config->startMode == Always) return 1;
    if (config->startMode == Connect) return config->serverReachable ? 1 : 0;
    return 0;
}

int CRuntimeUpdater::DoUpdate() {
    if (!HasDownloader()) return 1;
    if (int r = PrepareRuntimeFolder()) return r;
    if (int r = QueueRuntimeModules()) return r;
    if (taskCount > 0 && WaitTasks() == 0) return 1;
    return 0;
}

int CRuntimeUpdater::PrepareRuntimeFolder() {
    if (config->CheckManifestRuntimeVersion() == 0) return 1;
    const std::wstring folder = config->GetRuntimePath();
    const std::wstring copy = FormatWide(L"%s\\%s", folder.c_str(), names::kRuntimeManifestJson);
    if (Exists(copy)) {
        DeleteFileW(copy.c_str());
    } else if (!Exists(folder) &&
               (folder.empty() || SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) != ERROR_SUCCESS)) {
        LogError(msg::kCreateDirectoryFailed, folder);
        return 1;
    }
    if (!HasAccess(folder, GENERIC_WRITE)) {
        LogError(msg::kNoReadWritePermission, folder);
        return 1;
    }
    kxjson::JsonText text = nullptr;
    kxjson::JsonNode saved = nullptr;
    kxjson::IJsonGenerator* generator = config->jsonGenerator;
    if (config->manifestParser == nullptr || generator == nullptr ||
        config->manifestParser->GetText(config->manifestRoot, &text) != 1 ||
        generator->LoadText(text, &saved) == 0 || generator->SaveToFile(copy.c_str(), 1, 0) == 0) {
        LogError(msg::kSaveConfigFailed, copy);
        return 1;
    }
    return 0;
}

int CRuntimeUpdater::QueueRuntimeModules() {
    for (const std::wstring& module : config->runtimeModules) {
        std::vector<RuntimeFileRecord> records;
        // A record the configuration refused (an unsafe path) fails the runtime: it is logged there.
        if (config->ReadModuleFiles(module, records) != 1) return 1;
        for (RuntimeFileRecord& record : records) {
            int r = 0;
            if (!record.Extract) {
                if (!IsRuntimeFileComplete(record)) r = QueueRuntimeFile(record);
            } else {
                r = CheckRuntimePackage(record);
            }
            if (r != 0) return r;
        }
    }
    return 0;
}

std::wstring CRuntimeUpdater::RecordUrl(const RuntimeFileRecord& record) {
    std::wstring url = JoinRecord(config->GetRuntimeServerFolder(), record, true);
    for (wchar_t& c : url)
        if (c == L'\\') c = L'/';
    return url;
}

std::wstring CRuntimeUpdater::RecordTarget(const RuntimeFileRecord& record) {
    return JoinRecord(config->GetRuntimePath(), record, true);
}

std::wstring CRuntimeUpdater::RecordCheckPath(const RuntimeFileRecord& record) {
    return JoinRecord(config->GetRuntimePath(), record, false);
}

int CRuntimeUpdater::IsRuntimeFileComplete(RuntimeFileRecord& record) {
    if (wcschr(record.Path, L'%') != nullptr) CopyField(record.Path, L".");
    const std::wstring path = RecordCheckPath(record);
    return Exists(path) && !Exists(path + L".cfg") ? 1 : 0;
}

int CRuntimeUpdater::QueueRuntimeFile(const RuntimeFileRecord& record) {
    queued.push_back(record);
    const std::wstring target = RecordTarget(record);
    const std::wstring folder = ParentFolder(target);
    if (folder.empty() ||
        (!Exists(folder) && SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) != ERROR_SUCCESS)) {
        LogError(msg::kCreateDirectoryFailed, folder);
        return 1;
    }
    extract = record.Extract;
    return AddDownloadTask(RecordUrl(record), target, record.Size);
}

int CRuntimeUpdater::CheckRuntimePackage(const RuntimeFileRecord& record) {
    // The completeness check may rewrite the path (a "%" in it): queue what was checked.
    RuntimeFileRecord package = record;
    const std::wstring folder = config->GetRuntimePath();
    const bool sizeKnown = package.Size >= 0 && static_cast<unsigned long long>(package.Size) < kFourGiB;
    auto unzipOrQueue = [&](const std::wstring& file) {
        if (sizeKnown && static_cast<unsigned long long>(package.Size) == FileSizeOnDisk(file))
            return delegate != nullptr ? delegate->Unzip(file.c_str(), folder.c_str()) : 1;
        return QueueRuntimeFile(package);
    };

    if (config->webViewType > 0 && _wcsicmp(package.Name, kWebViewPackage) == 0) {
        const bool unpacked = Exists(JoinPath(folder, package.Path));
        const std::wstring file = JoinPath(folder, package.Name);
        if (!Exists(file) || Exists(file + L".cfg")) return unpacked ? 0 : QueueRuntimeFile(package);
        if (unpacked) {
            DeleteFileW(file.c_str());
            return 0;
        }
        return unzipOrQueue(file);
    }

    std::vector<RuntimeFileRecord> contents;
    if (config->ReadPackageFiles(contents, package) != 1) return 1;
    bool allPresent = true;
    for (RuntimeFileRecord& content : contents) allPresent = allPresent && IsRuntimeFileComplete(content);
    if (!IsRuntimeFileComplete(package)) return allPresent ? 0 : QueueRuntimeFile(package);
    const std::wstring file = RecordCheckPath(package);
    if (allPresent) {
        DeleteFileW(file.c_str());
        return 0;
    }
    return unzipOrQueue(file);
}

}  // namespace NimboNS
