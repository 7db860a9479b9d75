#include "deployment.h"

#include <shlobj.h>

#include <cstdio>

#include "scwconv.h"

namespace e2e {

using nimbo_test::Quote;
using nimbo_test::TempFolder;
using nimbo_test::WriteFileText;

bool Publish(const std::wstring& arguments) {
    auto run = nimbo_test::RunProgram(
        Quote(nimbo_test::BinFolder() + L"\\nimbo-publish.exe") + L" " + arguments, 90000);
    if (run.finished && run.exitCode == 0) return true;
    std::printf("nimbo-publish %s\n%s\n", NimboNS::WideToUtf8(arguments).c_str(), run.output.c_str());
    return false;
}

static bool WriteTree(const TempFolder& root, const std::vector<AppFile>& files) {
    for (const AppFile& file : files) {
        const std::wstring path = root / file.path;
        const std::wstring folder = path.substr(0, path.rfind(L'\\'));
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        if (!WriteFileText(path, file.bytes)) return false;
    }
    return true;
}

std::vector<AppFile> StandardFiles(const std::string& version) {
    return {
        {L"app.exe", "program " + version}, {L"bin\\a.dll", "library"}, {L"settings.ini", "[s]\r\nk=v\r\n"}};
}

bool Deployment::PublishRuntime(const std::string& version) {
    TempFolder source, description;
    if (!WriteTree(source,
                   {{L"core\\core.dll", "core library " + version}, {L"core\\core.cfgx", "settings"}}))
        return false;
    WriteFileText(description / L"runtime.json",
                  R"({"Version": ")" + version +
                      R"(", "Bitness": 32, "Modules": [{"Name": "Core", "Files": ["core"]}]})");
    return Publish(L"runtime --description " + Quote(description / L"runtime.json") + L" --source " +
                   Quote(source.path()) + L" --deployment " + Quote(folder_.path()));
}

bool Deployment::PublishLauncher(const std::string& version, const std::string& minimum,
                                 const std::string& installer) {
    TempFolder source;
    WriteFileText(source / L"setup.exe", installer);
    return Publish(L"launcher --version " + NimboNS::Utf8ToWide(version) + L" --minimum " +
                   NimboNS::Utf8ToWide(minimum) + L" --installer " + Quote(source / L"setup.exe") +
                   L" --deployment " + Quote(folder_.path()));
}

bool Deployment::PublishApp(const std::string& name, const std::string& version,
                            const std::vector<AppFile>& files, const std::string& extra,
                            const std::string& startupFile) {
    TempFolder source, description;
    if (!WriteTree(source, files)) return false;
    WriteFileText(description / L"app.json", R"({"AppName": ")" + name + R"(", "Version": ")" + version +
                                                 R"(", "StartupFile": ")" + startupFile +
                                                 R"(", "RuntimeVersion": "22.3.0.1",
        "RuntimeModules": ["Core"], "OnlineTime": "2000-01-01 00:00:00")" +
                                                 extra + "}");
    return Publish(L"app --description " + Quote(description / L"app.json") + L" --source " +
                   Quote(source.path()) + L" --deployment " + Quote(folder_.path()));
}

bool Deployment::PublishStandard(const std::string& extra) {
    return PublishRuntime() && PublishLauncher("22.0.0.0", "22.0.0.0", "installer 22.0") &&
           PublishApp("Sales", "1.0.0", StandardFiles(), extra);
}

}  // namespace e2e
