#pragma once
// Before a web page starts an app for the first time the user is asked, once per page origin
// and app URL; the answer is kept in the registry.
#include <string>

namespace NimboNS {

// Below the launcher's key in HKEY_CURRENT_USER: one DWORD value per "<origin> <app URL>",
// 1 = allowed, 0 = refused.
inline constexpr wchar_t kPageConsentSubkey[] = L"PageConsent";
inline constexpr wchar_t kConsentCaption[] = L"Nimbo Launcher";
// What a page without an Origin header is called.
inline constexpr wchar_t kUnknownPage[] = L"unknown page";

// The remembered answer (true = allowed), or the user's answer to a Yes/No message box, which
// is then remembered.
bool AskPageConsent(const std::string& origin, const std::wstring& appUrl);

// The registry value name of a page and app URL.
std::wstring ConsentValueName(const std::wstring& page, const std::wstring& appUrl);

}  // namespace NimboNS
