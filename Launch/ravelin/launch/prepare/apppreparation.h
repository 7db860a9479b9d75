#pragma once
// The preparation of an updated app for its start: the bitness check, the runtime path file,
// the launch values of the app configuration document, "kxapp.ini" with the offline marker and
// the preload commands, the uninstall program and the shortcuts.
#include <memory>
#include <string>

#include "launchenv.h"
#include "launchlog.h"
#include "launchparts.h"
#include "launchsettings.h"
#include "nimbo/handle.h"
#include "outside/kxjson.h"

namespace NimboNS {

class IUpdateConfig;

class CAppPreparation : public IAppPreparation {
public:
    // `config` is the update engine's configuration, used on the launch thread only; the
    // settings and the log are shared with the app start.
    CAppPreparation(IUpdateConfig* config, std::shared_ptr<LaunchSettings> settings,
                    std::shared_ptr<LaunchLog> log, LaunchEnvironment environment);
    ~CAppPreparation() override;
    CAppPreparation(const CAppPreparation&) = delete;
    CAppPreparation& operator=(const CAppPreparation&) = delete;

    // IAppPreparation
    void Release() override { delete this; }
    int CheckProgramBitness() override;
    int PrepareSettings() override;
    void CopyUninstallProgram() override;
    void MakeShortcuts() override;
    void RecordShortcutStates() override;

    // The steps of PrepareSettings.
    int WriteRuntimePathFile();
    int ReadAppConfiguration();
    void WriteAppSettings();
    void RunPreloadCommands();

    const LaunchSettings& settings() const { return *settings_; }

private:
    bool LoadDocument(const std::wstring& path, kxjson::JsonNode& root);
    void ReadDocumentValues(kxjson::JsonNode root);
    std::wstring StartParameter();

    IUpdateConfig* config_;
    std::shared_ptr<LaunchSettings> settings_;
    std::shared_ptr<LaunchLog> log_;
    LaunchEnvironment environment_;
    HMODULE jsonLibrary_ = nullptr;  // kxjson stays loaded once loaded
    kxjson::IJsonParser* jsonParser_ = nullptr;
};

}  // namespace NimboNS
