#pragma once
// The message catalogue: one process-wide table from message id to a text in the current
// language, filled once on the first lookup.
#include <map>
#include <span>

namespace NimboNS {

struct CatalogEntry {
    int id;
    const wchar_t* text;
};

// Returns the text of `id`, or an empty text when the id is unknown. Never null.
const wchar_t* GetLocalizedMessage(int id);

// The language code the first lookup applies (0 until someone sets it).
void SetProcessLanguageCode(int code);
int GetProcessLanguageCode();

class MessageCatalog {
public:
    static MessageCatalog& Instance();
    // Stores the code and applies its table over the current map.
    void SetLanguage(int code);
    int Language() const { return languageCode_; }
    const wchar_t* Lookup(int id);

private:
    MessageCatalog() = default;
    int needsLoading_ = 1;
    int languageCode_ = 0;
    std::map<int, const wchar_t*> messages_;
};

// The table a language code applies (English for any unknown code).
std::span<const CatalogEntry> GetLanguageTable(int code);

// Message ids used across the launcher.
namespace msg {
enum : int {
    kParseUrlFailed = 6,
    kInvalidPath = 7,
    kNoReadWritePermission = 8,
    kRemoveDirectoryFailed = 9,
    kCreateDirectoryFailed = 10,
    kNoVersionOnServer = 12,
    kLatestOlderThanMinimum = 13,
    kLocalExpiredNoNewer = 14,
    kLocalBelowMinimumNoNewer = 15,
    kLocalTooOldAskUpgrade = 16,
    kLocalTooOld = 17,
    kParseConfigFailed = 18,
    kSaveConfigFailed = 19,
    kRuntimeVersionMismatch = 20,
    kAppFolderInUse = 21,
    kUpdateFileFailed = 22,
    kServerConfigBadFormat = 23,
    kLauncherUpgradeOptional = 39,
    kLauncherUpgradeRequired = 40,
    kLocalExpiredAskUpgrade = 41,
    kLocalExpired = 42,
    kNewerVersionAskUpgrade = 43,
    kDownloadConfigFailed = 44,
    kDownloadPackageFailed = 45,
    kDownloadFileFailed = 46,
    kUnzipFailed = 47,
    kLoadLocalConfigFailed = 48,
    kTimedOut = 49,
    kConnectFailed = 50,
    kRichEditFailed = 51,
    kLauncherUpgradeByAdmin = 52,
    kParseRuntimeConfigFailed = 53,
    kUpdateRuntimeFailed = 54,
    kParseAppConfigFailed = 55,
    kUpdateAppFailed = 56,
    kCopyFileFailed = 57,
    kLauncherMustUpdate = 58,
    kFileInUse = 59,
    kRegisterFileFailed = 60,
    kElevlinkOpenFailed = 61,
    kNoRunPermission = 62,
    kNoAppAtAddress = 63,
    kServerUnreachable = 64,
    kInitializing = 65,
    kAppUrl = 66,
    kAppProtocol = 67,
    kAppHost = 68,
    kAppPort = 69,
    kAppName = 70,
    kAppUrlParameter = 71,
    kAppRootPath = 72,
    kAppRuntimePath = 73,
    kLocalConfigLoaded = 74,
    kAppVersionStrategy = 75,
    kConfigDownloaded = 76,
    kServerVersions = 77,
    kAppUpdating = 78,
    kAppUpdated = 79,
    kLauncherProgress = 80,
    kRuntimeProgress = 81,
    kApplicationProgress = 82,
    kConfigProgress = 83,
    kInformation = 84,
    kCannotLoad64Bit = 85,
    kError = 86,
    kBeginDownload = 87,
    kEndDownload = 88,
    kRetryDownload = 89,
    kPartialContent = 90,
    kLoadDllFailed = 91,
};
}  // namespace msg

}  // namespace NimboNS
