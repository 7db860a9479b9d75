#include "cookies.h"

#include "nimbo/icookiemanager.h"

#include <mutex>

namespace kxhttp {
namespace {
std::mutex& StoreLock() {
    static std::mutex lock;
    return lock;
}
}  // namespace

std::wstring CookieHeaderFor(NimboNS::ICookieManager* cookies, bool https) {
    if (cookies == nullptr) return L"";
    std::lock_guard<std::mutex> hold(StoreLock());
    const wchar_t* text = cookies->GetCookieHeader(https ? 1 : 0);
    return text ? text : L"";
}

void TakeSetCookies(NimboNS::ICookieManager* cookies, const std::wstring& lines) {
    if (cookies == nullptr || lines.empty()) return;
    std::lock_guard<std::mutex> hold(StoreLock());
    cookies->ParseSetCookies(lines.c_str());
}

}  // namespace kxhttp
