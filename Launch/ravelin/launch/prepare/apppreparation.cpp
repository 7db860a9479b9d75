#include "apppreparation.h"

#include <io.h>

#include <cstdio>
#include <vector>

#include "appsettingsfile.h"
#include "catalog/catalog.h"
#include "config/configdecrypt.h"
#include "config/iupdateconfig.h"
#include "config/jsonread.h"
#include "launchtext.h"
#include "nimbo/names.h"
#include "preload.h"
#include "scwconv.h"
#include "shortcuts/shortcuts.h"
#include "start/bitness.h"

namespace NimboNS {
namespace {

constexpr wchar_t kOfflineMarkerSuffix[] = L".offline.download.finished";
constexpr size_t kSettingsValueCapacity = 520;

bool Exists(const std::wstring& path) {
    return _waccess(path.c_str(), 0) == 0;
}

}  // namespace

CAppPreparation::CAppPreparation(IUpdateConfig* config, std::shared_ptr<LaunchSettings> settings,
                                 std::shared_ptr<LaunchLog> log, LaunchEnvironment environment)
    : config_(config),
      settings_(std::move(settings)),
      log_(std::move(log)),
      environment_(std::move(environment)) {
    FillSystemEnvironment(environment_);
    log_->Attach(config_);
}

CAppPreparation::~CAppPreparation() {
    log_->Detach();
    if (jsonParser_ != nullptr) jsonParser_->Release();
}

int CAppPreparation::CheckProgramBitness() {
    const std::wstring program =
        FormatWide(L"%s\\%s", config_->GetAppPath().c_str(), config_->GetStartupFile().c_str());
    if (NimboNS::CheckProgramBitness(program, environment_.nativeArchitecture) == 1) return 1;
    log_->Write(LaunchLog::kError, GetLocalizedMessage(msg::kCannotLoad64Bit));
    environment_.showMessage(GetLocalizedMessage(msg::kCannotLoad64Bit), GetLocalizedMessage(msg::kError),
                             MB_ICONERROR | MB_SYSTEMMODAL);
    return 0;
}

int CAppPreparation::PrepareSettings() {
    settings_->appFolder = config_->GetAppPath();
    settings_->startFile = config_->GetStartupFile();
    const int runtimePathWritten = WriteRuntimePathFile();
    const int configurationRead = ReadAppConfiguration();
    if (configurationRead == 1) WriteAppSettings();
    return runtimePathWritten == 1 && configurationRead == 1 ? 1 : 0;
}

int CAppPreparation::WriteRuntimePathFile() {
    const std::wstring appName = AppNameOf(config_->GetStartupFile());
    if (appName.empty()) {
        log_->Write(LaunchLog::kError, L"The app has no start file.");
        return 0;
    }
    const std::wstring path = config_->GetAppPath() + L"\\" + appName + L".xml";
    const std::string text = WideToUtf8(RuntimePathDocument(config_->GetRuntimePath()));
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) {
        log_->Write(LaunchLog::kError,
                    FormatWide(L"Failed to write the runtime path file (%s).", path.c_str()));
        return 0;
    }
    const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    // A file that was opened counts as handled; a short write is only logged.
    if (fclose(file) != 0 || !written)
        log_->Write(LaunchLog::kError,
                    FormatWide(L"Failed to write the runtime path file (%s).", path.c_str()));
    return 1;
}

bool CAppPreparation::LoadDocument(const std::wstring& path, kxjson::JsonNode& root) {
    if (jsonParser_ == nullptr) {
        if (jsonLibrary_ == nullptr) jsonLibrary_ = LoadLibraryW(names::kJsonDll);
        auto create = jsonLibrary_ != nullptr
                          ? reinterpret_cast<kxjson::CreateJsonParserFn>(reinterpret_cast<void*>(
                                GetProcAddress(jsonLibrary_, kxjson::kCreateJsonParser)))
                          : nullptr;
        if (create != nullptr) jsonParser_ = create();
        if (jsonParser_ == nullptr) {
            log_->Write(LaunchLog::kError, FormatWide(GetLocalizedMessage(msg::kLoadDllFailed), L"kxjson"));
            return false;
        }
    }
    std::vector<unsigned char> plain;
    int kind = 0;
    return DecryptDocumentFile(path, plain) && !plain.empty() &&
           jsonParser_->Parse(plain.data(), static_cast<int>(plain.size())) == 1 &&
           jsonParser_->GetRoot(&root, &kind) == 1 && root != nullptr && kind == kxjson::kObject;
}

int CAppPreparation::ReadAppConfiguration() {
    LaunchSettings& s = *settings_;
    s.arguments = config_->GetUrlParameter();
    const std::wstring path = config_->GetAppPath() + L"\\" + names::kAppConfigJson;
    kxjson::JsonNode root = nullptr;
    if (!Exists(path) || !LoadDocument(path, root)) {
        log_->Write(LaunchLog::kError,
                    FormatWide(GetLocalizedMessage(msg::kLoadLocalConfigFailed), path.c_str()));
        return 0;
    }
    ReadDocumentValues(root);
    return 1;
}

