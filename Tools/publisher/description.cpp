#include "description.h"

#include <windows.h>

#include <nlohmann/json.hpp>
#include <cstring>
#include <set>

#include "deploylist.h"
#include "scwconv.h"

namespace NimboNS::publisher {
namespace {

using json = nlohmann::json;

// Reads the members of one JSON object, checks their types and notes unknown keys.
class ObjectReader {
public:
    ObjectReader(const json& object, std::string where, Problems& problems)
        : object_(object), where_(std::move(where)), problems_(problems) {}

    const json* Member(const char* key) {
        seen_.insert(key);
        auto it = object_.find(key);
        return it == object_.end() ? nullptr : &*it;
    }
    std::optional<std::string> String(const char* key) {
        const json* v = Member(key);
        if (!v) return std::nullopt;
        if (!v->is_string()) return Wrong(key, "a text");
        return v->get<std::string>();
    }
    void String(const char* key, std::string& out) {
        if (auto v = String(key)) out = *v;
    }
    void Bool(const char* key, bool& out) {
        const json* v = Member(key);
        if (!v) return;
        if (!v->is_boolean()) return (void)Wrong(key, "true or false");
        out = v->get<bool>();
    }
    void Int(const char* key, int& out, int min, int max) {
        const json* v = Member(key);
        if (!v) return;
        if (!v->is_number_integer() || v->get<long long>() < min || v->get<long long>() > max) {
            return (void)Wrong(key,
                               "a whole number from " + std::to_string(min) + " to " + std::to_string(max));
        }
        out = v->get<int>();
    }
    // An array of texts, or (when allowed) a single text.
    std::optional<std::vector<std::string>> Strings(const char* key, bool single = false) {
        const json* v = Member(key);
        if (!v) return std::nullopt;
        if (single && v->is_string()) return std::vector<std::string>{v->get<std::string>()};
        if (!v->is_array()) return Wrong(key, "a list of texts");
        std::vector<std::string> out;
        for (const auto& item : *v) {
            if (!item.is_string()) return Wrong(key, "a list of texts");
            out.push_back(item.get<std::string>());
        }
        return out;
    }
    std::vector<std::wstring> Patterns(const char* key) {
        std::vector<std::wstring> out;
        if (auto list = Strings(key, true)) {
            for (const auto& s : *list) {
                if (s.empty()) Fail(std::string("\"") + key + "\" holds an empty pattern");
                out.push_back(Utf8ToWide(s));
            }
        }
        return out;
    }
    const json* Array(const char* key) {
        const json* v = Member(key);
        if (v && !v->is_array()) return Wrong(key, "a list"), nullptr;
        return v;
    }
    const json* Object(const char* key) {
        const json* v = Member(key);
        if (v && !v->is_object()) return Wrong(key, "an object"), nullptr;
        return v;
    }
    void Fail(const std::string& text) { problems_.Fail(where_ + ": " + text); }
    void Warn(const std::string& text) { problems_.Warn(where_ + ": " + text); }
    Problems& problems() { return problems_; }
    const std::string& where() const { return where_; }
    void Finish() {
        for (auto it = object_.begin(); it != object_.end(); ++it) {
            if (!seen_.count(it.key())) Fail("unknown key \"" + it.key() + "\"");
        }
    }

private:
    std::nullopt_t Wrong(const char* key, const std::string& what) {
        Fail(std::string("\"") + key + "\" must be " + what);
        return std::nullopt;
    }
    const json& object_;
    std::string where_;
    Problems& problems_;
    std::set<std::string> seen_;
};

json ParseObject(const std::string& text, const char* what, Problems& problems) {
    json doc = json::parse(text, nullptr, false);
    if (doc.is_discarded()) {
        // Parse again for the position of the fault.
        try {
            json again = json::parse(text);
        } catch (const json::exception& e) {
            problems.Fail(std::string(what) + " is not valid JSON: " + e.what());
            return json::object();
        }
    }
    if (!doc.is_object()) {
        problems.Fail(std::string(what) + " must be a JSON object");
        return json::object();
    }
    return doc;
}

bool IsFileName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.size() > 255) return false;
    return name.find_first_of("\\/:*?\"<>|") == std::string::npos && name.back() != ' ' && name.back() != '.';
}

void ReadStartMode(ObjectReader& r, int& out) {
    const json* v = r.Member("StartMode");
    if (!v) return;
    if (v->is_number_integer() && v->get<long long>() >= 0 && v->get<long long>() <= 2) {
        out = v->get<int>();
        return;
    }
    if (v->is_string()) {
        static const char* kNames[] = {"Always", "Never", "Connect"};
        for (int i = 0; i < 3; ++i) {
            if (_stricmp(v->get<std::string>().c_str(), kNames[i]) == 0) {
                out = i;
                return;
            }
        }
    }
    r.Fail("\"StartMode\" must be 0 (\"Always\"), 1 (\"Never\") or 2 (\"Connect\")");
}

