// nimbo-publish launcher: LauncherSetup.json and the launcher installer.
// nimbo-publish schedule / list: the deployment list of a published app.
#include <windows.h>

#include <cstdio>
#include <vector>

#include <nlohmann/json.hpp>

#include "deploylist.h"
#include "deployment.h"
#include "description.h"
#include "nimbo/names.h"
#include "publish.h"
#include "scwconv.h"

namespace NimboNS::publisher {
namespace {

const fs::path kDeployList = std::wstring(names::kDeployListIni) + L".zip";

std::string TimeValue(const std::string& text, const char* what) {
    if (_stricmp(text.c_str(), "now") == 0) return FormatUtcTime(NowUtc());
    auto seconds = ParseUtcTime(text);
    if (!seconds) {
        throw PublishError(std::string(what) + " \"" + text +
                           "\" is not \"now\" or a time written YYYY-MM-DD hh:mm:ss (UTC)");
    }
    return FormatUtcTime(*seconds);
}

void RequireVersion(const std::string& text, const char* what) {
    if (!IsVersionText(text))
        throw PublishError(std::string(what) + " \"" + text +
                           "\" is not a version (numbers separated by dots)");
}

}  // namespace

std::string InstallerVersion(const fs::path& installer) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(installer.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(installer.c_str(), 0, size, data.data())) return {};
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO))
        return {};
    char text[64] = {};
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", HIWORD(fixed->dwProductVersionMS),
                  LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
                  LOWORD(fixed->dwProductVersionLS));
    return text;
}

fs::path PublishLauncher(LauncherPublishRequest request, IReporter& reporter) {
    if (request.installer && !fs::is_regular_file(*request.installer)) {
        throw PublishError("the installer " + PathText(*request.installer) + " is not a file");
    }
    // The launcher compares the offered version with the one its installer recorded: an installer
    // older than the offer would be fetched and run again at every start.
    const std::string installed = request.installer ? InstallerVersion(*request.installer) : std::string();
    if (request.version.empty()) request.version = installed;
    if (request.version.empty()) {
        throw PublishError("say which launcher version is offered (--version): the installer carries none");
    }
    RequireVersion(request.version, "the launcher version");
    if (!installed.empty() && CompareVersions(installed, request.version) < 0) {
        throw PublishError("the installer installs launcher " + installed +
                           ", older than the offered version " + request.version +
                           ": every launcher would fetch and run it again at each start");
    }
    std::string minimum = request.minimumVersion.empty() ? request.version : request.minimumVersion;
    RequireVersion(minimum, "the minimum launcher version");
    if (CompareVersions(minimum, request.version) > 0) {
        throw PublishError("the minimum launcher version " + minimum + " is newer than the version " +
                           request.version);
    }
    DeploymentLayout layout{request.deployment};
    fs::path target = request.folder.empty() ? layout.LauncherFolder() : layout.Below(request.folder);

    DeploymentLock lock(layout.root);
    fs::path parent = target.parent_path();
    Staging::Sweep(parent);
    Staging staging(parent);
    fs::path name = target.filename();
    CreateFolders(staging / name);
    if (request.installer) {
        fs::path copy = staging / name / names::kLauncherInstallerExe;
        if (!CopyFileW(request.installer->c_str(), copy.c_str(), FALSE)) {
            throw PublishError("cannot copy " + PathText(*request.installer) + ": " +
                               SystemErrorText(GetLastError()));
        }
    } else if (!fs::exists(target / names::kLauncherInstallerExe)) {
        reporter.Warning("no installer is published beside LauncherSetup.json; launchers older than " +
                         minimum + " will fail to update");
    }
    nlohmann::ordered_json doc;
    doc["package"] = WideToUtf8(names::kLauncherInstallerExe);
    doc["nimboshell"] = {{"version", request.version}, {"minver", minimum}};
    WriteTextFile(staging / name / names::kLauncherSetupJson, doc.dump(2) + "\n");
    staging.ReplaceFolder(name, target, {names::kLauncherInstallerExe});
    staging.Commit();
    reporter.Info("published launcher " + request.version + " (minimum " + minimum + ") to " +
                  PathText(target));
    return target;
}

void ScheduleApp(const ScheduleRequest& request, IReporter& reporter) {
    if (!IsAppName(request.appName)) throw PublishError("\"" + request.appName + "\" is not an app name");
    DeploymentLayout layout{request.deployment};
    fs::path folder = layout.AppFolder(request.appName);
    fs::path path = folder / kDeployList;
    if (!fs::exists(path)) throw PublishError("no app is published at " + PathText(folder));
    if (!request.version.empty()) RequireVersion(request.version, "the version");
    if (request.minimumValidVersion)
        RequireVersion(*request.minimumValidVersion, "the minimum valid version");
    if ((request.onlineTime || request.offlineTime) && request.version.empty()) {
        throw PublishError("say which version the times are for (--version)");
    }

    DeploymentLock lock(layout.root);
    DeployList list = DeployList::Parse(ReadWholeFile(path));
    if (!request.version.empty()) {
        auto known = list.Find(request.version);
        if (!known || !fs::is_directory(folder / Utf8ToWide(request.version))) {
            throw PublishError("version " + request.version + " of " + request.appName + " is not published");
        }
        if (request.onlineTime) known->onlineTime = TimeValue(*request.onlineTime, "the online time");
        if (request.offlineTime) known->offlineTime = TimeValue(*request.offlineTime, "the offline time");
        auto on = ParseUtcTime(known->onlineTime), off = ParseUtcTime(known->offlineTime);
        if (on && off && *on >= *off) {
            reporter.Info("version " + request.version + " is withdrawn: it goes offline at " +
                          known->offlineTime + ", not after it comes online at " + known->onlineTime);
        }
        list.SetVersion(*known);
    }
    if (request.minimumValidVersion) list.SetMinimumValidVersion(*request.minimumValidVersion);
    for (const auto& note : list.Check(NowUtc())) reporter.Warning("deploylist.ini: " + note);

    Staging staging(folder);
    auto bytes = list.Serialize();
    WriteWholeFile(staging / kDeployList, bytes.data(), bytes.size());
    staging.ReplaceFile(kDeployList, path);
    staging.Commit();
    reporter.Info("updated " + PathText(path));
}

void ListApp(const fs::path& deployment, const std::string& appName, IReporter& reporter) {
    if (!IsAppName(appName)) throw PublishError("\"" + appName + "\" is not an app name");
    fs::path path = DeploymentLayout{deployment}.AppFolder(appName) / kDeployList;
    if (!fs::exists(path)) throw PublishError("no app is published at " + PathText(path.parent_path()));
    DeployList list = DeployList::Parse(ReadWholeFile(path));
    std::int64_t now = NowUtc();
    reporter.Info("MinimumValidVersion " + list.MinimumValidVersion());
    for (const auto& v : list.Versions()) {
        auto on = ParseUtcTime(v.onlineTime), off = ParseUtcTime(v.offlineTime);
        bool online = off && (on ? *on : 0) <= now && now < *off && !v.onlineTime.empty();
        reporter.Info(v.name + "  online " + v.onlineTime + "  offline " + v.offlineTime + "  " +
                      (online ? "(online now)" : "(not online now)"));
    }
    for (const auto& note : list.Check(now)) reporter.Warning(note);
}

}  // namespace NimboNS::publisher
