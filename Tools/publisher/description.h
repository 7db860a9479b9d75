#pragma once
// The publish descriptions: small JSON files that say what to publish. The app description uses
// the key names of the app configuration document where there is one.
#include <optional>
#include <string>
#include <vector>

#include "report.h"

namespace NimboNS::publisher {

struct IniConfigFileEntry {
    std::string fileName;
    int updateType = 1;
};

struct PackageEntry {
    // File name of the package archive, e.g. "assets.zip". Packages sit in the app's top folder:
    // the launcher unpacks them into the app folder, so their entries are paths below it.
    std::string name;
    std::vector<std::wstring> content;  // patterns of the files it carries
};

struct AppDescription {
    std::string appName;
    std::string version;
    std::string startupFile;
    std::string runtimeVersion;
    int startMode = 0;
    bool isVerOffCheck = false;
    bool is32Bit = true;
    int webViewType = 0;
    bool saveDynamicCommandLineArgs = false;
    bool fullDownload = false;
    bool createDesktopShortcut = false;
    bool createStartMenuShortcut = false;
    bool createAppUninstallShortcut = false;
    bool alwaysRunCommand = false;
    bool runCommandAsAdmin = false;
    bool showStartAnimatedWindow = false;
    std::string arguments;
    std::string appShortcutName;
    std::string appShortcutImage;
    std::string preloadEventCommands;  // lines joined with "\r\n"
    std::optional<std::string> corvaneWebApiUrl;
    std::optional<std::string> corvaneModelName;
    std::vector<std::string> runtimeModules;
    std::vector<std::string> registerFiles;
    std::vector<IniConfigFileEntry> iniConfigFiles;
    std::vector<std::wstring> instantDownloadFiles;
    std::vector<std::wstring> exclude;
    std::vector<PackageEntry> packages;
    // deploylist.ini
    std::optional<std::string> onlineTime;
    std::optional<std::string> offlineTime;
    std::optional<std::string> minimumValidVersion;
    // apprun.json "deployment_urls"; absent members keep what the deployment has
    std::optional<std::string> launcherUrl;
    std::optional<std::string> runtimeUrl;
    std::optional<std::string> webApiUrl;
};

struct ModuleEntry {
    std::string name;
    std::vector<std::wstring> files;  // patterns
    std::string package;              // empty: the files are published one by one
    std::string action = "add";
};

struct RuntimeDescription {
    std::string version;
    bool is64Bit = false;
    std::vector<ModuleEntry> modules;
    std::vector<std::wstring> exclude;
};

// Parse and check a description text. Problems go into `problems`; the result is meaningful only
// when no error was found.
AppDescription ParseAppDescription(const std::string& json, Problems& problems);
RuntimeDescription ParseRuntimeDescription(const std::string& json, Problems& problems);

// Names the web server and the launcher's folders can carry: letters, digits, ".", "_", "-".
bool IsAppName(const std::string& name);

}  // namespace NimboNS::publisher
