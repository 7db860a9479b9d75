#include "catalog_tables.h"
#include "help_url.h"

namespace NimboNS {

const CatalogEntry kJapaneseTable[kCatalogSize] = {
    {6, L"Failed to parse the app URL(%s)."},
    {7, L"The path (%s) is invalid."},
    {8, L"The current user does not have read-write permissions on the path (%s)."},
    {9, L"Failed to remove the directory (%s)"},
    {10, L"Failed to create the directory (%s)"},
    {12, L"There is no available version of this app on the server."},
    {13, L"The latest available version of this app on the server is older than the minimum compatible "
         L"version."},
    {14, L"The app cannot run, because the local version is expired, and no newer version is available on "
         L"the server. Learn more at: " NIMBO_HELP_URL
         L"App_cannot_run_because_the_local_version_expired.html"},
    {15, L"The app cannot run, because the local version is older than the minimum compatible version, and "
         L"no newer version is available on the server."},
    {16, L"The local version of this app is too old. Please click OK to upgrade to the latest available "
         L"version on the server. If you click Cancel, the app cannot run."},
    {17, L"The app cannot run, because the local version of this app is too old."},
    {18, L"Failed to parse the configuration file (%s)."},
    {19, L"Failed to save the configuration file (%s)."},
    {20, L"The runtime version in the manifest.json file does not match the version configured in "
         L"AppConfig. "},
    {21, L"The app directory (%s) or files are being accessed by another program. Please exit and try again "
         L"later."},
    {22, L"Failed to update the file (%s)."},
    {23, L"The server config file has an incorrect file format (%s)."},
    {39, L"A new version of the Nimbo Launcher is available. Do you want to upgrade to the latest version? "
         L"\r\n\r\nClick OK to upgrade.\r\nClick Cancel to still use the existing Nimbo Launcher."},
    {40, L"A new version of the Nimbo Launcher is available. You must upgrade to the latest version for "
         L"running the app. \r\n\r\nClick OK to upgrade.\r\nClick Cancel to exit. The app will close out."},
    {41, L"The local version of this app is expired. Please click OK to upgrade to the latest available "
         L"version on the server. If you click Cancel, the app cannot run."},
    {42, L"The app cannot run, because the local version is expired."},
    {43, L"This app has newer version(s) on the server. It is recommended that you upgrade to the latest "
         L"version."},
    {44, L"Failed to download the config file %s; ErrorCode: %d; Error: %s. Learn more at: " NIMBO_HELP_URL
         L"Failed_to_download_the_config_file.html"},
    {45, L"Failed to download the installation package %s; ErrorCode: %d; Error: %s."},
    {46, L"Failed to download the file \"%s\"; ErrorCode: %d; Error: %s."},
    {47, L"Failed to unzip the file\"%s\"; Error: %s."},
    {48, L"Failed to load the local config file. Path: %s."},
    {49, L"The operation has timed out."},
    {50, L"Failed to connect to the server for the operation."},
    {51, L"Failed to load the log data due to an internal error (RichEditCtrl cannot be created)."},
    {52, L"A new version of Nimbo Launcher is available. Please contact the administrator to upgrade to the "
         L"latest version. Before the upgrade, the existing version on your computer will be continually "
         L"used for running the app."},
    {53, L"Failed to parse the runtime configuration file."},
    {54, L"Failed to update the runtime files."},
    {55, L"Failed to parse the app configuration file."},
    {56, L"Failed to update the app."},
    {57, L"Failed to copy the file (%s)."},
    {58, L"The app launcher shall be updated to the latest version."},
    {59, L"The file (%s) is being used."},
    {60, L"Failed to register the file (%s)."},
    {61, L"Failed to register the required DLLs/OCXs for the application because the elevlink.dll fails to "
         L"open."},
    {62, L"アプリ パスにあるアプリの .exe を実行する権限がないため、アプリ "
         L"ランチャーはアプリを起動できません。\r\n\r\n解決策: アプリの管理者に連絡して、.exe "
         L"ファイルの実行が許可されている App Path を設定するカスタム アプリ "
         L"ランチャーを作成するよう依頼してください。"},
    {63, L"No application was found at the web address:[%s]; ErrorCode: %d; Error: %s. Learn more at: "
         NIMBO_HELP_URL L"Unable_to_access_service.html."},
    {64, L"Please make sure the server is running and accessible. URL: %s; ErrorCode: %d; Error: %s. Learn "
         L"more at: " NIMBO_HELP_URL L"Failed_to_connect_to_server.html."},
    {65, L"Initializing the app environment..."},
    {66, L"Application URL: %s."},
    {67, L"Application protocol: %s."},
    {68, L"Application host name: %s."},
    {69, L"Application server port: %s."},
    {70, L"Application name: %s."},
    {71, L"Application URL parameter: %s."},
    {72, L"The app root path: %s."},
    {73, L"The app runtime path: %s."},
    {74, L"The local config file is loaded successfully. Path: %s."},
    {75, L"App version: %s, update strategy[Always,Connect,Never]: %d, update "
         L"type[FirstDownLoad,SameVersion,AcrossVersion]: %d."},
    {76, L"The config file %s is downloaded successfully."},
    {77, L"Current server version: %s; latest version: %s, minimum compatible version: %s."},
    {78, L"The app is now being updated."},
    {79, L"The app has been updated successfully."},
    {80, L"Launcher progress"},
    {81, L"Runtime progress"},
    {82, L"Application progress"},
    {83, L"Config progress"},
    {84, L"情報"},
    {85, L"Failed to start the program, the current system is 32-bit and cannot load 64-bit programs."},
    {86, L"Error"},
    {87, L"Begin to download the file \"%s\"; FileSize: %ld."},
    {88, L"End to download the file \"%s\"; ResponseCode: %d; RealSize: %ld."},
    {89, L"Retry to download the file \"%s\"; ResponseCode: %d."},
    {90, L"Partial_Content to download the file \"%s\"; ResponseCode: %d."},
    {91, L"Failed to load %s.dll. Please re-run the app URL to see if this resolves the issue."},
};

}  // namespace NimboNS
