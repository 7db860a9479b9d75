#pragma once
// One launch request from its text to the started app: a plain command line is started as it
// is; an app URL goes through the update engine, the preparation of the app and its start, with
// progress replies to the web page that asked.
#include <string>

#include "launchparts.h"

namespace NimboNS {

class CRunApp {
public:
    // A launch with the parts of this build (CreateLaunchParts).
    explicit CRunApp(int adminInstalled);
    CRunApp(int adminInstalled, LaunchParts parts);
    virtual ~CRunApp();
    virtual void Release() { delete this; }

    CRunApp(const CRunApp&) = delete;
    CRunApp& operator=(const CRunApp&) = delete;

    // 0 when the launch succeeded, -1 when it failed. Replies go out only when both a connection
    // and a reply function are given. A launch that hands over to the launcher installer ends
    // the process.
    int Launch(const wchar_t* text, Connection connection, ReplyFunction reply);

private:
    int StartCommandLine(const std::wstring& text);
    int RunUpdate(const std::wstring& appUrl);
    bool FinishUpdatedLaunch(const std::wstring& request);
    bool PrepareApp();
    void StartAppAndWait();
    bool HandOverToLauncherInstaller();
    void Reply(unsigned id, const char* argument = nullptr) const;

    LaunchParts parts_;
    Connection connection_ = kNoConnection;
    ReplyFunction reply_ = nullptr;
    int debug_ = 0;
    int adminInstalled_ = 0;
};

}  // namespace NimboNS
