#pragma once
// The cookie store of one launch. Handed across DLL boundaries (the download library keeps a
// pointer to it), so every text crosses as a `const wchar_t*` that stays valid until the next call
// on the same store.
namespace NimboNS {

class ICookieManager {
public:
    virtual ~ICookieManager() = default;
    virtual void Release() = 0;
    virtual void SetWaitForUpdate(int on) = 0;
    virtual const wchar_t* GetCookieText() = 0;
    virtual const wchar_t* GetCookieHeader(int includeSecure) = 0;
    virtual const wchar_t* GetSetCookieHeaders() = 0;
    virtual const wchar_t* ExportCookieFile(int unused) = 0;
    virtual void SetCookieText(const wchar_t* text, unsigned int stamp) = 0;
    virtual int ParseCookies(const wchar_t* text, int clearFirst) = 0;
    virtual int ParseSetCookies(const wchar_t* text) = 0;
    virtual int ImportCookieFile(const wchar_t* name) = 0;
};

}  // namespace NimboNS
