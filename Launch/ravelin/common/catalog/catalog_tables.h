#pragma once
#include "catalog.h"

namespace NimboNS {

inline constexpr int kCatalogSize = 70;

// One table per language, each holding the same ids in the same order.
extern const CatalogEntry kEnglishTable[kCatalogSize];
extern const CatalogEntry kJapaneseTable[kCatalogSize];
extern const CatalogEntry kDanishTable[kCatalogSize];
extern const CatalogEntry kDutchTable[kCatalogSize];
extern const CatalogEntry kFrenchTable[kCatalogSize];
extern const CatalogEntry kGermanTable[kCatalogSize];
extern const CatalogEntry kItalianTable[kCatalogSize];
extern const CatalogEntry kNorwegianTable[kCatalogSize];
extern const CatalogEntry kSpanishTable[kCatalogSize];
extern const CatalogEntry kSwedishTable[kCatalogSize];

}  // namespace NimboNS
