// The parser: one loaded document, node handles pointing into it, texts cached per node so that
// asking again for the same text does not grow the parser.
#include <limits>
#include <new>
#include <unordered_map>

#include "json_objects.h"
#include "json_text.h"

namespace kxjson {
namespace {

using nlohmann::json;

int KindOf(const json& node) {
    switch (node.type()) {
        case json::value_t::object:
            return kObject;
        case json::value_t::array:
            return kArray;
        case json::value_t::string:
            return kString;
        case json::value_t::boolean:
            return kBool;
        case json::value_t::number_integer:
        case json::value_t::number_unsigned:
            return kInteger;
        case json::value_t::number_float:
            return kReal;
        default:
            return kNull;
    }
}

const json* AsNode(JsonNode node) {
    return static_cast<const json*>(node);
}

// Every operation runs inside this: nothing may leave the library as an exception.
template <typename F>
int Guard(F&& body) noexcept {
    try {
        return body() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

class JsonParser final : public IJsonParser {
public:
    int Parse(const void* data, int size) noexcept override {
        Clear();
        if (data == nullptr || size < 0) {
            error_ = L"No document was given.";
            return 0;
        }
        loaded_ = LoadDocument(static_cast<const char*>(data), static_cast<std::size_t>(size), doc_, error_);
        return loaded_ ? 1 : 0;
    }

    int GetRoot(JsonNode* root, int* kind) noexcept override {
        if (!loaded_ || root == nullptr) return 0;
        *root = &doc_;
        if (kind) *kind = KindOf(doc_);
        return 1;
    }

    int GetMember(JsonNode parent, const wchar_t* key, JsonNode* child, int* kind) noexcept override {
        return Guard([&] {
            const json* member = Member(parent, key);
            if (member == nullptr || child == nullptr) return false;
            *child = member;
            if (kind) *kind = KindOf(*member);
            return true;
        });
    }

    int GetArrayItem(JsonNode array, int index, JsonNode* item, int* kind) noexcept override {
        const json* node = AsNode(array);
        if (node == nullptr || item == nullptr || !node->is_array() || index < 0 ||
            static_cast<std::size_t>(index) >= node->size())
            return 0;
        const json& found = (*node)[static_cast<std::size_t>(index)];
        *item = &found;
        if (kind) *kind = KindOf(found);
        return 1;
    }

    int GetArraySize(JsonNode array, int* count) noexcept override {
        const json* node = AsNode(array);
        if (node == nullptr || count == nullptr || !node->is_array() ||
            node->size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
            return 0;
        *count = static_cast<int>(node->size());
        return 1;
    }

    int GetBool(JsonNode object, const wchar_t* key, int* value) noexcept override {
        return Guard([&] {
            const json* member = Member(object, key);
            if (member == nullptr || value == nullptr || !member->is_boolean()) return false;
            *value = member->get<bool>() ? 1 : 0;
            return true;
        });
    }

    int GetInt64(JsonNode object, const wchar_t* key, long long* value) noexcept override {
        return Guard([&] {
            long long number = 0;
            if (value == nullptr || !ReadInteger(Member(object, key), std::numeric_limits<long long>::min(),
                                                 std::numeric_limits<long long>::max(), number))
                return false;
            *value = number;
            return true;
        });
    }

    int GetInt(JsonNode object, const wchar_t* key, int* value) noexcept override {
        return Guard([&] {
            long long number = 0;
            if (value == nullptr || !ReadInteger(Member(object, key), std::numeric_limits<int>::min(),
                                                 std::numeric_limits<int>::max(), number))
                return false;
            *value = static_cast<int>(number);
            return true;
        });
    }

    int GetString(JsonNode object, const wchar_t* key, const wchar_t** value) noexcept override {
        return Guard([&] { return value != nullptr && TextOf(Member(object, key), value); });
    }

    int GetStringValue(JsonNode item, const wchar_t** value) noexcept override {
        return Guard([&] { return value != nullptr && TextOf(AsNode(item), value); });
    }

    int GetArray(JsonNode parent, const wchar_t* key, JsonNode* array, int* kind) noexcept override {
        return Guard([&] {
            const json* member = Member(parent, key);
            if (member == nullptr || array == nullptr || !member->is_array()) return false;
            *array = member;
            if (kind) *kind = kArray;
            return true;
        });
    }

    void Release() noexcept override { delete this; }

    int GetText(JsonNode node, JsonText* text) noexcept override {
        return Guard([&] {
            const json* found = AsNode(node);
            if (!loaded_ || found == nullptr || text == nullptr) return false;
            auto [slot, added] = texts_.try_emplace(found);
            if (added) slot->second = found->dump();
            *text = slot->second.c_str();
            return true;
        });
    }

    const wchar_t* GetErrorText() noexcept override { return error_.c_str(); }

private:
    void Clear() noexcept {
        loaded_ = false;
        strings_.clear();
        texts_.clear();
        error_.clear();
        doc_ = nullptr;
    }

    const json* Member(JsonNode parent, const wchar_t* key) const {
        const json* node = AsNode(parent);
        std::string name;
        if (!loaded_ || node == nullptr || !node->is_object() || !Utf16ToUtf8(key, name)) return nullptr;
        auto it = node->find(name);
        return it == node->end() ? nullptr : &*it;
    }

    static bool ReadInteger(const json* node, long long low, long long high, long long& out) {
        if (node == nullptr) return false;
        if (node->is_number_unsigned()) {
            auto u = node->get<unsigned long long>();
            if (u > static_cast<unsigned long long>(high)) return false;
            out = static_cast<long long>(u);
            return true;
        }
        if (!node->is_number_integer()) return false;
        auto v = node->get<long long>();
        if (v < low || v > high) return false;
        out = v;
        return true;
    }

    bool TextOf(const json* node, const wchar_t** value) {
        if (node == nullptr || !node->is_string()) return false;
        auto [slot, added] = strings_.try_emplace(node);
        if (added && !Utf8ToUtf16(node->get_ref<const std::string&>(), slot->second)) {
            strings_.erase(slot);
            return false;
        }
        *value = slot->second.c_str();
        return true;
    }

    nlohmann::json doc_;
    bool loaded_ = false;
    std::unordered_map<const json*, std::wstring> strings_;
    std::unordered_map<const json*, std::string> texts_;
    std::wstring error_;
};

}  // namespace

IJsonParser* NewJsonParser() noexcept {
    return new (std::nothrow) JsonParser();
}

}  // namespace kxjson
