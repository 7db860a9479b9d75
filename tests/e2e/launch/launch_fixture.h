#pragma once
// App launches through the real launcher.exe, laid out as installed, against nginx serving
// deployments made by nimbo-publish.
//
// Under Wine the user name a process sees is the USER of the Unix environment Wine was started
// with, and the user's profile folders (desktop, Start menu, local application data) are derived
// from it; child processes keep it. The test program runs under a user name of its own (see
// CMakeLists.txt), so the launches install apps, write cookie files and make shortcuts in a
// profile folder that belongs to these tests alone, never in the profile of the person running
// them. Its cases share that profile and run one at a time; each starts from an empty one.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "deployment.h"
#include "harness.h"
#include "launcher_process.h"
#include "testserver.h"

namespace launch_e2e {

using launcher_e2e::Environment;
using launcher_e2e::Result;

// The profile of the user this program runs under, emptied of what launches leave.
class TestUser {
public:
    TestUser();
    ~TestUser();
    TestUser(const TestUser&) = delete;
    TestUser& operator=(const TestUser&) = delete;

    // False when the program runs under an ordinary user's name (not started by CTest); nothing
    // is then emptied.
    bool own() const { return own_; }
    const std::wstring& name() const { return name_; }
    const std::wstring& profile() const { return profile_; }
    std::wstring desktop() const { return profile_ + L"\\Desktop"; }
    std::wstring programs() const;
    std::wstring localAppData() const { return profile_ + L"\\AppData\\Local"; }
    // The variables of the launchers' environment that name the profile, for this user.
    Environment environment() const;

private:
    void Empty() const;

    bool own_ = false;
    std::wstring name_;
    std::wstring profile_;
};

// Sections and keys of a settings file, keys in lower case.
using IniSections = std::map<std::wstring, std::map<std::wstring, std::wstring>>;
// Parses a UTF-16LE file with its byte-order mark; false when the file is not such a file.
bool ReadUtf16Ini(const std::wstring& path, IniSections& sections);

// A file of UTF-16LE text without a byte-order mark (what stage_app writes).
std::wstring ReadUtf16Text(const std::wstring& path);

// "key=value" lines of a report file (UTF-8).
std::map<std::string, std::string> ReadReport(const std::wstring& path);

// The path of one request of the nginx access log.
std::string RequestPath(const std::string& line);

// A shell link read back: its target and its icon location.
struct Link {
    std::wstring target;
    std::wstring icon;
};
bool ReadLink(const std::wstring& path, Link& link);

// Names of the files directly in a folder, sorted.
std::vector<std::wstring> FilesIn(const std::wstring& folder);

// Waits until no process runs a program from `folder` (the apps a launch started close
// themselves); ends those still running after `timeoutMs`. False when one had to be ended.
bool WaitForProgramsToEnd(const std::wstring& folder, DWORD timeoutMs = 30000);

// NimboSample's report in `appFolder` once it has taken the ready event (or closed without it).
std::map<std::string, std::string> ReportOnceReady(const std::wstring& appFolder);

// The UpdateGuid of the app configuration document a launch left in `appFolder`.
std::string InstalledUpdateGuid(const std::wstring& appFolder);

// The files of NimboSample: its program, a version file and an icon.
std::vector<e2e::AppFile> SampleFiles(const std::string& version);

class LaunchTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The runtime and launcher setup every app needs, then nginx serving the deployment.
    void PublishBaseAndServe();
    // NimboSample as app `name` at `version`; `extra` adds members to the description.
    ::testing::AssertionResult PublishSample(const std::string& name, const std::string& version,
                                             const std::string& extra = "");

    std::wstring AppUrl(const std::wstring& name) const { return nginx_->Url(L"/" + name); }
    // Where this user's launches install app `name`.
    std::wstring AppFolder(const std::wstring& name) const;
    std::wstring LauncherPath() const { return launcher_->launcher(); }

    // One run of "launcher.exe -u <request>", to its end.
    Result Launch(const std::wstring& request, DWORD timeoutMs = 90000);
    // Such a run still going: the caller waits for its end.
    std::unique_ptr<launcher_e2e::LauncherProcess> StartLaunch(const std::wstring& request);

    // The nginx access log from byte `since` on, one request per line.
    std::vector<std::string> RequestsSince(size_t since) const;
    size_t LogSize() const { return nginx_->Log().size(); }
    // The newest log file of the launcher folder.
    std::string LauncherLog() const;

    e2e::Deployment deployment;
    std::unique_ptr<TestUser> user_;
    std::unique_ptr<launcher_e2e::LauncherFolder> launcher_;
    std::unique_ptr<nimbo_test::TestServer> nginx_;
    mutable std::vector<std::wstring> appFolders_;  // cleaned up at the end
};

}  // namespace launch_e2e
