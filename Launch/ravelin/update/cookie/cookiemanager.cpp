#include "cookie/cookiemanager.h"

#include <ctime>

#include "nimbo/names.h"

namespace NimboNS {
namespace {

// Holds the system-wide "CookieLock" mutex for one operation.
class CookieLock {
public:
    CookieLock() : mutex_(CreateMutexW(nullptr, FALSE, names::kCookieMutex)) {
        // An abandoned mutex is ours all the same.
        held_ = mutex_ && WaitForSingleObject(mutex_.get(), INFINITE) != WAIT_FAILED;
    }
    ~CookieLock() {
        if (held_) ReleaseMutex(mutex_.get());
    }
    CookieLock(const CookieLock&) = delete;
    CookieLock& operator=(const CookieLock&) = delete;

private:
    Handle mutex_;
    bool held_ = false;
};

void DropLastSeparator(std::wstring& text) {
    if (text.size() > 2) text.resize(text.size() - 2);
}

}  // namespace

ICookieManager* CreateCookieManager() {
    return new CCookieManager();
}

CCookieManager::CCookieManager(const wchar_t* cryptLibrary)
    : handOver_(CreateEventW(nullptr, FALSE, TRUE, nullptr)),
      cryptLibrary_(cryptLibrary != nullptr ? cryptLibrary : names::kCryptDll) {}

CCookieManager::~CCookieManager() {
    // A reader still waiting must not wait for ever.
    if (handOver_) SetEvent(handOver_.get());
    handOver_.reset();
    cookies_.clear();
}

void CCookieManager::Release() {
    delete this;
}

void CCookieManager::SetWaitForUpdate(int on) {
    try {
        LONG was = InterlockedExchange(&waitForUpdate_, on);
        if (was != 0 && on == 0 && handOver_) SetEvent(handOver_.get());
    } catch (...) {
    }
}

const wchar_t* CCookieManager::GetCookieText() {
    try {
        CookieLock cookieLock;
        std::lock_guard guard(lock_);
        return cookieText_.c_str();
    } catch (...) {
        return L"";
    }
}

void CCookieManager::SetCookieText(const wchar_t* text, unsigned int stamp) {
    try {
        CookieLock cookieLock;
        std::lock_guard guard(lock_);
        if (stamp > textStamp_) {
            cookieText_ = text != nullptr ? text : L"";
            textStamp_ = stamp;
        }
    } catch (...) {
    }
}

const wchar_t* CCookieManager::GetCookieHeader(int includeSecure) {
    try {
        WaitForHandOver();
        std::lock_guard guard(lock_);
        headerText_.clear();
        RemoveExpired();
        for (const auto& [name, cookie] : cookies_) {
            if (cookie->secure && !includeSecure) continue;
            headerText_ += name + L"=" + cookie->value + L"; ";
        }
        DropLastSeparator(headerText_);
        return headerText_.c_str();
    } catch (...) {
        return L"";
    }
}

// Each cookie goes on a line of its own, so that ParseSetCookies reads every one of them back.
const wchar_t* CCookieManager::GetSetCookieHeaders() {
    try {
        WaitForHandOver();
        std::lock_guard guard(lock_);
        headerText_.clear();
        RemoveExpired();
        for (const auto& [name, cookie] : cookies_) {
            std::wstring line = L"Set-Cookie: " + name + L"=" + cookie->value + L"; ";
            if (cookie->expiry > 0) {
                std::wstring date = FormatCookieDate(cookie->expiry);
                if (!date.empty()) line += L"expires=" + date + L"; ";
            }
            if (cookie->secure) line += L"secure; ";
            if (cookie->httponly) line += L"httponly; ";
            DropLastSeparator(line);
            headerText_ += line + L"\r\n";
        }
        return headerText_.c_str();
    } catch (...) {
        return L"";
    }
}

const CCookie* CCookieManager::FindCookie(const std::wstring& name) const {
    std::lock_guard guard(lock_);
    auto it = cookies_.find(name);
    return it == cookies_.end() ? nullptr : it->second.get();
}

CCookie* CCookieManager::AddCookie(const std::wstring& name, const std::wstring& value) {
    if (name.empty() || value.empty()) return nullptr;
    auto& slot = cookies_[name];
    if (!slot) {
        slot = std::make_unique<CCookie>();
        slot->name = name;
    }
    slot->value = value;
    return slot.get();
}

void CCookieManager::RemoveExpired() {
    const long long now = _time64(nullptr);
    for (auto it = cookies_.begin(); it != cookies_.end();) {
        if (it->second->expiry > 0 && it->second->expiry <= now)
            it = cookies_.erase(it);
        else
            ++it;
    }
}

void CCookieManager::WaitForHandOver() {
    if (waitForUpdate_ != 0 && handOver_) WaitForSingleObject(handOver_.get(), INFINITE);
}

bool CCookieManager::HandOver() {
    if (waitForUpdate_ == 0) return true;
    return handOver_ && SetEvent(handOver_.get());
}

}  // namespace NimboNS