void CAppPreparation::ReadDocumentValues(kxjson::JsonNode root) {
    LaunchSettings& s = *settings_;
    kxjson::IJsonParser* p = jsonParser_;
    s.startupFile = json::String(p, root, L"StartupFile");
    s.version = json::String(p, root, L"Version");
    s.updateGuid = json::String(p, root, L"UpdateGuid");
    s.is32Bit = json::Bool(p, root, L"Is32Bit", 0);
    s.createDesktopShortcut = json::Bool(p, root, L"CreateDesktopShortcut", 0);
    s.createStartMenuShortcut = json::Bool(p, root, L"CreateStartMenuShortcut", 0);
    s.createUninstallShortcut = json::Bool(p, root, L"CreateAppUninstallShortcut", 0);
    s.showStartAnimatedWindow = json::Bool(p, root, L"ShowStartAnimatedWindow", 0);
    s.runCommandAsAdmin = json::Bool(p, root, L"RunCommandAsAdmin", 0);
    s.alwaysRunCommand = json::Bool(p, root, L"AlwaysRunCommand", 0);
    s.appShortcutName = json::String(p, root, L"AppShortcutName");
    s.appShortcutImage = json::String(p, root, L"AppShortcutImage");
    s.preloadEventCommands = json::String(p, root, L"PreloadEventCommands");
    s.startMode = json::Int(p, root, L"StartMode", 0);
    s.arguments = CombineArguments(json::String(p, root, L"Arguments"), s.arguments);
    s.webApiUrl = config_->GetWebApiUrl();
    s.modelName.clear();
    if (kxjson::JsonNode corvane = json::Member(p, root, L"corvane")) {
        if (s.webApiUrl.empty()) s.webApiUrl = json::String(p, corvane, L"webapiurl");
        s.modelName = json::String(p, corvane, L"modelname");
    }
}

std::wstring CAppPreparation::StartParameter() {
    return RemoveUrlsOption(config_->GetSaveDynamicCommandLineArgs() != 0 ? config_->GetUrl()
                                                                          : config_->GetAppUrl());
}

void CAppPreparation::WriteAppSettings() {
    LaunchSettings& s = *settings_;
    const AppSettingsFile file(config_->GetAppPath());
    if (!file.EnsureUnicode())
        log_->Write(LaunchLog::kError,
                    FormatWide(L"Failed to create the app settings file (%s).", file.path().c_str()));
    constexpr const wchar_t* launch = AppSettingsFile::kLaunchSection;
    file.Write(launch, L"appname", AppNameOf(s.startupFile));
    file.Write(launch, L"url", config_->GetVersionUrl());
    file.Write(launch, L"shellPath", environment_.hostProgram());
    file.Write(launch, L"startParam", StartParameter());
    file.Write(launch, L"appdeployversion", config_->GetVersion());
    file.Write(launch, L"showStartPage", s.showStartAnimatedWindow ? L"1" : L"0");

    constexpr const wchar_t* shortcut = AppSettingsFile::kShortcutSection;
    s.desktopShortcutExists = file.ReadInt(shortcut, L"desktopshortcut", 0) == 1 ? 1 : 0;
    s.startMenuShortcutExists = file.ReadInt(shortcut, L"startmenushortcut", 0) == 1 ? 1 : 0;
    s.uninstallShortcutExists = file.ReadInt(shortcut, L"startmenushortcut_uninstall", 0) == 1 ? 1 : 0;
    s.desktopShortcutName = file.Read(shortcut, L"desktopshortcutname", kSettingsValueCapacity);
    s.startMenuShortcutPath = file.Read(shortcut, L"startmenushortcutpath", kSettingsValueCapacity);

    if (!s.webApiUrl.empty()) file.Write(launch, L"webapiurl", s.webApiUrl);
    if (!s.modelName.empty()) file.Write(launch, L"modelname", s.modelName);

    const std::wstring marker =
        config_->GetAppPath() + L"\\" + AppNameOf(s.startupFile) + kOfflineMarkerSuffix;
    if (s.startMode == 1) {
        FileHandle created(CreateFileW(marker.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    } else if (Exists(marker)) {
        DeleteFileW(marker.c_str());
    }

    const std::wstring executed = file.Read(launch, L"preloadEvent_Executed", kSettingsValueCapacity);
    if (s.alwaysRunCommand || executed != s.updateGuid) {
        file.Write(launch, L"preloadEvent_Executed", s.updateGuid);
        RunPreloadCommands();
    }
}

void CAppPreparation::RunPreloadCommands() {
    const LaunchSettings& s = *settings_;
    NimboNS::RunPreloadCommands(s.preloadEventCommands, config_->GetAppPath(), s.runCommandAsAdmin != 0,
                                environment_.commandLibrary, *log_);
}

void CAppPreparation::CopyUninstallProgram() {
    NimboNS::CopyUninstallProgram(environment_.hostProgram(), config_->GetAppPath(), *log_);
}

void CAppPreparation::MakeShortcuts() {
    LaunchSettings& s = *settings_;
    if (s.createDesktopShortcut) MakeDesktopShortcut(s, environment_.desktopFolder(), *log_);
    if (s.createStartMenuShortcut || s.createUninstallShortcut)
        MakeStartMenuEntries(s, environment_.programsFolder(), *log_);
}

void CAppPreparation::RecordShortcutStates() {
    NimboNS::RecordShortcutStates(*settings_);
    // The launch lets go of its configuration after this; an app start still running logs on
    // without it.
    log_->Detach();
}

}  // namespace NimboNS
