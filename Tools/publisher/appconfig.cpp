#include "appconfig.h"

#include <windows.h>

#include <map>
#include <nlohmann/json.hpp>

#include "scwconv.h"

namespace NimboNS::publisher {
namespace {

using ojson = nlohmann::ordered_json;

std::wstring Upper(std::wstring s) {
    if (!s.empty()) CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

std::wstring Slashes(std::wstring s) {
    for (auto& c : s) {
        if (c == L'/') c = L'\\';
    }
    return s;
}

std::string Quoted(const std::wstring& s) {
    return "\"" + WideToUtf8(s) + "\"";
}

bool EndsWithNoCase(const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && Upper(s.substr(s.size() - tail.size())) == Upper(tail);
}

// Sorts each scanned file into a package, the plain files, or nothing (excluded).
void SortFiles(const AppDescription& d, const std::vector<SourceFile>& scanned, AppPlan& plan, Problems& p) {
    for (const auto& entry : d.packages)
        plan.packages.push_back({entry, {}, MatchesAny(d.instantDownloadFiles, Utf8ToWide(entry.name))});
    for (const auto& f : scanned) {
        if (MatchesAny(d.exclude, f.relative)) continue;
        bool packed = false;
        for (auto& pkg : plan.packages) {
            if (MatchesAny(pkg.entry.content, f.relative)) {
                pkg.content.push_back(f);
                packed = true;
                break;
            }
        }
        if (packed) continue;
        plan.files.push_back(f);
        plan.instant.push_back(MatchesAny(d.instantDownloadFiles, f.relative));
    }
    for (const auto& pkg : plan.packages) {
        if (pkg.content.empty())
            p.Fail("package \"" + pkg.entry.name + "\" would be empty: its Content matches no file");
        if (pkg.content.size() > 0xFFFF)
            p.Fail("package \"" + pkg.entry.name + "\" would hold more than 65535 files");
    }
    for (const auto& pattern : d.instantDownloadFiles) {
        bool used = false;
        for (const auto& f : plan.files) used = used || MatchesPattern(pattern, f.relative);
        for (const auto& pkg : plan.packages)
            used = used || MatchesPattern(pattern, Utf8ToWide(pkg.entry.name));
        if (!used) p.Warn("InstantDownloadFiles pattern " + Quoted(pattern) + " matches no published file");
    }
}

// Every path the app folder will hold, upper-cased, with where it comes from.
std::map<std::wstring, std::wstring> CheckPaths(const AppPlan& plan, Problems& p) {
    std::map<std::wstring, std::wstring> all;
    auto add = [&](const std::wstring& relative, const std::wstring& from) {
        std::string why = PathProblem(relative, kMaxRecordName, kMaxRecordPath);
        if (!why.empty()) p.Fail("cannot publish " + Quoted(relative) + ": " + why);
        auto [it, fresh] = all.emplace(Upper(relative), from.empty() ? relative : from);
        if (!fresh) {
            p.Fail(Quoted(relative) + " and " + Quoted(it->second) +
                   " would be the same file on Windows, which does not tell letter case apart");
        }
    };
    for (const auto& f : plan.files) add(f.relative, L"");
    for (const auto& pkg : plan.packages) {
        add(Utf8ToWide(pkg.entry.name), L"package " + Utf8ToWide(pkg.entry.name));
        for (const auto& f : pkg.content) add(f.relative, L"");
    }
    // The launcher keeps a download's resume state in the target's name + ".cfg".
    for (const auto& [upper, original] : all) {
        if (upper.size() > 4 && EndsWithNoCase(upper, L".CFG") &&
            all.count(upper.substr(0, upper.size() - 4))) {
            p.Fail("cannot publish " + Quoted(original) +
                   ": the launcher would take it for the download state of " +
                   Quoted(all[upper.substr(0, upper.size() - 4)]) + " and delete it");
        }
    }
    return all;
}

// Names the launcher itself writes into the app folder.
void CheckReservedNames(const AppDescription& d, const std::map<std::wstring, std::wstring>& all,
                        Problems& p) {
    for (const wchar_t* name : {L"appconfig.json", L"Uninstall.exe"}) {
        if (all.count(Upper(name))) {
            p.Fail("cannot publish " + Quoted(name) +
                   " in the app's top folder: the launcher writes its own file of that name");
        }
    }
    std::wstring start = Slashes(Utf8ToWide(d.startupFile));
    size_t dot = start.rfind(L'.');
    std::wstring base = dot == std::wstring::npos ? start : start.substr(0, dot);
    for (const std::wstring& name :
         {std::wstring(L"kxapp.ini"), base + L".xml", base + L".offline.download.finished"}) {
        if (all.count(Upper(name)))
            p.Warn("the launcher writes " + Quoted(name) + " itself and will overwrite the published one");
    }
}

void CheckReferences(const AppDescription& d, const AppPlan& plan,
                     const std::map<std::wstring, std::wstring>& all, Problems& p) {
    std::wstring start = Slashes(Utf8ToWide(d.startupFile));
    if (!all.count(Upper(start))) {
        p.Fail("the StartupFile " + Quoted(start) + " is not among the published files");
    } else {
        for (size_t i = 0; i < plan.files.size(); ++i) {
            if (plan.instant[i] && !d.fullDownload && Upper(plan.files[i].relative) == Upper(start)) {
                p.Fail(
                    "the StartupFile is listed in InstantDownloadFiles, which the launcher fetches only with "
                    "FullDownload");
            }
        }
    }
    for (const auto& f : d.registerFiles) {
        if (!all.count(Upper(Slashes(Utf8ToWide(f)))))
            p.Fail("RegisterFiles entry \"" + f + "\" is not among the published files");
    }
    if (!d.appShortcutImage.empty()) {
        std::wstring image = Slashes(Utf8ToWide(d.appShortcutImage));
        if (!all.count(Upper(image)))
            p.Fail("AppShortcutImage " + Quoted(image) + " is not among the published files");
        if (!EndsWithNoCase(image, L".ico"))
            p.Warn("AppShortcutImage is not an .ico file: the launcher uses only .ico images");
    }
    for (const auto& ini : d.iniConfigFiles) {
        bool found = false;
        std::wstring name = Upper(Utf8ToWide(ini.fileName));
        for (const auto& [upper, original] : all) {
            size_t slash = upper.rfind(L'\\');
            found = found || (slash == std::wstring::npos ? upper : upper.substr(slash + 1)) == name;
        }
        if (!found) p.Warn("IniConfigFiles entry \"" + ini.fileName + "\" names no published file");
    }
}

ojson RecordJson(const FileRecord& r) {
    return ojson{{"Size", r.size},
                 {"Extractable", r.extractable},
                 {"Name", r.name},
                 {"Path", r.path},
                 {"HashCode", r.hashCode}};
}

ojson RecordList(const std::vector<FileRecord>& records) {
    ojson list = ojson::array();
    for (const auto& r : records) list.push_back(RecordJson(r));
    return list;
}

}  // namespace

AppPlan PlanApp(const AppDescription& d, const std::vector<SourceFile>& scanned, Problems& p) {
    AppPlan plan;
    SortFiles(d, scanned, plan, p);
    if (plan.files.empty() && plan.packages.empty()) p.Fail("there is no file to publish");
    auto all = CheckPaths(plan, p);
    CheckReservedNames(d, all, p);
    CheckReferences(d, plan, all, p);
    return plan;
}

std::string BuildAppConfig(const AppDescription& d, const std::string& updateGuid, const AppLists& lists) {
    ojson doc;
    doc["StartupFile"] = WideToUtf8(Slashes(Utf8ToWide(d.startupFile)));
    doc["Version"] = d.version;
    doc["UpdateGuid"] = updateGuid;
    doc["IsVerOffCheck"] = d.isVerOffCheck;
    doc["RuntimeVersion"] = d.runtimeVersion;
    doc["StartMode"] = d.startMode;
    doc["Is32Bit"] = d.is32Bit;
    doc["WebViewType"] = d.webViewType;
    doc["SaveDynamicCommandLineArgs"] = d.saveDynamicCommandLineArgs;
    doc["FullDownload"] = d.fullDownload;
    doc["CreateDesktopShortcut"] = d.createDesktopShortcut;
    doc["CreateStartMenuShortcut"] = d.createStartMenuShortcut;
    doc["CreateAppUninstallShortcut"] = d.createAppUninstallShortcut;
    doc["AlwaysRunCommand"] = d.alwaysRunCommand;
    doc["RunCommandAsAdmin"] = d.runCommandAsAdmin;
    doc["ShowStartAnimatedWindow"] = d.showStartAnimatedWindow;
    doc["Arguments"] = d.arguments;
    doc["AppShortcutName"] = d.appShortcutName;
    doc["AppShortcutImage"] = WideToUtf8(Slashes(Utf8ToWide(d.appShortcutImage)));
    doc["PreloadEventCommands"] = d.preloadEventCommands;
    if (d.corvaneWebApiUrl || d.corvaneModelName) {
        ojson corvane = ojson::object();
        if (d.corvaneWebApiUrl) corvane["webapiurl"] = *d.corvaneWebApiUrl;
        if (d.corvaneModelName) corvane["modelname"] = *d.corvaneModelName;
        doc["corvane"] = corvane;
    }
    doc["PredownloadFiles"] = RecordList(lists.predownload);
    doc["InstantDownloadFiles"] = RecordList(lists.instant);
    ojson packages = ojson::object();
    for (const auto& [name, content] : lists.packages) packages[name] = RecordList(content);
    doc["Packages"] = packages;
    ojson ini = ojson::array();
    for (const auto& f : d.iniConfigFiles)
        ini.push_back(ojson{{"FileName", f.fileName}, {"UpdateType", f.updateType}});
    doc["IniConfigFiles"] = ini;
    ojson registerFiles = ojson::array();
    for (const auto& f : d.registerFiles) registerFiles.push_back(WideToUtf8(Slashes(Utf8ToWide(f))));
    doc["RegisterFiles"] = registerFiles;
    doc["RuntimeModules"] = d.runtimeModules;
    return doc.dump(2);
}

}  // namespace NimboNS::publisher
