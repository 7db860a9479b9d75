#pragma once
// Test doubles for the parts of a launch. Every double writes what happens to it into one
// shared Probe, which outlives the doubles (the launch releases them).
#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "launchparts.h"
#include "nimbo/icookiemanager.h"
#include "update/iupdate.h"

namespace launch_test {

struct Probe {
    std::mutex lock;
    std::vector<std::string> events;  // the stages in the order they ran
    std::vector<std::string> replies;
    std::wstring updateText;
    int updateDebug = -1;
    int updateAdmin = -1;
    NimboNS::ICookieManager* updateCookies = nullptr;
    std::vector<std::wstring> cookieTexts;
    NimboNS::ICookieManager* startCookies = nullptr;
    int released = 0;

    void Add(const std::string& event) {
        std::lock_guard<std::mutex> guard(lock);
        events.push_back(event);
    }
};

class FakeUpdate : public NimboNS::IUpdate {
public:
    FakeUpdate(Probe& probe, int result) : probe_(probe), result_(result) {}
    ~FakeUpdate() override { probe_.Add("update released"); }
    void Release() override { delete this; }
    int Update(const wchar_t* appUrl, NimboNS::ICookieManager* cookies, int debug,
               int adminInstalled) override {
        probe_.Add("update");
        probe_.updateText = appUrl;
        probe_.updateCookies = cookies;
        probe_.updateDebug = debug;
        probe_.updateAdmin = adminInstalled;
        return result_;
    }
    int Stop() override { return 0; }
    int ForwardControl2() override { return 0; }
    int ForwardControl1() override { return 0; }
    void SetParameter(int) override {}
    NimboNS::IUpdateConfig* GetConfig() override { return nullptr; }

private:
    Probe& probe_;
    int result_;
};

class FakeCookies : public NimboNS::ICookieManager {
public:
    explicit FakeCookies(Probe& probe) : probe_(probe) {}
    ~FakeCookies() override { probe_.Add("cookies released"); }
    void Release() override { delete this; }
    void SetWaitForUpdate(int) override {}
    const wchar_t* GetCookieText() override { return L""; }
    const wchar_t* GetCookieHeader(int) override { return L""; }
    const wchar_t* GetSetCookieHeaders() override { return L""; }
    const wchar_t* ExportCookieFile(int) override { return L""; }
    void SetCookieText(const wchar_t* text, unsigned int) override { probe_.cookieTexts.push_back(text); }
    int ParseCookies(const wchar_t*, int) override { return 1; }
    int ParseSetCookies(const wchar_t*) override { return 1; }
    int ImportCookieFile(const wchar_t*) override { return 0; }

private:
    Probe& probe_;
};

class FakePreparation : public NimboNS::IAppPreparation {
public:
    FakePreparation(Probe& probe, int bitness, int settings)
        : probe_(probe), bitness_(bitness), settings_(settings) {}
    ~FakePreparation() override { probe_.Add("preparation released"); }
    void Release() override { delete this; }
    int CheckProgramBitness() override { return probe_.Add("bitness"), bitness_; }
    int PrepareSettings() override { return probe_.Add("settings"), settings_; }
    void CopyUninstallProgram() override { probe_.Add("uninstall"); }
    void MakeShortcuts() override { probe_.Add("shortcuts"); }
    void RecordShortcutStates() override { probe_.Add("record"); }

private:
    Probe& probe_;
    int bitness_;
    int settings_;
};

class FakeStart : public NimboNS::IAppStart {
public:
    explicit FakeStart(Probe& probe) : probe_(probe) {}
    ~FakeStart() override { probe_.Add("start released"); }
    void Release() override { delete this; }
    void StartApp(NimboNS::ICookieManager* cookies) override {
        probe_.startCookies = cookies;
        probe_.Add("start");
    }

private:
    Probe& probe_;
};

// A reply function whose connection is the Probe itself.
inline void RecordReply(NimboNS::Connection connection, const char* bytes, int length) {
    auto* probe = reinterpret_cast<Probe*>(connection);
    std::lock_guard<std::mutex> guard(probe->lock);
    probe->replies.emplace_back(bytes, static_cast<size_t>(length));
}

inline NimboNS::Connection ConnectionOf(Probe& probe) {
    return reinterpret_cast<NimboNS::Connection>(&probe);
}

}  // namespace launch_test
