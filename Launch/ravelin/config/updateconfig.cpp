#include "updateconfig.h"

#include <string>

#include "log/logview.h"
#include "nimbo/names.h"
#include "pathjoin.h"
#include "plog/Record.h"
#include "scwconv.h"

namespace NimboNS {

namespace {

HMODULE g_httpClientLibrary = nullptr;

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

template <typename T>
void ReleaseObject(T*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

}  // namespace

HMODULE LoadHttpClientLibrary() {
    if (g_httpClientLibrary == nullptr) g_httpClientLibrary = LoadLibraryW(names::kHttpClientDll);
    return g_httpClientLibrary;
}

int ShowVersionPrompt(const wchar_t* text, const wchar_t* caption, UINT flags) {
    return MessageBoxW(nullptr, text, caption, flags);
}

CUpdateConfig::CUpdateConfig(CLogView* logView) : logView(logView) {
    if (HMODULE http = LoadHttpClientLibrary()) {
        if (auto create = Export<PFN_CreateSyncDownload>(http, "CreateSyncDownload"))
            syncDownloader = create();
    }
    LoadJsonLibrary();
}

CUpdateConfig::~CUpdateConfig() {
    ReleaseObject(syncDownloader);
    ReleaseObject(configParser);
    ReleaseObject(manifestParser);
    ReleaseObject(launcherSetupParser);
    ReleaseObject(deploymentParser);
    ReleaseObject(jsonGenerator);
}

void CUpdateConfig::Release() {
    delete this;
}

void CUpdateConfig::LoadJsonLibrary() {
    if (jsonLibrary == nullptr) {
        std::wstring name = FormatWide(L"%s", names::kJsonDll);
        jsonLibrary = LoadLibraryW(name.c_str());
    }
    if (jsonLibrary == nullptr) return;
    auto createParser = Export<kxjson::CreateJsonParserFn>(jsonLibrary, kxjson::kCreateJsonParser);
    auto createGenerator = Export<kxjson::CreateJsonGeneratorFn>(jsonLibrary, kxjson::kCreateJsonGenerator);
    if (createParser != nullptr) {
        for (kxjson::IJsonParser** parser :
             {&configParser, &manifestParser, &launcherSetupParser, &deploymentParser}) {
            if (*parser == nullptr) *parser = createParser();
        }
    }
    if (createGenerator != nullptr && jsonGenerator == nullptr) jsonGenerator = createGenerator();
}

std::wstring CUpdateConfig::GetLauncherPackagePath() {
    std::wstring downloads = homePath;
    const std::wstring from = L"Applications", to = L"Download";
    for (size_t at = downloads.find(from); at != std::wstring::npos;
         at = downloads.find(from, at + to.size()))
        downloads.replace(at, from.size(), to);
    return JoinPathSimple(downloads, GetLauncherPackageName());
}

std::wstring CUpdateConfig::GetVersionUrl() {
    return FormatWide(L"%s/%s", appUrl.c_str(), version.c_str());
}

std::wstring CUpdateConfig::GetRuntimePath() {
    const wchar_t* pattern = is64Bit ? L"Runtime\\%s\\x64" : L"Runtime\\%s";
    return JoinPathSimple(homePath, FormatWide(pattern, runtimeVersion.c_str()));
}

std::wstring CUpdateConfig::GetLocalConfigPath() {
    return JoinPathSimple(GetAppPath(), names::kAppConfigJson);
}

void CUpdateConfig::LogRecord(int severity, const std::wstring& text, bool fileOnly) {
    if (text.empty() || logView == nullptr) return;
    plog::Record record(static_cast<plog::Severity>(severity),
                        fileOnly ? "NimboNS::CUpdateConfig::WriteLog" : "NimboNS::CUpdateConfig::OutputLog",
                        __LINE__);
    record << text.c_str();
    if (fileOnly)
        logView->WriteToFile(record);
    else
        logView->write(record);
}

void CUpdateConfig::OutputLog(int severity, const std::wstring& text) {
    LogRecord(severity, text, false);
}

void CUpdateConfig::WriteLog(int severity, const std::wstring& text) {
    LogRecord(severity, text, true);
}

void CUpdateConfig::OutputLog(int severity, const std::wstring& format, const std::wstring& argument) {
    if (format.empty() || argument.empty()) return;
    OutputLog(severity, FormatWide(format.c_str(), argument.c_str()));
}

void CUpdateConfig::OutputLog(const std::wstring& format, const std::wstring& argument1,
                              const std::wstring& argument2, const std::wstring& argument3) {
    if (format.empty() || argument1.empty() || argument2.empty() || argument3.empty()) return;
    OutputLog(plog::info,
              FormatWide(format.c_str(), argument1.c_str(), argument2.c_str(), argument3.c_str()));
}

}  // namespace NimboNS
