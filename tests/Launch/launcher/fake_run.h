#pragma once
// A run object that records what it is asked, for the launcher's own objects.
#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "irun.h"

namespace launcher_test {

class FakeRun : public NimboNS::IRun {
public:
    int runAppResult = 0;
    int startServerResult = 0;

    void Release() override { delete this; }
    NimboNS::RequestHandler SetRequestHandler(NimboNS::RequestHandler handler) override { return handler; }
    int RunApp(const wchar_t* text, int adminInstalled) override {
        Record(L"RunApp|" + std::wstring(text) + L"|" + std::to_wstring(adminInstalled));
        return runAppResult;
    }
    int StartServer(int port, int sessionLaunch) override {
        Record(L"StartServer|" + std::to_wstring(port) + L"|" + std::to_wstring(sessionLaunch));
        return startServerResult;
    }

    std::vector<std::wstring> Calls() {
        std::lock_guard<std::mutex> guard(lock_);
        return calls_;
    }
    // Waits until `count` calls were made or `ms` passed.
    bool WaitForCalls(size_t count, DWORD ms = 10000) {
        for (DWORD waited = 0; waited < ms; waited += 20) {
            if (Calls().size() >= count) return true;
            Sleep(20);
        }
        return false;
    }

private:
    void Record(const std::wstring& call) {
        std::lock_guard<std::mutex> guard(lock_);
        calls_.push_back(call);
    }
    std::mutex lock_;
    std::vector<std::wstring> calls_;
};

}  // namespace launcher_test
