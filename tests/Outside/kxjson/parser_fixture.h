#pragma once
#include <string>

#include "json_objects.h"

// A parser that is released at the end of a test.
struct ParserHolder {
    kxjson::IJsonParser* p = kxjson::NewJsonParser();
    ~ParserHolder() {
        if (p) p->Release();
    }
    kxjson::IJsonParser* operator->() const { return p; }
    int Parse(const std::string& text) { return p->Parse(text.data(), static_cast<int>(text.size())); }
    kxjson::JsonNode Root() {
        kxjson::JsonNode root = nullptr;
        int kind = -1;
        return p->GetRoot(&root, &kind) ? root : nullptr;
    }
};
