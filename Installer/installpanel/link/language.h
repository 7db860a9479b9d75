#pragma once
// The language of the window: "SupportLanguage" of "LauncherCfg.ini", or the user's locale for
// "Auto-detect".
#include <windows.h>

#include <string>

namespace NimboNS::installpanel {

struct LanguageChoice {
    std::wstring supportLanguage;   // as configured ("" counts as "English")
    std::wstring detectLocaleName;  // only for "Auto-detect"
    LANGID detectLangId = 0;        // only for "Auto-detect"
    std::wstring appLanguage;       // the language name the id was taken from
    LANGID langId = 1033;
};

// "da-DK" -> "Danish", "nn-NO" -> "Norwegian", anything unknown -> "English".
std::wstring LanguageFromLocaleName(const std::wstring& localeName);
// The language id of a language name (any case); unknown names give English (1033).
LANGID LanguageIdOf(const std::wstring& languageName);
// Chooses the language; `localeName` is what the system reports for "Auto-detect".
LanguageChoice ChooseLanguage(const std::wstring& supportLanguage, const std::wstring& localeName,
                              LANGID userLangId);
// Same, asking the system for the user's locale when needed.
LanguageChoice ChooseLanguage(const std::wstring& supportLanguage);

}  // namespace NimboNS::installpanel
