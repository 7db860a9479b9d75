#pragma once
// The app start with real programs: an app folder holding a copy of a test program, a cookie
// store that remembers the hand-over files it wrote, and a thread to run a start on.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../prepare/stage_fixture.h"
#include "cookie/cookiemanager.h"
#include "nimbo/handle.h"
#include "start/appstart.h"

namespace start_test {

// The real cookie store; the names of the files it exported are kept.
class RecordingCookies : public NimboNS::CCookieManager {
public:
    const wchar_t* ExportCookieFile(int unused) override {
        const wchar_t* name = CCookieManager::ExportCookieFile(unused);
        exported.push_back(name);
        return name;
    }
    std::vector<std::wstring> exported;
};

inline std::wstring HandOverFile(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\Temp\\" + name;
}

inline bool CopyProgram(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

// Runs `work` on a thread of its own; Join waits at most `timeoutMs` and tells whether it ended.
class StartThread {
public:
    explicit StartThread(std::function<void()> work) : work_(std::move(work)) {
        thread_.reset(CreateThread(nullptr, 0, &StartThread::Run, this, 0, nullptr));
    }
    ~StartThread() { Join(INFINITE); }
    bool Join(DWORD timeoutMs) {
        return !thread_ || WaitForSingleObject(thread_.get(), timeoutMs) == WAIT_OBJECT_0;
    }

private:
    static DWORD WINAPI Run(void* self) {
        static_cast<StartThread*>(self)->work_();
        return 0;
    }
    std::function<void()> work_;
    NimboNS::Handle thread_;
};

inline void EndProcess(DWORD id) {
    NimboNS::Handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (!process) return;
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 5000);
}

}  // namespace start_test
