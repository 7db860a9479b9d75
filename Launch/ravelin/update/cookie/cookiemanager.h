#pragma once
// The cookie store of one launch: the cookies that came with the request, those the server sets
// during the update, and their hand-over to the started app in an encrypted file.
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "cookie/cookie.h"
#include "nimbo/handle.h"
#include "nimbo/icookiemanager.h"

namespace NimboNS {

// A new store for a launch (owned by the caller, ended with Release).
ICookieManager* CreateCookieManager();

// The operations of ICookieManager never throw (the download library calls them from its own
// module): out of memory gives an empty text or 0.
class CCookieManager : public ICookieManager {
public:
    // cryptLibrary: the encryption library to load for the hand-over file (kxcrypt by default).
    explicit CCookieManager(const wchar_t* cryptLibrary = nullptr);
    ~CCookieManager() override;
    CCookieManager(const CCookieManager&) = delete;
    CCookieManager& operator=(const CCookieManager&) = delete;

    void Release() override;
    void SetWaitForUpdate(int on) override;
    const wchar_t* GetCookieText() override;
    const wchar_t* GetCookieHeader(int includeSecure) override;
    const wchar_t* GetSetCookieHeaders() override;
    const wchar_t* ExportCookieFile(int unused) override;
    void SetCookieText(const wchar_t* text, unsigned int stamp) override;
    int ParseCookies(const wchar_t* text, int clearFirst) override;
    int ParseSetCookies(const wchar_t* text) override;
    int ImportCookieFile(const wchar_t* name) override;

    // The stored cookie of that name, or null (not swept first).
    const CCookie* FindCookie(const std::wstring& name) const;

private:
    CCookie* AddCookie(const std::wstring& name, const std::wstring& value);
    void RemoveExpired();
    // With the wait flag set, a reader waits until a writer has handed over.
    void WaitForHandOver();
    // After a writer changed the map; false when the hand-over could not be signalled.
    bool HandOver();
    void ParseSetCookieAttributes(const std::wstring& text, std::size_t& at, const std::wstring& name,
                                  CCookie* cookie);
    // The folder of the hand-over files: local application data + "\Temp\".
    static std::wstring HandOverFolder();

    std::map<std::wstring, std::unique_ptr<CCookie>> cookies_;
    // The request's cookie text, handed to the app; the header operations answer in a buffer of
    // their own so that a download never wipes it.
    std::wstring cookieText_;
    std::wstring headerText_;
    std::wstring exportName_;
    Handle handOver_;
    volatile LONG waitForUpdate_ = 0;
    unsigned int textStamp_ = 0;
    std::wstring cryptLibrary_;
    // The download library calls from several threads; this keeps the map whole (the returned
    // text is still shared: it is valid until the next call that returns one).
    mutable std::recursive_mutex lock_;
};

}  // namespace NimboNS
