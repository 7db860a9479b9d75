#pragma once
// CUpdateConfig: everything the updaters and the launch workflow need to know about one app in
// one run: the parsed app URL, the local folders, the server's deployment documents, the app
// configuration document, the runtime and launcher documents and the version decision.
//
// The fields are public: the orchestrator and the updaters read and set them directly, as the
// run goes on (url, cookieManager and adminInstalled are set by the orchestrator).
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "iupdateconfig.h"
#include "outside/kxhttpclient.h"
#include "outside/kxjson.h"
#include "records.h"

namespace Elevlink {
class ICommand;
}

namespace NimboNS {

class CLogView;
class ICookieManager;

// version text -> (OnlineTime text, OfflineTime text), ordered by wide-character code.
using VersionMap = std::map<std::wstring, std::pair<std::wstring, std::wstring>>;
// relative path (Path joined with Name) -> record; the first record of a path wins.
using FileRecordMap = std::map<std::wstring, FileRecord>;

// Shows a version prompt and returns the button pressed (IDOK, IDCANCEL, IDYES, IDNO).
using VersionPromptFn = std::function<int(const wchar_t* text, const wchar_t* caption, UINT flags)>;
// The real prompt: a message box without owner.
int ShowVersionPrompt(const wchar_t* text, const wchar_t* caption, UINT flags);

class CUpdateConfig : public IUpdateConfig {
public:
    // `logView` is the progress window's log view; null logs nothing.
    explicit CUpdateConfig(CLogView* logView);
    ~CUpdateConfig() override;
    CUpdateConfig(const CUpdateConfig&) = delete;
    CUpdateConfig& operator=(const CUpdateConfig&) = delete;

    // IUpdateConfig
    void Release() override;
    std::wstring GetLauncherPackagePath() override;
    std::wstring GetVersionUrl() override;
    std::wstring GetRuntimePath() override;
    std::wstring GetVersion() override { return version; }
    std::wstring GetAppPath() override { return appPath; }
    std::wstring GetAppName() override { return appName; }
    std::wstring GetUrl() override { return url; }
    std::wstring GetUrlParameter() override { return urlParameter; }
    std::wstring GetStartupFile() override { return startupFile; }
    std::wstring GetWebApiUrl() override { return webApiUrl; }
    void OutputLog(int severity, const std::wstring& text) override;
    unsigned long long GetResumableDownloadFileSize() override { return resumableDownloadFileSize; }
    std::wstring GetAppUrl() override { return appUrl; }
    int GetSaveDynamicCommandLineArgs() override { return saveDynamicCommandLineArgs; }

    // Logging with catalogue texts as patterns; nothing is logged when a text is empty.
    void OutputLog(int severity, const std::wstring& format, const std::wstring& argument);
    void OutputLog(const std::wstring& format, const std::wstring& argument1, const std::wstring& argument2,
                   const std::wstring& argument3);
    // To the log file only.
    void WriteLog(int severity, const std::wstring& text);

    // App URL and local folders.
    int ParseUrl();
    int PrepareFolders();
    std::wstring GetLocalConfigPath();

    // Server deployment documents.
    int CheckServer();
    int CheckForUpdate();
    int ReadDeploymentUrls();
    int ReadDeployList(VersionMap& versions);
    int SelectVersion();
    int DownloadConfig(const std::wstring& documentUrl, void** data, int* size);
    int DownloadPackage(const std::wstring& packageUrl, const std::wstring& path);

    // App configuration document.
    int LoadLocalConfig();
    int LoadServerConfig();
    int LoadDocumentFromFile(const std::wstring& path, const std::wstring& name);
    int LoadDocumentFromMemory(const void* bytes, int size, const std::wstring& name);
    int SaveServerConfig(const std::wstring& path);
    int GetPredownloadFiles(FileRecordMap& files);
    int GetInstantDownloadFiles(FileRecordMap& files);
    // Appends the records of an array of file objects; 0 when a record was refused (logged).
    int ReadFileList(kxjson::JsonNode array, std::vector<FileRecord>& list);
    // The records of one file-list member of the loaded app configuration document, in
    // document order; 0 when the member is absent or a record was refused.
    int ReadFileListMember(const wchar_t* member, std::vector<FileRecord>& list);
    void ReadIniConfigFiles();
    int ReadRuntimeModules();
    void ReadResumableDownloadFileSize();

