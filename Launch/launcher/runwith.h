#pragma once
// Run-with objects: carry one request to ravelin's run object and decide what to call on it.
#include <optional>
#include <string>

#include "irun.h"

namespace NimboNS {

class IRunWith {
public:
    virtual ~IRunWith() = default;
    virtual void Release() = 0;
    virtual int Initialize(const wchar_t* text, int port, IRun* run, int noSocket) = 0;
    // -1 for failure.
    virtual int Run() = 0;
    virtual void SetRunHandler(RequestHandler handler) = 0;
};

// A request from this launcher's own command line.
class CRunWithShortCut final : public IRunWith {
public:
    explicit CRunWithShortCut(int adminInstalled) : adminInstalled_(adminInstalled) {}
    void Release() override { delete this; }
    // Keeps a copy of the text; port and noSocket do not matter here.
    int Initialize(const wchar_t* text, int port, IRun* run, int noSocket) override;
    // The run object's RunApp result, or -1 without a text or a run object.
    int Run() override;
    void SetRunHandler(RequestHandler) override {}

private:
    IRun* run_ = nullptr;
    std::optional<std::wstring> text_;
    int adminInstalled_ = 0;
};

// A request forwarded by another launcher of this session: runs it, then starts the local
// server (which a run object starts only once).
class CRunWithWebBrowser final : public IRunWith {
public:
    void Release() override { delete this; }
    // The text is not copied: it must live until Run returns.
    int Initialize(const wchar_t* text, int port, IRun* run, int noSocket) override;
    int Run() override;
    void SetRunHandler(RequestHandler handler) override { handler_ = handler; }

private:
    int port_ = kDefaultLauncherPort;
    IRun* run_ = nullptr;
    const wchar_t* text_ = nullptr;
    int sessionLaunch_ = 0;
    int noSocket_ = 0;
    RequestHandler handler_ = nullptr;
};

}  // namespace NimboNS
