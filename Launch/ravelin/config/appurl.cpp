// Splitting the app URL into its parts and deriving the server addresses of the app.
#include <regex>

#include "catalog.h"
#include "plog/Record.h"
#include "scwconv.h"
#include "updateconfig.h"

namespace NimboNS {

namespace {

const std::wregex& AppUrlPattern() {
    // Split after "\\?" so that "??)" is not read as a trigraph.
    static const std::wregex pattern(
        L"(http|https)://([^/ :]+):?([^/ ]*)(/\\?"
        L"?)([^ #?]*)(/?\\?*)(.*)",
        std::regex_constants::ECMAScript);
    return pattern;
}

// Drops a page name ("index.html", "start.htm") from the end of the path.
std::wstring WithoutPageName(std::wstring path) {
    size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos) return path;
    std::wstring extension = path.substr(dot);
    if (extension != L".html" && extension != L".htm") return path;
    size_t slash = path.rfind(L'/');
    if (slash != std::wstring::npos) path.erase(slash);
    return path;
}

}  // namespace

int CUpdateConfig::ParseUrl() {
    std::wsmatch match;
    const bool found = std::regex_search(url, match, AppUrlPattern());
    protocol = found ? match[1].str() : std::wstring();
    host = found ? match[2].str() : std::wstring();
    port = found ? match[3].str() : std::wstring();
    if (port.empty()) {
        if (_wcsicmp(protocol.c_str(), L"https") == 0)
            port = L"443";
        else if (_wcsicmp(protocol.c_str(), L"http") == 0)
            port = L"80";
        else
            return 5;
    }

    const std::wstring path = WithoutPageName(match[5].str());
    const size_t last = path.find_last_not_of(L'/');
    const size_t slash = last == std::wstring::npos ? std::wstring::npos : path.rfind(L'/', last);
    if (slash != std::wstring::npos) {
        baseUrl = FormatWide(L"%s://%s:%s/%s", protocol.c_str(), host.c_str(), port.c_str(),
                             path.substr(0, slash).c_str());
        appName = path.substr(slash + 1, last - slash);
    } else {
        baseUrl = FormatWide(L"%s://%s:%s", protocol.c_str(), host.c_str(), port.c_str());
        appName = last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
    }
    appUrl = FormatWide(L"%s/%s", baseUrl.c_str(), appName.c_str());
    urlParameter = match[7].str();

    OutputLog(plog::info, GetLocalizedMessage(msg::kAppUrl), appUrl);
    OutputLog(plog::info, GetLocalizedMessage(msg::kAppProtocol), protocol);
    OutputLog(plog::info, GetLocalizedMessage(msg::kAppHost), host);
    OutputLog(plog::info, GetLocalizedMessage(msg::kAppPort), port);
    OutputLog(plog::info, GetLocalizedMessage(msg::kAppName), appName);
    OutputLog(plog::info, GetLocalizedMessage(msg::kAppUrlParameter), urlParameter);
    return 0;
}

}  // namespace NimboNS