    // Runtime manifest and launcher setup documents.
    std::wstring GetRuntimeServerFolder();
    std::wstring GetRuntimeManifestUrl();
    std::wstring GetLauncherSetupUrl();
    std::wstring GetLauncherPackageName();
    // Both return 0 when a record was refused (logged), else 1.
    int ReadModuleFiles(const std::wstring& moduleName, std::vector<RuntimeFileRecord>& list);
    int ReadPackageFiles(std::vector<RuntimeFileRecord>& list, const RuntimeFileRecord& package);
    int CopyRuntimeAssemblies();

    // Version policy.
    static int CompareVersions(const std::wstring& a, const std::wstring& b);
    int ChooseVersion();
    int DecideUpgrade(std::wstring& text);
    int CheckManifestRuntimeVersion();

    // Component registration: registers what registerFiles names through the elevated command
    // channel; RegisterFile gives 0 when registered (unregistered when `unregister` is 1).
    void RegisterComponents();
    int RegisterFile(const std::wstring& path, int unregister);

    // Replaces the message box of the version prompts (tests answer them this way).
    void SetVersionPrompt(VersionPromptFn prompt) { versionPrompt = std::move(prompt); }

    // Loads kxjson when needed and creates the parsers and the generator that are missing.
    void LoadJsonLibrary();

    std::wstring protocol;
    std::wstring host;
    std::wstring port;
    std::wstring urlParameter;
    std::wstring baseUrl;
    std::wstring appUrl;
    std::wstring url;
    std::wstring appName;
    std::wstring appPath;
    std::wstring homePath;
    std::wstring webApiUrl;
    std::wstring launcherUrl;
    std::wstring runtimeUrl;
    int is64Bit = 0;
    std::wstring startupFile;
    std::wstring version;
    std::wstring updateGuid;
    std::wstring runtimeVersion;
    int isVerOffCheck = 1;
    int fullDownload = 0;
    int startMode = Always;
    int updateType = FirstDownLoad;
    std::vector<unsigned char> downloadedConfig;
    std::vector<std::wstring> runtimeModules;
    int webViewType = 0;
    std::wstring minimumValidVersion;
    std::wstring latestVersion;
    std::vector<std::wstring> validVersions;
    std::vector<IniConfigFile> iniConfigFiles;
    std::vector<std::wstring> registerFiles;
    HMODULE jsonLibrary = nullptr;
    kxjson::IJsonParser* configParser = nullptr;
    kxjson::IJsonParser* manifestParser = nullptr;
    kxjson::IJsonParser* launcherSetupParser = nullptr;
    kxjson::IJsonParser* deploymentParser = nullptr;
    kxjson::IJsonGenerator* jsonGenerator = nullptr;
    kxjson::JsonNode configRoot = nullptr;
    kxjson::JsonNode manifestRoot = nullptr;
    kxjson::JsonNode launcherSetupRoot = nullptr;
    kxjson::JsonNode deploymentRoot = nullptr;
    ISyncDownload* syncDownloader = nullptr;
    ICookieManager* cookieManager = nullptr;
    CLogView* logView = nullptr;
    std::vector<std::wstring> runtimeAssemblies;
    int adminInstalled = 0;
    int serverReachable = 1;
    int reportFailure = 1;
    int saveDynamicCommandLineArgs = 0;
    // The elevated command channel of component registration; null while not in use.
    Elevlink::ICommand* commandObject = nullptr;
    HMODULE commandLibrary = nullptr;
    // ravelin's string resources (the registration warning); null: the module this code is in.
    HMODULE resourceModule = nullptr;
    unsigned long long resumableDownloadFileSize = 2097152;

    VersionPromptFn versionPrompt = ShowVersionPrompt;

private:
    int ParseDocument(const void* bytes, int size, const std::wstring& document, bool decrypt);
    void LogRecord(int severity, const std::wstring& text, bool fileOnly);
    int Prompt(int messageId, UINT buttons);
    int AfterFailedDownload(int result);
    void DescribeDownloadError(int result, bool singleOut12007, bool notFoundUnreachable, int& code,
                               std::wstring& text);
    void ReadLocalKeys();
    void ReadServerKeys();
    int ReadFileMap(const wchar_t* member, FileRecordMap& files);
    int CheckServerFileLists();
    bool BuildRuntimeRecord(kxjson::JsonNode file, RuntimeFileRecord& record);
};

// The kxhttpclient module of the process, loaded on first need and never freed; null when the
// library is missing.
HMODULE LoadHttpClientLibrary();

}  // namespace NimboNS
