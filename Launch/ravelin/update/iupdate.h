#pragma once
// The update engine of one launch: brings an app, its runtime and the launcher up to date
// before the app starts. The launch creates one engine per request and calls Update once.
namespace NimboNS {

class ICookieManager;
class IUpdateConfig;

class IUpdate {
public:
    // Results of Update besides 0 (nothing to do, or the update succeeded).
    enum UpdateResult : int {
        kUpdateSucceeded = 0,
        kLauncherReplaced = 2,  // the launcher installer must take over (the launch hands over)
        kConfigDocumentFailed = -1,
        kLauncherUpdateFailed = -2,
        kRuntimeUpdateFailed = -3,
        kAppUpdateFailed = -4,
        kCheckServerFailed = 5,
        kParseUrlFailed = 6,
        kPrepareFoldersFailed = 7,
        kLoadLocalConfigFailed = 8,
    };

    virtual ~IUpdate() = default;
    virtual void Release() = 0;
    // Runs the whole update for `appUrl` on the calling thread; see UpdateResult.
    virtual int Update(const wchar_t* appUrl, ICookieManager* cookies, int debug, int adminInstalled) = 0;
    // Ends the transfers of the updater that is running.
    virtual int Stop() = 0;
    virtual int ForwardControl2() = 0;
    virtual int ForwardControl1() = 0;
    virtual void SetParameter(int n) = 0;
    // The update configuration of this engine; owned by the engine.
    virtual IUpdateConfig* GetConfig() = 0;
};

}  // namespace NimboNS
