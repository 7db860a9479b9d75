#pragma once
// The publisher's operations on a deployment folder. Each checks its input completely before it
// writes anything, and either finishes or leaves the deployment as it was (PublishError).
#include <optional>
#include <string>
#include <vector>

#include "fileio.h"
#include "report.h"

namespace NimboNS::publisher {

struct AppPublishRequest {
    fs::path description;
    fs::path source;
    fs::path deployment;
    std::string version;  // overrides the description's "Version" when not empty
    bool checkOnly = false;
};

struct AppPublishResult {
    std::string appName;
    std::string version;
    std::string updateGuid;
    size_t files = 0;
    fs::path versionFolder;
};

AppPublishResult PublishApp(const AppPublishRequest& request, IReporter& reporter);

struct RuntimePublishRequest {
    fs::path description;
    fs::path source;
    fs::path deployment;
    std::string version;  // overrides the description's "Version" when not empty
    std::string folder;   // below the deployment, instead of NimboPublisher/runtime/<version>
    bool checkOnly = false;
};

// Returns the runtime folder it wrote.
fs::path PublishRuntime(const RuntimePublishRequest& request, IReporter& reporter);

struct LauncherPublishRequest {
    fs::path deployment;
    std::optional<fs::path> installer;
    std::string version;
    std::string minimumVersion;  // empty: the version itself
    std::string folder;          // below the deployment, instead of NimboPublisher/NimboInstall 22.0
};

// version empty: the version the installer carries. Refused: an installer older than the offer.
fs::path PublishLauncher(LauncherPublishRequest request, IReporter& reporter);
// The product version in an installer's version resource ("22.0.1.0"), or empty.
std::string InstallerVersion(const fs::path& installer);

// Changes the deployment list of a published app: times of one version, the minimum version.
struct ScheduleRequest {
    fs::path deployment;
    std::string appName;
    std::string version;
    std::optional<std::string> onlineTime;   // "now" or YYYY-MM-DD hh:mm:ss
    std::optional<std::string> offlineTime;  // same
    std::optional<std::string> minimumValidVersion;
};

void ScheduleApp(const ScheduleRequest& request, IReporter& reporter);

// Lists the versions of a published app and their times.
void ListApp(const fs::path& deployment, const std::string& appName, IReporter& reporter);

// The decrypted text of an appconfig.json.zip.
std::string ReadAppConfig(const fs::path& encryptedDocument);

}  // namespace NimboNS::publisher
