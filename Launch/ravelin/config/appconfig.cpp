// The app configuration document: the local copy of the installed version and the server copy
// of the chosen version.
#include <io.h>

#include <cstdio>

#include "catalog.h"
#include "configdecrypt.h"
#include "jsonread.h"
#include "nimbo/names.h"
#include "pathjoin.h"
#include "plog/Record.h"
#include "scwconv.h"
#include "updateconfig.h"

namespace NimboNS {

namespace {

constexpr wchar_t kManifestJson[] = L"manifest.json";
constexpr wchar_t kLauncherSetupJson[] = L"LauncherSetup.json";

}  // namespace

int CUpdateConfig::LoadDocumentFromFile(const std::wstring& path, const std::wstring& name) {
    if (name != names::kAppConfigJson && name != kManifestJson && name != kLauncherSetupJson) return 0;
    std::vector<unsigned char> plain;
    if (!DecryptDocumentFile(path, plain)) return 0;
    return ParseDocument(plain.data(), static_cast<int>(plain.size()), name, false);
}

int CUpdateConfig::LoadDocumentFromMemory(const void* bytes, int size, const std::wstring& name) {
    return ParseDocument(bytes, size, name, name == names::kAppConfigJson);
}

int CUpdateConfig::ParseDocument(const void* bytes, int size, const std::wstring& document, bool decrypt) {
    kxjson::IJsonParser** parser = nullptr;
    kxjson::JsonNode* root = nullptr;
    if (document == names::kAppConfigJson) {
        parser = &configParser, root = &configRoot;
    } else if (document == kManifestJson) {
        parser = &manifestParser, root = &manifestRoot;
    } else if (document == kLauncherSetupJson) {
        parser = &launcherSetupParser, root = &launcherSetupRoot;
    } else {
        return 0;
    }
    if (bytes == nullptr || size <= 0) return 0;
    if (*parser == nullptr) LoadJsonLibrary();
    if (*parser == nullptr) return 0;

    std::vector<unsigned char> plain;
    if (decrypt) {
        if (!DecryptDocument(bytes, size, plain)) return 0;
        bytes = plain.data();
        size = static_cast<int>(plain.size());
    }
    *root = nullptr;
    kxjson::JsonNode loaded = nullptr;
    int kind = 0;
    if ((*parser)->Parse(bytes, size) != 1 || (*parser)->GetRoot(&loaded, &kind) == 0 || loaded == nullptr)
        return 0;
    *root = loaded;
    return 1;
}

void CUpdateConfig::ReadLocalKeys() {
    startupFile = json::String(configParser, configRoot, L"StartupFile");
    version = json::String(configParser, configRoot, L"Version");
    updateGuid = json::String(configParser, configRoot, L"UpdateGuid");
    isVerOffCheck = json::Bool(configParser, configRoot, L"IsVerOffCheck", 0);
    runtimeVersion = json::String(configParser, configRoot, L"RuntimeVersion");
    startMode = json::Int(configParser, configRoot, L"StartMode", Always);
    is64Bit = json::Bool(configParser, configRoot, L"Is32Bit", 1) ? 0 : 1;
    webViewType = json::Int(configParser, configRoot, L"WebViewType", 0);
    saveDynamicCommandLineArgs = json::Bool(configParser, configRoot, L"SaveDynamicCommandLineArgs", 0);
}

void CUpdateConfig::ReadServerKeys() {
    startupFile = json::String(configParser, configRoot, L"StartupFile");
    updateGuid = json::String(configParser, configRoot, L"UpdateGuid");
    runtimeVersion = json::String(configParser, configRoot, L"RuntimeVersion");
    fullDownload = json::Bool(configParser, configRoot, L"FullDownload", 0);
    is64Bit = json::Bool(configParser, configRoot, L"Is32Bit", 1) ? 0 : 1;
    webViewType = json::Int(configParser, configRoot, L"WebViewType", 0);
    saveDynamicCommandLineArgs = json::Bool(configParser, configRoot, L"SaveDynamicCommandLineArgs", 0);
}

int CUpdateConfig::LoadLocalConfig() {
    const std::wstring path = JoinPath(appPath, names::kAppConfigJson);
    if (path.empty() || _waccess(path.c_str(), 0) != 0) return 0;
    if (LoadDocumentFromFile(path, names::kAppConfigJson) != 1) {
        OutputLog(plog::error, GetLocalizedMessage(msg::kLoadLocalConfigFailed), path);
        return 1;
    }
    OutputLog(plog::info, GetLocalizedMessage(msg::kLocalConfigLoaded), path);
    ReadLocalKeys();
    updateType = SameVersion;
    return 0;
}

int CUpdateConfig::LoadServerConfig() {
    if (!(startMode == Never && updateType != AcrossVersion)) {
        const std::wstring localGuid = updateGuid;
        const std::wstring documentUrl = FormatWide(L"%s/%s/%s", appUrl.c_str(), version.c_str(),
                                                    FormatWide(L"%s.zip", names::kAppConfigJson).c_str());
        void* data = nullptr;
        int size = 0;
        if (DownloadConfig(documentUrl, &data, &size) != 0) {
            if (startMode == Always) return 1;
        } else {
            const unsigned char* bytes = static_cast<const unsigned char*>(data);
            downloadedConfig.assign(bytes, bytes + (size > 0 ? size : 0));
            const int loaded = LoadDocumentFromMemory(data, size, names::kAppConfigJson);
            syncDownloader->FreeMemory(data);
            if (loaded != 1) {
                OutputLog(plog::error, GetLocalizedMessage(msg::kParseConfigFailed), documentUrl);
                return 1;
            }
            ReadServerKeys();
            if (CheckServerFileLists() != 1) return 1;
            if (updateType == SameVersion && updateGuid != localGuid) updateType = AcrossVersion;
        }
    }
    wchar_t line[260] = {};
    _snwprintf(line, 259, GetLocalizedMessage(msg::kAppVersionStrategy), version.c_str(), startMode,
               updateType);
    OutputLog(plog::info, line);
    return 0;
}

int CUpdateConfig::SaveServerConfig(const std::wstring& path) {
    if (downloadedConfig.empty()) return 0;
    DeleteFileW(path.c_str());
    FILE* out = _wfopen(path.c_str(), L"wb+");
    if (out == nullptr) return 0;
    const size_t written = fwrite(downloadedConfig.data(), 1, downloadedConfig.size(), out);
    const bool closed = fclose(out) == 0;
    return written == downloadedConfig.size() && closed ? 1 : 0;
}

}  // namespace NimboNS
