#include "link/language.h"

#include "link/setuplog.h"

namespace NimboNS::installpanel {
namespace {

struct LanguageRow {
    const wchar_t* name;
    LANGID id;
};
constexpr LanguageRow kLanguages[] = {
    {L"Danish", 1030},  {L"Dutch", 1043},     {L"French", 1036},  {L"German", 1031},
    {L"Italian", 1040}, {L"Norwegian", 1044}, {L"Spanish", 3082}, {L"Swedish", 1053},
};

struct LocaleRow {
    const wchar_t* prefix;
    const wchar_t* language;
};
constexpr LocaleRow kLocales[] = {
    {L"da", L"Danish"},    {L"nl", L"Dutch"},   {L"fr", L"French"},
    {L"de", L"German"},    {L"it", L"Italian"}, {L"nb", L"Norwegian"},
    {L"nn", L"Norwegian"}, {L"es", L"Spanish"}, {L"sv", L"Swedish"},
};

}  // namespace

std::wstring LanguageFromLocaleName(const std::wstring& localeName) {
    const std::wstring prefix = localeName.substr(0, localeName.find(L'-'));
    for (const LocaleRow& row : kLocales) {
        if (_wcsicmp(prefix.c_str(), row.prefix) == 0) return row.language;
    }
    return L"English";
}

LANGID LanguageIdOf(const std::wstring& languageName) {
    for (const LanguageRow& row : kLanguages) {
        if (_wcsicmp(languageName.c_str(), row.name) == 0) return row.id;
    }
    return 1033;
}

LanguageChoice ChooseLanguage(const std::wstring& supportLanguage, const std::wstring& localeName,
                              LANGID userLangId) {
    LanguageChoice choice;
    choice.supportLanguage = supportLanguage;
    choice.appLanguage = supportLanguage.empty() ? L"English" : supportLanguage;
    if (_wcsicmp(choice.appLanguage.c_str(), L"Auto-detect") == 0) {
        choice.detectLocaleName = localeName;
        choice.detectLangId = userLangId;
        choice.appLanguage = LanguageFromLocaleName(localeName);
    }
    choice.langId = LanguageIdOf(choice.appLanguage);
    return choice;
}

LanguageChoice ChooseLanguage(const std::wstring& supportLanguage) {
    std::wstring localeName;
    LANGID userLangId = 0;
    if (_wcsicmp(supportLanguage.c_str(), L"Auto-detect") == 0) {
        wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
        if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0) {
            localeName = name;
        } else {
            WriteLogLine(L"Failed to detect locale: " + SystemErrorText(GetLastError()), kLogError);
        }
        userLangId = GetUserDefaultLangID();
    }
    return ChooseLanguage(supportLanguage, localeName, userLangId);
}

}  // namespace NimboNS::installpanel
