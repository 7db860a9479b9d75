#pragma once
// Reading members of a loaded kxjson document with a default for anything missing or of
// another type.
#include <string>

#include "outside/kxjson.h"

namespace NimboNS::json {

inline std::wstring String(kxjson::IJsonParser* parser, kxjson::JsonNode node, const wchar_t* key,
                           const std::wstring& fallback = {}) {
    const wchar_t* value = nullptr;
    if (parser == nullptr || node == nullptr || parser->GetString(node, key, &value) != 1 || value == nullptr)
        return fallback;
    return value;
}

inline int Bool(kxjson::IJsonParser* parser, kxjson::JsonNode node, const wchar_t* key, int fallback) {
    int value = fallback;
    if (parser == nullptr || node == nullptr || parser->GetBool(node, key, &value) != 1) return fallback;
    return value != 0 ? 1 : 0;
}

inline int Int(kxjson::IJsonParser* parser, kxjson::JsonNode node, const wchar_t* key, int fallback) {
    int value = fallback;
    if (parser == nullptr || node == nullptr || parser->GetInt(node, key, &value) != 1) return fallback;
    return value;
}

inline long long Int64(kxjson::IJsonParser* parser, kxjson::JsonNode node, const wchar_t* key,
                       long long fallback) {
    long long value = fallback;
    if (parser == nullptr || node == nullptr || parser->GetInt64(node, key, &value) != 1) return fallback;
    return value;
}

// The array member `key`, or null.
inline kxjson::JsonNode Array(kxjson::IJsonParser* parser, kxjson::JsonNode node, const wchar_t* key) {
    kxjson::JsonNode array = nullptr;
    int kind = 0;
    if (parser == nullptr || node == nullptr || parser->GetArray(node, key, &array, &kind) != 1)
        return nullptr;
    return array;
}

inline kxjson::JsonNode Member(kxjson::IJsonParser* parser, kxjson::JsonNode node, const wchar_t* key) {
    kxjson::JsonNode child = nullptr;
    int kind = 0;
    if (parser == nullptr || node == nullptr || parser->GetMember(node, key, &child, &kind) != 1)
        return nullptr;
    return child;
}

inline int Size(kxjson::IJsonParser* parser, kxjson::JsonNode array) {
    int count = 0;
    if (parser == nullptr || array == nullptr || parser->GetArraySize(array, &count) != 1) return 0;
    return count;
}

inline kxjson::JsonNode Item(kxjson::IJsonParser* parser, kxjson::JsonNode array, int index) {
    kxjson::JsonNode item = nullptr;
    int kind = 0;
    if (parser->GetArrayItem(array, index, &item, &kind) != 1) return nullptr;
    return item;
}

// An element that is an object, or null (elements of other kinds are no records).
inline kxjson::JsonNode ObjectItem(kxjson::IJsonParser* parser, kxjson::JsonNode array, int index) {
    kxjson::JsonNode item = nullptr;
    int kind = 0;
    if (parser->GetArrayItem(array, index, &item, &kind) != 1 || kind != kxjson::kObject) return nullptr;
    return item;
}

}  // namespace NimboNS::json