void ReadVersion(ObjectReader& r, const char* key, std::string& out, bool required) {
    if (auto v = r.String(key)) {
        if (!IsVersionText(*v)) {
            r.Fail("\"" + std::string(key) + "\" \"" + *v +
                   "\" is not a version (numbers separated by dots)");
        }
        out = *v;
    } else if (required) {
        r.Fail("\"" + std::string(key) + "\" is missing");
    }
}

std::optional<std::string> ReadTime(ObjectReader& r, const char* key) {
    auto v = r.String(key);
    if (!v) return std::nullopt;
    if (_stricmp(v->c_str(), "now") == 0) return FormatUtcTime(NowUtc());
    auto seconds = ParseUtcTime(*v);
    if (!seconds) {
        r.Fail("\"" + std::string(key) + "\" \"" + *v + "\" is not a time written YYYY-MM-DD hh:mm:ss (UTC)");
        return std::nullopt;
    }
    return FormatUtcTime(*seconds);
}

void ReadPreloadCommands(ObjectReader& r, std::string& out) {
    auto lines = r.Strings("PreloadEventCommands", true);
    if (!lines) return;
    out.clear();
    for (const auto& line : *lines) {
        if (line.find_first_of("\r\n") != std::string::npos && lines->size() > 1) {
            r.Fail("\"PreloadEventCommands\": a command of the list holds a line break");
        }
        if (!out.empty()) out += "\r\n";
        out += line;
    }
}

// Runs read(reader) for every element of an array of objects.
template <typename Read>
void ForEachObject(ObjectReader& r, const char* key, Read read) {
    const json* list = r.Array(key);
    if (!list) return;
    for (size_t i = 0; i < list->size(); ++i) {
        std::string item = "\"" + std::string(key) + "\" item " + std::to_string(i + 1);
        if (!(*list)[i].is_object()) {
            r.Fail(item + " must be an object");
            continue;
        }
        ObjectReader nested((*list)[i], r.where() + ": " + item, r.problems());
        read(nested);
        nested.Finish();
    }
}

void ReadIniConfigFiles(ObjectReader& r, AppDescription& d) {
    ForEachObject(r, "IniConfigFiles", [&](ObjectReader& ir) {
        IniConfigFileEntry entry;
        auto name = ir.String("FileName");
        if (!name || name->empty()) {
            ir.Fail("\"FileName\" is missing");
        } else if (!IsFileName(*name) || name->size() > 259) {
            ir.Fail("\"FileName\" \"" + *name + "\" is not a file name");
        } else {
            if (name->size() < 4 || name->compare(name->size() - 4, 4, ".ini") != 0) {
                ir.Warn("\"" + *name +
                        "\" does not end in \".ini\" (lower case): the launcher treats it as a plain file");
            }
            entry.fileName = *name;
        }
        entry.updateType = 0;
        ir.Int("UpdateType", entry.updateType, 1, 3);
        if (entry.updateType == 0 && !ir.Member("UpdateType"))
            ir.Fail("\"UpdateType\" is missing (1, 2 or 3)");
        d.iniConfigFiles.push_back(entry);
    });
}

void ReadPackages(ObjectReader& r, AppDescription& d) {
    ForEachObject(r, "Packages", [&](ObjectReader& pr) {
        PackageEntry entry;
        pr.String("Name", entry.name);
        if (!IsFileName(entry.name))
            pr.Fail("\"Name\" must be the package's file name, for example \"assets.zip\"");
        entry.content = pr.Patterns("Content");
        if (entry.content.empty()) pr.Fail("\"Content\" must list the files the package carries");
        d.packages.push_back(std::move(entry));
    });
    std::set<std::string> names;
    for (const auto& p : d.packages) {
        std::string folded = p.name;
        CharUpperBuffA(folded.data(), static_cast<DWORD>(folded.size()));
        if (!names.insert(folded).second) r.Fail("two packages are named \"" + p.name + "\"");
    }
}

void ReadDeploymentUrls(ObjectReader& r, AppDescription& d) {
    const json* urls = r.Object("DeploymentUrls");
    if (!urls) return;
    ObjectReader ur(*urls, r.where() + ": \"DeploymentUrls\"", r.problems());
    d.launcherUrl = ur.String("launcher");
    d.runtimeUrl = ur.String("runtime");
    d.webApiUrl = ur.String("web_api");
    ur.Finish();
}

void ReadCorvane(ObjectReader& r, AppDescription& d) {
    const json* corvane = r.Object("corvane");
    if (!corvane) return;
    ObjectReader cr(*corvane, r.where() + ": \"corvane\"", r.problems());
    d.corvaneWebApiUrl = cr.String("webapiurl");
    d.corvaneModelName = cr.String("modelname");
    cr.Finish();
}

void CheckTexts(ObjectReader& r, const AppDescription& d) {
    if (!d.appShortcutName.empty() && !IsFileName(d.appShortcutName)) {
        r.Fail("\"AppShortcutName\" \"" + d.appShortcutName + "\" cannot be a shortcut's file name");
    }
    for (const auto& m : d.runtimeModules) {
        if (m.empty()) r.Fail("\"RuntimeModules\" holds an empty name");
    }
    for (const auto& f : d.registerFiles) {
        if (f.empty() || f.size() > 259)
            r.Fail("\"RegisterFiles\" entry \"" + f + "\" must be 1 to 259 characters");
    }
}

}  // namespace

