#pragma once
// The library's calls into a cookie store. The store's texts and map have no lock of their own, so
// every call from the library's threads goes through here, one at a time.
#include <string>

namespace NimboNS {
class ICookieManager;
}

namespace kxhttp {

// The Cookie header value for a request (secure cookies only over https); empty without a store.
std::wstring CookieHeaderFor(NimboNS::ICookieManager* cookies, bool https);
// Hands "Set-Cookie: ..." lines (CR LF after each) to the store.
void TakeSetCookies(NimboNS::ICookieManager* cookies, const std::wstring& lines);

}  // namespace kxhttp
