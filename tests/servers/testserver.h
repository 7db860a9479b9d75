#pragma once
// Starts one of the test servers of this folder (a Linux program, run by Wine as it runs any Unix
// executable) on a free port of 127.0.0.1 and stops it again when the object goes away.
#include <string>

#include "harness.h"

namespace nimbo_test {

// The Unix path of a Windows path (Wine maps every drive onto the Unix file system).
std::string UnixPath(const std::wstring& windowsPath);

class TestServer {
public:
    // `script`: "faultserver.py" or "nginxserve.py"; `root`: the folder served (a Windows path).
    TestServer(const std::string& script, const std::wstring& root);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    bool Ready() const { return port_ > 0; }
    int Port() const { return port_; }
    // "http://127.0.0.1:PORT" + path (path starts with "/").
    std::wstring Url(const std::wstring& path) const;
    // The server's request log: requests.log (faultserver) or access.log (nginx).
    std::string Log() const;
    // Ends the server now (also done by the destructor); true when it confirmed that it stopped.
    bool Stop();

private:
    TempFolder state_;
    std::string script_;
    int port_ = 0;
    bool stopped_ = false;
};

}  // namespace nimbo_test
