#include "catalog.h"

#include <atomic>
#include <mutex>

#include "catalog_tables.h"

namespace NimboNS {
namespace {

std::atomic<int> g_languageCode{0};
std::once_flag g_firstFill;

}  // namespace

void SetProcessLanguageCode(int code) { g_languageCode = code; }
int GetProcessLanguageCode() { return g_languageCode; }

std::span<const CatalogEntry> GetLanguageTable(int code) {
    switch (code) {
        case 1: return kJapaneseTable;
        case 2: return kDanishTable;
        case 3: return kDutchTable;
        case 4: return kFrenchTable;
        case 5: return kGermanTable;
        case 6: return kItalianTable;
        case 7: return kNorwegianTable;
        case 8: return kSpanishTable;
        case 9: return kSwedishTable;
        default: return kEnglishTable;
    }
}

MessageCatalog& MessageCatalog::Instance() {
    // Never destroyed: texts handed out stay valid for the life of the process.
    static MessageCatalog* instance = new MessageCatalog();
    return *instance;
}

void MessageCatalog::SetLanguage(int code) {
    languageCode_ = code;
    for (const CatalogEntry& entry : GetLanguageTable(code)) messages_[entry.id] = entry.text;
}

const wchar_t* MessageCatalog::Lookup(int id) {
    // Concurrent first lookups wait here until the one fill is done.
    std::call_once(g_firstFill, [this] {
        if (needsLoading_ == 1) {
            SetLanguage(GetProcessLanguageCode());
            needsLoading_ = 0;
        }
    });
    auto it = messages_.find(id);
    return it != messages_.end() && it->second ? it->second : L"";
}

const wchar_t* GetLocalizedMessage(int id) { return MessageCatalog::Instance().Lookup(id); }

}  // namespace NimboNS
