#include "consent.h"

#include <windows.h>

#include "nimbo/handle.h"
#include "nimbo/names.h"
#include "scwconv.h"

namespace NimboNS {
namespace {

std::wstring ConsentKeyPath() {
    return std::wstring(names::kRegistryKey) + L"\\" + kPageConsentSubkey;
}

// 1 or 0 when an answer is remembered, -1 otherwise.
int RememberedAnswer(const std::wstring& valueName) {
    DWORD value = 0, size = sizeof(value), type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, ConsentKeyPath().c_str(), valueName.c_str(), RRF_RT_REG_DWORD, &type,
                     &value, &size) != ERROR_SUCCESS)
        return -1;
    return value != 0 ? 1 : 0;
}

void Remember(const std::wstring& valueName, bool allowed) {
    KeyHandle key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, ConsentKeyPath().c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        return;
    const DWORD value = allowed ? 1 : 0;
    RegSetValueExW(key.get(), valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof(value));
}

}  // namespace

std::wstring ConsentValueName(const std::wstring& page, const std::wstring& appUrl) {
    return page + L" " + appUrl;
}

bool AskPageConsent(const std::string& origin, const std::wstring& appUrl) {
    const std::wstring page = origin.empty() ? std::wstring(kUnknownPage) : Utf8ToWide(origin);
    const std::wstring valueName = ConsentValueName(page, appUrl);
    const int remembered = RememberedAnswer(valueName);
    if (remembered >= 0) return remembered == 1;
    const std::wstring question = L"The web page " + page + L" asks to start the app\r\n" + appUrl +
                                  L"\r\n\r\nDo you want to start it?";
    // No is the default button: a stray Enter starts nothing.
    const int answer =
        MessageBoxW(nullptr, question.c_str(), kConsentCaption,
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND | MB_TOPMOST);
    const bool allowed = answer == IDYES;
    if (answer == IDYES || answer == IDNO) Remember(valueName, allowed);
    return allowed;
}

}  // namespace NimboNS
