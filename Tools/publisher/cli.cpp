#include "cli.h"

#include <map>
#include <optional>
#include <set>

#include "publish.h"
#include "scwconv.h"

namespace NimboNS::publisher {
namespace {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "--name value" and "--name=value" options, plus plain arguments.
class Arguments {
public:
    Arguments(const std::vector<std::wstring>& args, const std::set<std::string>& valued,
              const std::set<std::string>& flags) {
        for (size_t i = 0; i < args.size(); ++i) {
            std::string arg = WideToUtf8(args[i]);
            if (arg.rfind("--", 0) != 0) {
                plain_.push_back(arg);
                continue;
            }
            std::string name = arg.substr(2), value;
            size_t eq = name.find('=');
            bool inlineValue = eq != std::string::npos;
            if (inlineValue) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
            }
            if (flags.count(name) && !inlineValue) {
                values_[name] = "1";
            } else if (valued.count(name)) {
                if (!inlineValue) {
                    if (i + 1 >= args.size()) throw UsageError("--" + name + " needs a value");
                    value = WideToUtf8(args[++i]);
                }
                if (values_.count(name)) throw UsageError("--" + name + " is given twice");
                values_[name] = value;
            } else {
                throw UsageError("unknown option --" + name);
            }
        }
    }
    std::optional<std::string> Get(const std::string& name) const {
        auto it = values_.find(name);
        return it == values_.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::string Required(const std::string& name) const {
        auto v = Get(name);
        if (!v || v->empty()) throw UsageError("--" + name + " is missing");
        return *v;
    }
    fs::path RequiredPath(const std::string& name) const { return fs::path(Utf8ToWide(Required(name))); }
    bool Flag(const std::string& name) const { return values_.count(name) > 0; }
    const std::vector<std::string>& plain() const { return plain_; }

private:
    std::map<std::string, std::string> values_;
    std::vector<std::string> plain_;
};

void NoPlain(const Arguments& a) {
    if (!a.plain().empty()) throw UsageError("unexpected argument \"" + a.plain().front() + "\"");
}

void RunApp(const std::vector<std::wstring>& args, IReporter& reporter) {
    Arguments a(args, {"description", "source", "deployment", "version"}, {"check"});
    NoPlain(a);
    AppPublishRequest request{a.RequiredPath("description"), a.RequiredPath("source"),
                              a.RequiredPath("deployment"), a.Get("version").value_or(""), a.Flag("check")};
    PublishApp(request, reporter);
}

void RunRuntime(const std::vector<std::wstring>& args, IReporter& reporter) {
    Arguments a(args, {"description", "source", "deployment", "version", "folder"}, {"check"});
    NoPlain(a);
    RuntimePublishRequest request{a.RequiredPath("description"), a.RequiredPath("source"),
                                  a.RequiredPath("deployment"),  a.Get("version").value_or(""),
                                  a.Get("folder").value_or(""),  a.Flag("check")};
    PublishRuntime(request, reporter);
}

void RunLauncher(const std::vector<std::wstring>& args, IReporter& reporter) {
    Arguments a(args, {"deployment", "version", "minimum", "installer", "folder"}, {});
    NoPlain(a);
    LauncherPublishRequest request;
    request.deployment = a.RequiredPath("deployment");
    request.version = a.Get("version").value_or("");
    request.minimumVersion = a.Get("minimum").value_or("");
    if (auto installer = a.Get("installer")) request.installer = fs::path(Utf8ToWide(*installer));
    request.folder = a.Get("folder").value_or("");
    PublishLauncher(request, reporter);
}

void RunSchedule(const std::vector<std::wstring>& args, IReporter& reporter) {
    Arguments a(args, {"deployment", "app", "version", "online", "offline", "minimum"}, {});
    NoPlain(a);
    ScheduleRequest request{a.RequiredPath("deployment"),
                            a.Required("app"),
                            a.Get("version").value_or(""),
                            a.Get("online"),
                            a.Get("offline"),
                            a.Get("minimum")};
    if (!request.onlineTime && !request.offlineTime && !request.minimumValidVersion) {
        throw UsageError("nothing to change: give --online, --offline or --minimum");
    }
    ScheduleApp(request, reporter);
}

void RunList(const std::vector<std::wstring>& args, IReporter& reporter) {
    Arguments a(args, {"deployment", "app"}, {});
    NoPlain(a);
    ListApp(a.RequiredPath("deployment"), a.Required("app"), reporter);
}

void RunShowConfig(const std::vector<std::wstring>& args, std::string& out) {
    Arguments a(args, {}, {});
    if (a.plain().size() != 1) throw UsageError("show-config takes one file");
    out += ReadAppConfig(fs::path(Utf8ToWide(a.plain().front())));
    out += "\n";
}

}  // namespace

int RunCommandLine(const std::vector<std::wstring>& args, IReporter& reporter, std::string& out) {
    try {
        if (args.empty() || args[0] == L"--help" || args[0] == L"-h" || args[0] == L"/?" ||
            args[0] == L"help") {
            out += HelpText();
            return args.empty() ? kExitUsage : kExitOk;
        }
        std::wstring command = args[0];
        std::vector<std::wstring> rest(args.begin() + 1, args.end());
        for (const auto& arg : rest) {
            if (arg == L"--help" || arg == L"-h") {
                out += HelpText();
                return kExitOk;
            }
        }
        if (command == L"app") {
            RunApp(rest, reporter);
        } else if (command == L"runtime") {
            RunRuntime(rest, reporter);
        } else if (command == L"launcher") {
            RunLauncher(rest, reporter);
        } else if (command == L"schedule") {
            RunSchedule(rest, reporter);
        } else if (command == L"list") {
            RunList(rest, reporter);
        } else if (command == L"show-config") {
            RunShowConfig(rest, out);
        } else {
            throw UsageError("unknown command \"" + WideToUtf8(command) + "\"");
        }
        return kExitOk;
    } catch (const UsageError& e) {
        reporter.Error(std::string(e.what()) + " (nimbo-publish --help explains the commands)");
        return kExitUsage;
    } catch (const PublishError& e) {
        reporter.Error(e.what());
        return kExitFailed;
    } catch (const std::exception& e) {
        reporter.Error(std::string("unexpected failure: ") + e.what());
        return kExitFailed;
    }
}

}  // namespace NimboNS::publisher
