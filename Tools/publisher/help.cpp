#include "cli.h"

namespace NimboNS::publisher {

const char* HelpText() {
    return R"(nimbo-publish: writes the server side of Nimbo apps into a folder that any static web
server can serve (the deployment folder, served at the base URL of the apps' URLs).

  nimbo-publish app      --description FILE --source FOLDER --deployment FOLDER [--version V] [--check]
  nimbo-publish runtime  --description FILE --source FOLDER --deployment FOLDER [--version V]
                         [--folder RELATIVE] [--check]
  nimbo-publish launcher [--version V] [--minimum V] [--installer FILE] --deployment FOLDER
                         [--folder RELATIVE]
  nimbo-publish schedule --deployment FOLDER --app NAME [--version V [--online TIME] [--offline TIME]]
                         [--minimum V]
  nimbo-publish list     --deployment FOLDER --app NAME
  nimbo-publish show-config FILE          prints a published appconfig.json.zip decrypted
  nimbo-publish --help

Every command checks all of its input first and changes nothing when something is wrong. New
content is written beside its place and moved in at the end, so a failed or interrupted command
leaves the deployment as it was. Exit code 0: done; 1: failed, nothing changed; 2: bad command line.

THE DEPLOYMENT FOLDER (an app URL http://host/prefix/NAME has the base URL http://host/prefix)
  NAME/apprun.json                      where the launcher, the runtime and the web API are published
  NAME/deploylist.ini.zip               plain INI text despite its name: versions and their times
  NAME/VERSION/appconfig.json.zip       the app configuration document, encrypted (AES-128-CBC)
  NAME/VERSION/PATH/FILE.zip            every app file, as a zip archive holding that one file
  NimboPublisher/runtime/VERSION/       a runtime: manifest.json and its files as they are
  NimboPublisher/runtime/VERSION/x64/   the 64-bit build of that runtime
  NimboPublisher/NimboInstall 22.0/     LauncherSetup.json and NimboLauncher_Installer.exe

APP: publishes every file below --source as version V of the app. Versions are added: other
versions stay published and listed. Publishing a version again replaces it and gives it a new
UpdateGuid, so installed copies of it update. Each file's HashCode is the start of the base64
SHA-256 of its content: an update from another version fetches only files whose content changed.
The description is a JSON object; keys of the app configuration document keep their names:
  "AppName"          required; the last part of the app URL: letters, digits, ".", "_", "-"
  "Version"          required unless --version is given: numbers separated by dots, e.g. "1.2.0"
  "StartupFile"      required; the program to start, relative to the app folder
  "RuntimeVersion"   required; the runtime version the app runs on (publish it with "runtime")
  "Is32Bit"          true (default) or false: false makes the launcher use the runtime's x64 build
  "StartMode"        update strategy: 0 or "Always" (default), 1 or "Never", 2 or "Connect"
  "IsVerOffCheck"    with "Never": still check expiry and the minimum version (default false)
  "FullDownload"     also fetch InstantDownloadFiles when installing or updating (default false)
  "WebViewType", "SaveDynamicCommandLineArgs"        passed on to the launcher
  "Arguments"        command-line arguments for the app
  "CreateDesktopShortcut", "CreateStartMenuShortcut", "CreateAppUninstallShortcut"  (false)
  "AppShortcutName"  name of the shortcuts; "AppShortcutImage": an .ico file of the app
  "PreloadEventCommands"  a command line or a list of them, run in the app folder once per
                     publication (every start with "AlwaysRunCommand"; elevated with
                     "RunCommandAsAdmin")
  "ShowStartAnimatedWindow"  show the welcome window until the app signals that it is ready
  "RuntimeModules"   names of the runtime modules the app needs
  "RegisterFiles"    COM components or .NET assemblies to register, relative to the app folder
  "IniConfigFiles"   [{"FileName": "settings.ini", "UpdateType": 1|2|3}]: 1 replace, 2 replace and
                     keep the user's values, 3 keep the user's file
  "InstantDownloadFiles"  patterns of files listed as instant downloads instead of predownloads
  "Packages"         [{"Name": "assets.zip", "Content": ["assets"]}]: files shipped as one archive
                     that the launcher unpacks into the app folder
  "Exclude"          patterns of files not to publish
  "OnlineTime", "OfflineTime"  UTC "YYYY-MM-DD hh:mm:ss" or "now"; default: now, and never
  "MinimumValidVersion"  oldest version still allowed to run; default: kept, or this version
  "DeploymentUrls"   {"launcher": ..., "runtime": ..., "web_api": ...} for apprun.json; a
                     relative value is below the base URL, "" removes the member
  "corvane"          {"webapiurl": ..., "modelname": ...}
Patterns: "*" and "?" within a folder, "**" across folders, letter case ignored; a pattern
without "/" matches a file or folder name anywhere; a folder matches everything below it.

RUNTIME: publishes a runtime version for one bitness. The description:
  {"Version": "4.1.0", "Bitness": 32 or 64,
   "Modules": [{"Name": "Core", "Files": ["core/**"], "Package": "Core.zip", "Action": "add"}],
   "Exclude": [...]}
A module without "Package" is served file by file; with it, its files go into that zip archive,
whose name without ".zip" must be part of the module's name. A package named KxWebView2.zip is
the web view: put its files in a folder KxWebView2. Files in no module are not published.

LAUNCHER: writes LauncherSetup.json ("version", "minver") and copies --installer as
NimboLauncher_Installer.exe. Launchers older than the version update themselves.

SCHEDULE: changes times of a published version or the minimum version, e.g. withdraw 1.0.0 now:
  nimbo-publish schedule --deployment D --app Sales --version 1.0.0 --offline now
)";
}

}  // namespace NimboNS::publisher
