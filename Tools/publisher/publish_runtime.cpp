// nimbo-publish runtime: one runtime version (one bitness) with its manifest.json, into
// <root>/NimboPublisher/runtime/<version>[/x64]/. Files are served as they are; a module's
// package is a zip archive the launcher unpacks into the runtime folder.
#include <windows.h>

#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "crypto.h"
#include "deployment.h"
#include "description.h"
#include "nimbo/names.h"
#include "publish.h"
#include "scwconv.h"
#include "sourcefiles.h"
#include "zipwriter.h"

namespace NimboNS::publisher {
namespace {

using ojson = nlohmann::ordered_json;

// The launcher's RuntimeFileRecord widths.
constexpr size_t kMaxName = 255, kMaxPath = 511;
// A package of this name is the web view: its record's path names the folder it unpacks to,
// and the launcher fetches it from the runtime's top folder.
constexpr wchar_t kWebViewPackage[] = L"KxWebView2.zip";
constexpr char kWebViewFolder[] = "KxWebView2";

std::wstring Upper(std::wstring s) {
    if (!s.empty()) CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

std::string Count(size_t n, const char* thing) {
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

struct PlannedModule {
    ModuleEntry entry;
    std::vector<SourceFile> files;
};

std::string ReadDescription(const RuntimePublishRequest& request) {
    std::string text = ReadUtf8TextFile(request.description);
    if (request.version.empty()) return text;
    auto doc = nlohmann::json::parse(text, nullptr, false);
    if (!doc.is_object()) return text;
    doc["Version"] = request.version;
    return doc.dump();
}

void CheckModuleNames(const std::vector<PlannedModule>& modules, Problems& p) {
    std::set<std::wstring> packages;
    for (size_t i = 0; i < modules.size(); ++i) {
        const auto& m = modules[i].entry;
        for (size_t j = 0; j < i; ++j) {
            // The launcher takes the first module whose name contains the name it looks for.
            if (modules[j].entry.name.find(m.name) != std::string::npos) {
                p.Fail("module \"" + m.name + "\" would never be found: the launcher takes module \"" +
                       modules[j].entry.name + "\", listed before it, whose name contains it");
            }
        }
        if (m.package.empty()) continue;
        std::string base = m.package.substr(0, m.package.rfind('.'));
        if (m.name.find(base) == std::string::npos) {
            p.Fail("module \"" + m.name + "\": the launcher finds the content of package \"" + m.package +
                   "\" only in modules whose name contains \"" + base + "\"");
        }
        if (!packages.insert(Upper(Utf8ToWide(m.package))).second) {
            p.Fail("two modules use the package \"" + m.package + "\"");
        }
        if (modules[i].files.empty())
            p.Fail("package \"" + m.package + "\" would be empty: its Files match nothing");
    }
}

std::vector<PlannedModule> PlanRuntime(const RuntimeDescription& d, const std::vector<SourceFile>& scanned,
                                       Problems& p) {
    std::vector<PlannedModule> modules;
    for (const auto& entry : d.modules) modules.push_back({entry, {}});
    std::map<std::wstring, std::wstring> paths;  // upper-cased → as written, of everything served
    for (const auto& f : scanned) {
        if (MatchesAny(d.exclude, f.relative)) continue;
        bool used = false;
        for (auto& m : modules) {
            if (!MatchesAny(m.entry.files, f.relative)) continue;
            m.files.push_back(f);
            used = true;
        }
        if (!used) {
            p.Warn("\"" + WideToUtf8(f.relative) + "\" is in no module and is not published");
            continue;
        }
        std::string why = PathProblem(f.relative, kMaxName, kMaxPath);
        if (!why.empty()) p.Fail("cannot publish \"" + WideToUtf8(f.relative) + "\": " + why);
        auto [it, fresh] = paths.emplace(Upper(f.relative), f.relative);
        if (!fresh && it->second != f.relative) {
            p.Fail("\"" + WideToUtf8(f.relative) + "\" and \"" + WideToUtf8(it->second) +
                   "\" would be the same file on Windows");
        }
    }
    for (const auto& m : modules) {
        if (m.entry.package.empty()) continue;
        std::wstring package = Utf8ToWide(m.entry.package);
        if (!paths.emplace(Upper(package), package).second) {
            p.Fail("package \"" + m.entry.package + "\" has the name of another published file");
        }
    }
    for (const auto& [upper, original] : paths) {
        if (upper == Upper(names::kRuntimeManifestJson) ||
            (!d.is64Bit && upper.rfind(L"X64", 0) == 0 && (upper.size() == 3 || upper[3] == L'\\'))) {
            p.Fail("cannot publish \"" + WideToUtf8(original) + "\": the name is the runtime's own");
        }
        if (upper.size() > 4 && upper.compare(upper.size() - 4, 4, L".CFG") == 0 &&
            paths.count(upper.substr(0, upper.size() - 4))) {
            p.Fail("cannot publish \"" + WideToUtf8(original) +
                   "\": the launcher would take it for a download state");
        }
    }
    CheckModuleNames(modules, p);
    return modules;
}

ojson FileJson(const std::string& name, const std::string& path, const std::string& package, bool extract,
               std::uint64_t size, const std::string& action, const std::string& hash) {
    return ojson{{"name", name}, {"path", path},     {"packagename", package}, {"isneedextract", extract},
                 {"size", size}, {"action", action}, {"hashcode", hash}};
}

// Writes one module's files into folder; returns its "files" list.
ojson WriteModule(const PlannedModule& m, const fs::path& folder) {
    ojson files = ojson::array();
    if (m.entry.package.empty()) {
        for (const auto& f : m.files) {
            fs::path target = folder / f.relative;
            CreateFolders(target.parent_path());
            if (!fs::exists(target) && !CopyFileW(f.full.c_str(), target.c_str(), TRUE)) {
                throw PublishError("cannot copy " + PathText(f.full) + ": " +
                                   SystemErrorText(GetLastError()));
            }
            files.push_back(FileJson(WideToUtf8(f.Name()), WideToUtf8(f.Folder()), "", false,
                                     fs::file_size(target), m.entry.action,
                                     HashTag(Sha256OfFile(target), kRuntimeHashLength)));
        }
        return files;
    }
    ojson content = ojson::array();
    Sha256 packageHash;
    fs::path archive = folder / Utf8ToWide(m.entry.package);
    {
        ZipWriter zip(archive);
        for (const auto& f : m.files) {
            std::wstring entry = f.relative;
            for (auto& c : entry) {
                if (c == L'\\') c = L'/';
            }
            std::string hash = HashTag(Sha256OfFile(f.full), kRuntimeHashLength);
            std::uint64_t size = zip.AddFile(WideToUtf8(entry), f.full);
            content.push_back(FileJson(WideToUtf8(f.Name()), WideToUtf8(f.Folder()), m.entry.package, false,
                                       size, m.entry.action, hash));
            packageHash.Update(WideToUtf8(f.relative) + "\n" + hash + "\n");
        }
        zip.Finish();
    }
    bool webView = Upper(Utf8ToWide(m.entry.package)) == Upper(kWebViewPackage);
    files.push_back(FileJson(m.entry.package, webView ? kWebViewFolder : ".", "", true,
                             fs::file_size(archive), m.entry.action,
                             HashTag(packageHash.Final(), kRuntimeHashLength)));
    for (auto& c : content) files.push_back(std::move(c));
    return files;
}

}  // namespace

fs::path PublishRuntime(const RuntimePublishRequest& request, IReporter& reporter) {
    Problems problems;
    RuntimeDescription d = ParseRuntimeDescription(ReadDescription(request), problems);
    problems.Report(reporter, "the runtime description");
    if (IsInside(request.deployment, request.source)) {
        throw PublishError("the deployment folder " + PathText(request.deployment) +
                           " lies inside the source folder " + PathText(request.source));
    }
    std::vector<PlannedModule> modules = PlanRuntime(d, ScanFolder(request.source), problems);
    problems.Report(reporter, "the runtime");
    DeploymentLayout layout{request.deployment};
    fs::path target = layout.RuntimeFolder(d.version, d.is64Bit);
    if (!request.folder.empty()) {
        target = layout.Below(request.folder);
        if (d.is64Bit) target /= names::kRuntimeX64Folder;
    }
    std::string what = "runtime " + d.version + (d.is64Bit ? " (64-bit)" : " (32-bit)");
    if (request.checkOnly) {
        reporter.Info("checked " + what + "; nothing was written");
        return target;
    }

    DeploymentLock lock(layout.root);
    fs::path parent = target.parent_path();
    Staging::Sweep(parent);
    Staging staging(parent);
    fs::path name = target.filename();
    CreateFolders(staging / name);
    ojson manifest;
    manifest["version"] = d.version;
    manifest["modules"] = ojson::array();
    size_t count = 0;
    for (const auto& m : modules) {
        manifest["modules"].push_back(
            ojson{{"name", m.entry.name}, {"files", WriteModule(m, staging / name)}});
        count += m.files.size();
    }
    WriteTextFile(staging / name / names::kRuntimeManifestJson, manifest.dump(2) + "\n");
    // The 64-bit runtime lives inside the 32-bit one's folder; publishing one keeps the other.
    staging.ReplaceFolder(
        name, target,
        d.is64Bit ? std::vector<std::wstring>{} : std::vector<std::wstring>{names::kRuntimeX64Folder});
    staging.Commit();
    reporter.Info("published " + what + " (" + Count(modules.size(), "module") + ", " + Count(count, "file") +
                  ") to " + PathText(target));
    return target;
}

}  // namespace NimboNS::publisher
