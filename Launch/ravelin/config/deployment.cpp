// The server probe, apprun.json, deploylist.ini and the two download operations that every
// document and package download of the update configuration goes through.
#include <cstdio>
#include <mutex>

#include "catalog.h"
#include "deploytime.h"
#include "help_url.h"
#include "plog/Record.h"
#include "scwconv.h"
#include "updateconfig.h"

namespace NimboNS {

namespace {

constexpr int kTimedOut = 12002;         // ERROR_WINHTTP_TIMEOUT
constexpr int kNameNotResolved = 12007;  // ERROR_WINHTTP_NAME_NOT_RESOLVED
constexpr int kCannotConnect = 12029;    // ERROR_WINHTTP_CANNOT_CONNECT
constexpr wchar_t kOldestServerWithApprun[] = L"22.1.0.2559";

bool IsApprun(const std::wstring& documentUrl) {
    return documentUrl.find(L"apprun.json") != std::wstring::npos;
}

// "http..." in any case is absolute; anything else lies below the base URL.
std::wstring MakeAbsolute(const std::wstring& base, std::wstring value) {
    if (value.empty()) return value;
    if (_wcsnicmp(value.c_str(), L"http", 4) != 0) value = FormatWide(L"%s/%s", base.c_str(), value.c_str());
    if (!value.empty() && value.back() == L'/') value.pop_back();
    return value;
}

// The deploylist is read through a temporary INI file named by the process; runs of several apps
// in one process take turns with it.
std::mutex g_deployListFileLock;

}  // namespace

void CUpdateConfig::DescribeDownloadError(int result, bool singleOut12007, bool notFoundUnreachable,
                                          int& code, std::wstring& text) {
    if (result == kTimedOut) {
        code = kTimedOut;
        text = GetLocalizedMessage(msg::kTimedOut);
    } else if (result == kCannotConnect || (singleOut12007 && result == kNameNotResolved)) {
        code = result;
        text = GetLocalizedMessage(msg::kConnectFailed);
        serverReachable = 0;
    } else {
        const wchar_t* error = nullptr;
        syncDownloader->GetErrorText(&error);
        text = error != nullptr ? error : L"";
        const int status = syncDownloader->GetStatusCode();
        code = status < 0 ? result : status;
        if (notFoundUnreachable && status == 404) serverReachable = 0;
    }
}

int CUpdateConfig::CheckServer() {
    if (startMode == Never) return 1;
    if (syncDownloader == nullptr) {
        OutputLog(plog::error, GetLocalizedMessage(msg::kLoadDllFailed), L"kxhttpclient");
        return 0;
    }
    int checked = 1;
    const int result = syncDownloader->SendRequest(appUrl.c_str());
    if (result == 0) {
        if (syncDownloader->GetStatusCode() == 404) {
            const wchar_t* error = nullptr;
            syncDownloader->GetErrorText(&error);
            OutputLog(plog::error, FormatWide(GetLocalizedMessage(msg::kNoAppAtAddress), appUrl.c_str(), 404,
                                              error != nullptr ? error : L""));
            serverReachable = 0;
            checked = 0;
        }
    } else {
        int code = 0;
        std::wstring text;
        DescribeDownloadError(result, true, false, code, text);
        OutputLog(plog::error, FormatWide(GetLocalizedMessage(msg::kServerUnreachable), appUrl.c_str(), code,
                                          text.c_str()));
        checked = 0;
    }
    if (startMode == Connect && serverReachable == 0) return 1;
    return checked;
}

int CUpdateConfig::CheckForUpdate() {
    if (ReadDeploymentUrls() != 0) return 1;
    if (SelectVersion() != 0) return 1;
    if (LoadServerConfig() != 0) return 1;
    ReadRuntimeModules();
    ReadResumableDownloadFileSize();
    return 0;
}

int CUpdateConfig::AfterFailedDownload(int result) {
    if (startMode == Never || (startMode == Connect && serverReachable == 0)) return 0;
    return result;
}

int CUpdateConfig::ReadDeploymentUrls() {
    void* data = nullptr;
    int size = 0;
    int result =
        DownloadConfig(FormatWide(L"%s/%s/apprun.json", baseUrl.c_str(), appName.c_str()), &data, &size);
    if (deploymentParser == nullptr) {
        LoadJsonLibrary();
        if (deploymentParser == nullptr) {
            const DWORD error = GetLastError();
            OutputLog(plog::error, GetLocalizedMessage(msg::kLoadDllFailed), L"kxjson");
            WriteLog(plog::error, FormatWide(L"GetLastError: %d", static_cast<int>(error)));
            if (result == 0) syncDownloader->FreeMemory(data);
            result = 1;
        }
    }
    if (result == 0) {
        kxjson::JsonNode root = nullptr;
        int kind = 0;
        if (deploymentParser->Parse(data, size) == 1 && deploymentParser->GetRoot(&root, &kind) != 0)
            deploymentRoot = root;
        else
            result = 29;
        syncDownloader->FreeMemory(data);
    }
    if (result == 0) {
        kxjson::JsonNode urls = nullptr;
        int kind = 0;
        if (deploymentParser->GetMember(deploymentRoot, L"deployment_urls", &urls, &kind) == 1) {
            const wchar_t* value = nullptr;
            if (deploymentParser->GetString(urls, L"launcher", &value) == 1 && value != nullptr)
                launcherUrl = MakeAbsolute(baseUrl, value);
            value = nullptr;
            if (deploymentParser->GetString(urls, L"runtime", &value) == 1 && value != nullptr)
                runtimeUrl = MakeAbsolute(baseUrl, value);
            value = nullptr;
            if (deploymentParser->GetString(urls, L"web_api", &value) == 1 && value != nullptr)
                webApiUrl = value;
        }
    }
    if (result != 1) return 0;
    return AfterFailedDownload(1);
}

int CUpdateConfig::ReadDeployList(VersionMap& versions) {
    const std::wstring listUrl =
        FormatWide(L"%s/%s", appUrl.c_str(), FormatWide(L"%s.zip", L"deploylist.ini").c_str());
    void* data = nullptr;
    int size = 0;
    if (DownloadConfig(listUrl, &data, &size) != 0) return 1;

    std::lock_guard<std::mutex> lock(g_deployListFileLock);
    wchar_t tempFolder[520] = {};
    GetTempPathW(520, tempFolder);
    const std::wstring file = FormatWide(L"%s%d.ini", tempFolder, static_cast<int>(GetCurrentProcessId()));
    if (FILE* out = _wfopen(file.c_str(), L"wb+")) {
        if (size > 0) fwrite(data, 1, static_cast<size_t>(size), out);
        fclose(out);
    }
    syncDownloader->FreeMemory(data);
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;

    std::vector<wchar_t> sections(4096, L'\0');
    if (GetPrivateProfileSectionNamesW(sections.data(), 4096, file.c_str()) == 0) DeleteFileW(file.c_str());
    for (const wchar_t* name = sections.data(); *name != L'\0'; name += wcslen(name) + 1) {
        if (_wcsicmp(name, L"Public") == 0) continue;
        wchar_t online[260] = {}, offline[260] = {};
        GetPrivateProfileStringW(name, L"OnlineTime", L"", online, 260, file.c_str());
        GetPrivateProfileStringW(name, L"OfflineTime", L"", offline, 260, file.c_str());
        if (online[0] != L'\0' && offline[0] != L'\0')
            versions.emplace(name, std::make_pair(online, offline));
    }
    wchar_t minimum[260] = {};
    GetPrivateProfileStringW(L"Public", L"MinimumValidVersion", L"", minimum, 260, file.c_str());
    minimumValidVersion = minimum;
    DeleteFileW(file.c_str());

    if (!versions.empty() && !minimumValidVersion.empty()) return 0;
    OutputLog(plog::error, GetLocalizedMessage(msg::kServerConfigBadFormat), listUrl);
    return 1;
}

int CUpdateConfig::SelectVersion() {
    if (startMode == Never && isVerOffCheck == 0) return 0;
    VersionMap versions;
    if (int result = ReadDeployList(versions)) return AfterFailedDownload(result);

    const long long now = CurrentUtcSeconds();
    validVersions.clear();
    std::wstring latest, versionList;
    for (const auto& [name, window] : versions) {
        const long long on = ParseDeployTime(window.first.c_str());
        const long long off = ParseDeployTime(window.second.c_str());
        if (on <= now && now < off) {
            validVersions.push_back(name);
            if (latest.empty() || CompareVersions(name, latest) > 0) latest = name;
            if (!versionList.empty()) versionList += L", ";
            versionList += name;
        }
    }
    latestVersion = latest;
    OutputLog(GetLocalizedMessage(msg::kServerVersions), versionList, latestVersion, minimumValidVersion);
    return ChooseVersion();
}

int CUpdateConfig::DownloadConfig(const std::wstring& documentUrl, void** data, int* size) {
    if (syncDownloader == nullptr) {
        OutputLog(plog::error, GetLocalizedMessage(msg::kLoadDllFailed), L"kxhttpclient");
        return 1;
    }
    int result = 0;
    for (int attempt = 1;; ++attempt) {
        result = syncDownloader->DownloadToMemory(documentUrl.c_str(), data, size);
        if (result == 0) {
            OutputLog(plog::info, GetLocalizedMessage(msg::kConfigDownloaded), documentUrl);
            return 0;
        }
        if (result != kCannotConnect || !IsApprun(documentUrl) || attempt == 3) break;
        Sleep(2000);
    }
    int code = 0;
    std::wstring text;
    DescribeDownloadError(result, true, true, code, text);
    if (IsApprun(documentUrl) && code == 404 &&
        _wcsicmp(runtimeVersion.c_str(), kOldestServerWithApprun) <= 0) {
        serverReachable = 1;  // servers of that age publish no apprun.json
        return 3;
    }
    OutputLog(plog::error, FormatWide(GetLocalizedMessage(msg::kDownloadConfigFailed), documentUrl.c_str(),
                                      code, text.c_str()));
    return 1;
}

int CUpdateConfig::DownloadPackage(const std::wstring& packageUrl, const std::wstring& path) {
    if (syncDownloader == nullptr) {
        OutputLog(plog::error, GetLocalizedMessage(msg::kLoadDllFailed), L"kxhttpclient");
        return 1;
    }
    int result = 0;
    do {  // each "issue again" means more bytes arrived, so this ends
        syncDownloader->SetOverwrite(1);
        result = syncDownloader->DownloadToFile(packageUrl.c_str(), path.c_str());
    } while (result == KXHTTP_E_ISSUE_AGAIN);
    if (result == 0) {
        OutputLog(plog::info, GetLocalizedMessage(msg::kConfigDownloaded), packageUrl);
        return 0;
    }
    int code = 0;
    std::wstring text;
    DescribeDownloadError(result, false, true, code, text);
    OutputLog(plog::error, FormatWide(GetLocalizedMessage(msg::kDownloadPackageFailed), packageUrl.c_str(),
                                      code, text.c_str()));
    return 1;
}

}  // namespace NimboNS