bool IsAppName(const std::string& name) {
    if (name.empty() || name.size() > 100 || name.find_first_not_of('.') == std::string::npos) return false;
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                  c == '_' || c == '-';
        if (!ok) return false;
    }
    // The launcher drops a last URL segment that looks like a page.
    auto endsWith = [&](const char* tail) {
        size_t n = std::strlen(tail);
        return name.size() >= n && name.compare(name.size() - n, n, tail) == 0;
    };
    return !endsWith(".html") && !endsWith(".htm");
}

AppDescription ParseAppDescription(const std::string& text, Problems& problems) {
    AppDescription d;
    json doc = ParseObject(text, "the app description", problems);
    if (!problems.ok()) return d;
    ObjectReader r(doc, "app description", problems);
    r.String("AppName", d.appName);
    if (!IsAppName(d.appName)) {
        r.Fail("\"AppName\" must be the app's name in its URL: letters, digits, \".\", \"_\" and \"-\"");
    }
    ReadVersion(r, "Version", d.version, true);
    r.String("StartupFile", d.startupFile);
    if (d.startupFile.empty()) r.Fail("\"StartupFile\" is missing");
    ReadVersion(r, "RuntimeVersion", d.runtimeVersion, true);
    ReadStartMode(r, d.startMode);
    r.Bool("IsVerOffCheck", d.isVerOffCheck);
    r.Bool("Is32Bit", d.is32Bit);
    r.Int("WebViewType", d.webViewType, 0, 0x7FFFFFFF);
    r.Bool("SaveDynamicCommandLineArgs", d.saveDynamicCommandLineArgs);
    r.Bool("FullDownload", d.fullDownload);
    r.Bool("CreateDesktopShortcut", d.createDesktopShortcut);
    r.Bool("CreateStartMenuShortcut", d.createStartMenuShortcut);
    r.Bool("CreateAppUninstallShortcut", d.createAppUninstallShortcut);
    r.Bool("AlwaysRunCommand", d.alwaysRunCommand);
    r.Bool("RunCommandAsAdmin", d.runCommandAsAdmin);
    r.Bool("ShowStartAnimatedWindow", d.showStartAnimatedWindow);
    r.String("Arguments", d.arguments);
    r.String("AppShortcutName", d.appShortcutName);
    r.String("AppShortcutImage", d.appShortcutImage);
    ReadPreloadCommands(r, d.preloadEventCommands);
    ReadCorvane(r, d);
    if (auto v = r.Strings("RuntimeModules")) d.runtimeModules = *v;
    if (auto v = r.Strings("RegisterFiles")) d.registerFiles = *v;
    ReadIniConfigFiles(r, d);
    d.instantDownloadFiles = r.Patterns("InstantDownloadFiles");
    d.exclude = r.Patterns("Exclude");
    ReadPackages(r, d);
    d.onlineTime = ReadTime(r, "OnlineTime");
    d.offlineTime = ReadTime(r, "OfflineTime");
    if (r.Member("MinimumValidVersion")) {
        std::string minimum;
        ReadVersion(r, "MinimumValidVersion", minimum, false);
        d.minimumValidVersion = minimum;
    }
    ReadDeploymentUrls(r, d);
    CheckTexts(r, d);
    r.Finish();
    if (d.onlineTime && d.offlineTime && ParseUtcTime(*d.onlineTime) >= ParseUtcTime(*d.offlineTime)) {
        r.Fail("\"OfflineTime\" must be later than \"OnlineTime\"");
    }
    return d;
}

RuntimeDescription ParseRuntimeDescription(const std::string& text, Problems& problems) {
    RuntimeDescription d;
    json doc = ParseObject(text, "the runtime description", problems);
    if (!problems.ok()) return d;
    ObjectReader r(doc, "runtime description", problems);
    ReadVersion(r, "Version", d.version, true);
    int bitness = 32;
    r.Int("Bitness", bitness, 32, 64);
    if (bitness != 32 && bitness != 64) r.Fail("\"Bitness\" must be 32 or 64");
    d.is64Bit = bitness == 64;
    d.exclude = r.Patterns("Exclude");
    ForEachObject(r, "Modules", [&](ObjectReader& mr) {
        ModuleEntry m;
        mr.String("Name", m.name);
        if (m.name.empty() || m.name.size() > 255) mr.Fail("\"Name\" must be 1 to 255 characters");
        m.files = mr.Patterns("Files");
        mr.String("Package", m.package);
        mr.String("Action", m.action);
        if (m.action.size() > 255) mr.Fail("\"Action\" is longer than 255 characters");
        if (!m.package.empty() && (!IsFileName(m.package) || m.package.size() > 59)) {
            mr.Fail("\"Package\" must be a file name of at most 59 characters");
        }
        d.modules.push_back(std::move(m));
    });
    if (!r.Member("Modules")) r.Fail("\"Modules\" is missing");
    r.Finish();
    return d;
}

}  // namespace NimboNS::publisher
