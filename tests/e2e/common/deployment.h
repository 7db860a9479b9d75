#pragma once
// Deployments written by nimbo-publish into a temporary folder, for end-to-end tests that serve
// them with a real web server.
#include <string>
#include <vector>

#include "harness.h"

namespace e2e {

// Runs nimbo-publish; false (with its output printed) when it fails.
bool Publish(const std::wstring& arguments);

struct AppFile {
    std::wstring path;  // relative to the app folder
    std::string bytes;
};

// The files of the standard app: app.exe, bin\a.dll and settings.ini.
std::vector<AppFile> StandardFiles(const std::string& version = "1.0.0");

class Deployment {
public:
    const std::wstring& Folder() const { return folder_.path(); }
    // The runtime 22.3.0.1 (32-bit) with one module "Core" of two files.
    bool PublishRuntime(const std::string& version = "22.3.0.1");
    // LauncherSetup.json offering `version` (minimum `minimum`) with an installer of `installer` bytes.
    bool PublishLauncher(const std::string& version, const std::string& minimum,
                         const std::string& installer);
    // App `name` at `version` with `files`, started by `startupFile`, on the runtime above; `extra`
    // adds members to the description (starting with ",").
    bool PublishApp(const std::string& name, const std::string& version, const std::vector<AppFile>& files,
                    const std::string& extra = "", const std::string& startupFile = "app.exe");
    // The usual set: runtime, a launcher no installed launcher is older than, app Sales 1.0.0.
    bool PublishStandard(const std::string& extra = "");

private:
    nimbo_test::TempFolder folder_;
};

}  // namespace e2e
