#pragma once
// Names that several programs and libraries share: kernel objects, registry paths, files.
namespace NimboNS::names {

// Kernel objects
inline constexpr wchar_t kInstanceMutex[] = L"Global\\ravelin";
inline constexpr wchar_t kForwardPipeFormat[] = L"\\\\.\\Pipe\\lanucherpipe%d";
inline constexpr wchar_t kLauncherDownloadMutex[] = L"DownloadLauncherexe";
inline constexpr wchar_t kAppStartMutex[] = L"StartKXNimbo";
inline constexpr wchar_t kMainSpecialPortMutex[] = L"CREATE_MAIN_SPECIALPORT";
inline constexpr wchar_t kCookieMutex[] = L"CookieLock";
inline constexpr wchar_t kRecvPortEvent[] = L"RecvPortEvent";
inline constexpr wchar_t kReadyEventPrefix[] = L"Global\\{C87147CD-1248-4002-A0CD-18FACD71FF85}_";
inline constexpr wchar_t kServiceName[] = L"NimboLauncher_V2";

// Registry
inline constexpr wchar_t kRegistryKey[] = L"Software\\Quillmark\\NimboLauncher\\22.0";
inline constexpr wchar_t kRegistryHomeValue[] = L"NimboHome";
inline constexpr wchar_t kRegistryVersionValue[] = L"version";

// Files and folders beside the host program
inline constexpr wchar_t kConfigIni[] = L"Config.ini";
inline constexpr wchar_t kLauncherSetupIni[] = L"LauncherSetup.ini";
inline constexpr wchar_t kLogFolder[] = L"log";
inline constexpr wchar_t kSharedFileFolder[] = L"sharedfile";

// Libraries and programs loaded or started by name
inline constexpr wchar_t kRavelinDll[] = L"ravelin.dll";
inline constexpr wchar_t kElevlinkDll[] = L"elevlink.dll";
inline constexpr wchar_t kElevhostExe[] = L"elevhost.exe";
inline constexpr wchar_t kSweeperExe[] = L"sweeper.exe";
inline constexpr wchar_t kLauncherExe[] = L"launcher.exe";
inline constexpr wchar_t kJsonDll[] = L"kxjson.dll";
inline constexpr wchar_t kHttpClientDll[] = L"kxhttpclient.dll";
inline constexpr wchar_t kCompressionDll[] = L"kxcompression.dll";
inline constexpr wchar_t kCryptDll[] = L"kxcrypt.dll";

// Per-app files
inline constexpr wchar_t kAppSettingsIni[] = L"kxapp.ini";
inline constexpr wchar_t kAppConfigJson[] = L"appconfig.json";
inline constexpr wchar_t kUninstallExe[] = L"Uninstall.exe";

// Hand-over to the launcher installer (in the temporary folder)
inline constexpr wchar_t kInstallerParamFile[] = L"install_quillmark_nimbolauncher_param.ini";

// Elevated command channel: the status mapping is the base name with this suffix; elevhost's
// hidden window class, its failure log (in the log folder beside it) and its probe arguments.
inline constexpr wchar_t kStatusChannelSuffix[] = L"s";
inline constexpr wchar_t kElevhostWindowClass[] = L"073CEF48-BB6D-4B57-8EC3-233230E0EF10";
inline constexpr wchar_t kElevhostLogFormat[] = L"elevhost%d.log";
inline constexpr wchar_t kElevhostCheckArg[] = L"-check";
inline constexpr wchar_t kElevhostTestArg[] = L"-test";

// Server layout: what the publisher writes and the launcher reads below the app URL and the base URL
inline constexpr wchar_t kAppRunJson[] = L"apprun.json";
inline constexpr wchar_t kDeployListIni[] = L"deploylist.ini";
inline constexpr wchar_t kServerFileFormat[] = L"%s.zip";  // deploylist.ini, appconfig.json and app files
inline constexpr wchar_t kRuntimeManifestJson[] = L"manifest.json";
inline constexpr wchar_t kLauncherSetupJson[] = L"LauncherSetup.json";
inline constexpr wchar_t kLauncherInstallerExe[] = L"NimboLauncher_Installer.exe";
inline constexpr wchar_t kServerRuntimeFolder[] = L"NimboPublisher/runtime";
inline constexpr wchar_t kServerLauncherFolder[] = L"NimboPublisher/NimboInstall 22.0";
inline constexpr wchar_t kRuntimeX64Folder[] = L"x64";

// Component registration: the per-app history ("<app folder>\<app name>.reghistory") and the
// .NET Framework's install root, below which regasm.exe is looked for.
inline constexpr wchar_t kRegHistoryExtension[] = L".reghistory";
inline constexpr wchar_t kDotNetFrameworkKey[] = L"SOFTWARE\\Microsoft\\.NETFramework";
inline constexpr wchar_t kDotNetInstallRootValue[] = L"InstallRoot";
inline constexpr wchar_t kRegasmExe[] = L"regasm.exe";

}  // namespace NimboNS::names
