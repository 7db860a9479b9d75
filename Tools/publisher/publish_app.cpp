// nimbo-publish app: one version of an app into <root>/<AppName>/.
#include <windows.h>

#include <nlohmann/json.hpp>

#include "appconfig.h"
#include "crypto.h"
#include "deploylist.h"
#include "deployment.h"
#include "nimbo/names.h"
#include "publish.h"
#include "scwconv.h"
#include "zipwriter.h"

namespace NimboNS::publisher {
namespace {

using json = nlohmann::json;

const fs::path kAppRun = names::kAppRunJson;
const fs::path kDeployList = std::wstring(names::kDeployListIni) + L".zip";
const fs::path kAppConfig = std::wstring(names::kAppConfigJson) + L".zip";

bool IsAbsoluteUrl(const std::string& url) {
    return url.size() >= 4 && _strnicmp(url.c_str(), "http", 4) == 0;
}

std::string ReadDescription(const AppPublishRequest& request) {
    std::string text = ReadUtf8TextFile(request.description);
    if (request.version.empty()) return text;
    json doc = json::parse(text, nullptr, false);
    if (!doc.is_object()) return text;  // the parser reports it
    doc["Version"] = request.version;
    return doc.dump();
}

json ReadAppRun(const fs::path& path, const AppDescription& d) {
    json doc = json::object();
    if (fs::exists(path)) {
        doc = json::parse(ReadTextFile(path), nullptr, false);
        if (!doc.is_object()) {
            throw PublishError("the deployment's " + PathText(path) +
                               " is not a JSON object; correct or remove it");
        }
    }
    json& urls = doc["deployment_urls"];
    if (!urls.is_object()) urls = json::object();
    auto set = [&](const char* key, const std::optional<std::string>& value) {
        if (!value) return;
        if (value->empty()) {
            urls.erase(key);
        } else {
            urls[key] = *value;
        }
    };
    set("launcher", d.launcherUrl);
    set("runtime", d.runtimeUrl);
    set("web_api", d.webApiUrl);
    return doc;
}

DeployList UpdateDeployList(const fs::path& path, const AppDescription& d) {
    DeployList list = fs::exists(path) ? DeployList::Parse(ReadWholeFile(path)) : DeployList();
    auto known = list.Find(d.version);
    std::string online = d.onlineTime                          ? *d.onlineTime
                         : known && !known->onlineTime.empty() ? known->onlineTime
                                                               : FormatUtcTime(NowUtc());
    std::string offline = d.offlineTime                          ? *d.offlineTime
                          : known && !known->offlineTime.empty() ? known->offlineTime
                                                                 : std::string(kNeverOffline);
    auto on = ParseUtcTime(online), off = ParseUtcTime(offline);
    if (on && off && *on >= *off) {
        throw PublishError("version " + d.version + " would go offline (" + offline +
                           ") before it is online (" + online + "); give \"OnlineTime\" and \"OfflineTime\"");
    }
    list.SetVersion({d.version, online, offline});
    if (d.minimumValidVersion) {
        list.SetMinimumValidVersion(*d.minimumValidVersion);
    } else if (list.MinimumValidVersion().empty()) {
        list.SetMinimumValidVersion(d.version);
    }
    return list;
}

// The folder below this deployment that a deployment_urls member names: the member's relative
// address, or the built-in folder when the member is absent; empty for an address elsewhere.
fs::path FolderOf(const DeploymentLayout& layout, const json& urls, const char* key,
                  const fs::path& fallback) {
    if (!urls.contains(key) || !urls[key].is_string() || urls[key].get<std::string>().empty())
        return fallback;
    std::string url = urls[key].get<std::string>();
    if (IsAbsoluteUrl(url)) return {};
    while (!url.empty() && url.back() == '/') url.pop_back();
    return layout.root / fs::path(Utf8ToWide(url)).make_preferred();
}

void CheckServerSide(const DeploymentLayout& layout, const json& appRun, const AppDescription& d,
                     Problems& p) {
    const json& urls = appRun["deployment_urls"];
    fs::path runtime = FolderOf(layout, urls, "runtime", layout.RuntimeFolder(d.runtimeVersion, false));
    fs::path manifest;
    if (!runtime.empty())
        manifest = (d.is32Bit ? runtime : runtime / names::kRuntimeX64Folder) / names::kRuntimeManifestJson;
    std::string bits = d.is32Bit ? "32-bit" : "64-bit";
    if (!manifest.empty() && !fs::exists(manifest)) {
        p.Warn("no " + bits + " runtime " + d.runtimeVersion + " is published (" + PathText(manifest) +
               " is missing); the launcher cannot update the app until it is: nimbo-publish runtime");
    } else if (!manifest.empty()) {
        json doc = json::parse(ReadTextFile(manifest), nullptr, false);
        if (!doc.is_object()) doc = json::object();
        std::string version =
            doc.value("version", json()).is_string() ? doc["version"].get<std::string>() : "";
        if (version != d.runtimeVersion) {
            p.Warn(PathText(manifest) + " is for runtime \"" + version + "\", not \"" + d.runtimeVersion +
                   "\"");
        }
        json modules = doc.value("modules", json::array());
        for (const auto& module : d.runtimeModules) {
            bool found = false;
            for (const auto& m : modules) {
                found = found || (m.is_object() && m.value("name", json()).is_string() &&
                                  m["name"].get<std::string>().find(module) != std::string::npos);
            }
            if (!found)
                p.Warn("RuntimeModules entry \"" + module + "\" is in no module of " + PathText(manifest));
        }
    }
    fs::path launcher = FolderOf(layout, urls, "launcher", layout.LauncherFolder());
    fs::path setup = launcher.empty() ? fs::path() : launcher / names::kLauncherSetupJson;
    if (!setup.empty() && !fs::exists(setup)) {
        p.Warn("no launcher is published (" + PathText(setup) +
               " is missing); launchers stop their update without it: nimbo-publish launcher");
    }
}

FileRecord Record(const SourceFile& f, std::uint64_t size, const std::string& hash) {
    return {size, false, WideToUtf8(f.Name()), WideToUtf8(f.Folder()), hash};
}

std::string ZipEntryName(const std::wstring& relative) {
    std::wstring name = relative;
    for (auto& c : name) {
        if (c == L'\\') c = L'/';
    }
    return WideToUtf8(name);
}

// The content tag of a package: the paths and tags of what it carries, not its archive bytes.
std::string PackageHash(const std::vector<FileRecord>& content) {
    Sha256 hash;
    for (const auto& r : content) {
        hash.Update(r.path + "\\" + r.name);
        hash.Update("\n", 1);
        hash.Update(r.hashCode);
        hash.Update("\n", 1);
    }
    return HashTag(hash.Final(), kAppHashLength);
}

// Writes every file of the plan into versionFolder; returns the document's lists.
AppLists WriteAppFiles(const AppPlan& plan, const fs::path& versionFolder, const fs::path& workFolder) {
    AppLists lists;
    for (size_t i = 0; i < plan.files.size(); ++i) {
        const SourceFile& f = plan.files[i];
        std::string hash = HashTag(Sha256OfFile(f.full), kAppHashLength);
        fs::path target = versionFolder / (f.relative + L".zip");
        CreateFolders(target.parent_path());
        std::uint64_t size = WriteSingleFileZip(target, f.full);
        (plan.instant[i] ? lists.instant : lists.predownload).push_back(Record(f, size, hash));
    }
    for (const auto& pkg : plan.packages) {
        std::wstring name = Utf8ToWide(pkg.entry.name);
        fs::path archive = workFolder / name;
        std::vector<FileRecord> content;
        {
            ZipWriter zip(archive);
            for (const auto& f : pkg.content) {
                std::string hash = HashTag(Sha256OfFile(f.full), kAppHashLength);
                content.push_back(Record(f, zip.AddFile(ZipEntryName(f.relative), f.full), hash));
            }
            zip.Finish();
        }
        std::uint64_t size = WriteSingleFileZip(versionFolder / (name + L".zip"), archive);
        FileRecord record{size, true, pkg.entry.name, ".", PackageHash(content)};
        (pkg.instant ? lists.instant : lists.predownload).push_back(record);
        lists.packages.emplace_back(pkg.entry.name, std::move(content));
    }
    return lists;
}

}  // namespace

AppPublishResult PublishApp(const AppPublishRequest& request, IReporter& reporter) {
    Problems problems;
    AppDescription d = ParseAppDescription(ReadDescription(request), problems);
    problems.Report(reporter, "the app description");
    if (IsInside(request.deployment, request.source)) {
        throw PublishError("the deployment folder " + PathText(request.deployment) +
                           " lies inside the source folder " + PathText(request.source));
    }
    std::vector<SourceFile> scanned = ScanFolder(request.source);
    AppPlan plan = PlanApp(d, scanned, problems);
    DeploymentLayout layout{request.deployment};
    fs::path appFolder = layout.AppFolder(d.appName);
    json appRun = ReadAppRun(appFolder / kAppRun, d);
    CheckServerSide(layout, appRun, d, problems);
    problems.Report(reporter, "the publication");
    DeployList list = UpdateDeployList(appFolder / kDeployList, d);
    for (const auto& note : list.Check(NowUtc())) reporter.Warning("deploylist.ini: " + note);

    AppPublishResult result{d.appName, d.version, NewGuid(), 0, appFolder / Utf8ToWide(d.version)};
    for (const auto& pkg : plan.packages) result.files += pkg.content.size();
    result.files += plan.files.size();
    if (request.checkOnly) {
        reporter.Info("checked " + d.appName + " " + d.version + ": " + std::to_string(result.files) +
                      " files; nothing was written");
        return result;
    }

    DeploymentLock lock(layout.root);
    Staging::Sweep(appFolder);
    Staging staging(appFolder);
    fs::path version = Utf8ToWide(d.version);
    CreateFolders(staging / version);
    fs::path work = staging / L".packages";
    CreateFolders(work);
    AppLists lists = WriteAppFiles(plan, staging / version, work);
    auto document = EncryptConfigDocument(BuildAppConfig(d, result.updateGuid, lists));
    WriteWholeFile(staging / version / kAppConfig, document.data(), document.size());
    WriteTextFile(staging / kAppRun, appRun.dump(2) + "\n");
    auto listBytes = list.Serialize();
    WriteWholeFile(staging / kDeployList, listBytes.data(), listBytes.size());

    // The list goes last: clients see the version only when its folder is complete.
    staging.ReplaceFolder(version, result.versionFolder);
    staging.ReplaceFile(kAppRun, appFolder / kAppRun);
    staging.ReplaceFile(kDeployList, appFolder / kDeployList);
    staging.Commit();

    auto times = list.Find(d.version);
    reporter.Info("published " + d.appName + " " + d.version + " (" + std::to_string(result.files) +
                  " files) to " + PathText(result.versionFolder));
    reporter.Info("online from " + times->onlineTime + " until " + times->offlineTime +
                  " UTC; minimum valid version " + list.MinimumValidVersion() + "; UpdateGuid " +
                  result.updateGuid);
    return result;
}

std::string ReadAppConfig(const fs::path& encryptedDocument) {
    return DecryptConfigDocument(ReadWholeFile(encryptedDocument));
}

}  // namespace NimboNS::publisher
