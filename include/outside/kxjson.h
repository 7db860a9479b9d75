#pragma once
// Call contract of kxjson.dll, the JSON parser and generator loaded by name.
//
// Exports (no arguments): "CreateJsonParser" returns a new IJsonParser, "CreateJsonGenerator" a new
// IJsonGenerator. Each object is ended by its own Release, never deleted.
//
// A parser holds one document. Node handles, texts and text handles it hands out stay valid until
// the next Parse on that parser or its Release; callers never free them. Texts are wide (UTF-16).
// Parse takes UTF-8 with or without a byte-order mark. Documents nested deeper than kMaxDepth,
// numbers outside the range of a double, invalid UTF-8 and malformed JSON fail to load.
//
// "ok" is 1; every other result is 0. An operation on a key whose value has another type than the
// operation reads (GetInt on a text, GetString on a number, ...) is not ok and leaves the caller's
// output untouched. Integer getters take only JSON integers that fit the output type.

namespace kxjson {

inline constexpr int kMaxDepth = 256;

enum Kind : int {
    kNull = 0,
    kObject = 1,
    kArray = 2,
    kString = 3,
    kInteger = 4,  // a number without fraction or exponent
    kReal = 5,
    kBool = 6,
};

// Opaque handle of a node of a parser's loaded document.
using JsonNode = const void*;
// Handle of a document text (from IJsonParser::GetText): a zero-terminated UTF-8 JSON text.
using JsonText = const char*;

class IJsonParser {
public:
    // Loads a document from bytes, replacing the one held before.
    virtual int Parse(const void* data, int size) = 0;
    virtual int GetRoot(JsonNode* root, int* kind) = 0;
    // Any member of an object, whatever its kind.
    virtual int GetMember(JsonNode parent, const wchar_t* key, JsonNode* child, int* kind) = 0;
    virtual int GetArrayItem(JsonNode array, int index, JsonNode* item, int* kind) = 0;
    virtual int GetArraySize(JsonNode array, int* count) = 0;
    virtual int GetBool(JsonNode object, const wchar_t* key, int* value) = 0;
    virtual int GetInt64(JsonNode object, const wchar_t* key, long long* value) = 0;
    virtual int GetInt(JsonNode object, const wchar_t* key, int* value) = 0;
    virtual int GetString(JsonNode object, const wchar_t* key, const wchar_t** value) = 0;
    // The text of a string node.
    virtual int GetStringValue(JsonNode item, const wchar_t** value) = 0;
    // A member of an object that is an array.
    virtual int GetArray(JsonNode parent, const wchar_t* key, JsonNode* array, int* kind) = 0;
    virtual void Release() = 0;
    // The JSON text of a node, for IJsonGenerator::LoadText.
    virtual int GetText(JsonNode node, JsonText* text) = 0;
    // A short English description of why the last Parse failed (empty after success).
    virtual const wchar_t* GetErrorText() = 0;

protected:
    ~IJsonParser() = default;
};

class IJsonGenerator {
public:
    // Writes the loaded document to path, replacing the file. indent: 1 = one member per line,
    // indented by four spaces, 0 = compact. byteOrderMark: 1 = start the file with the UTF-8 mark.
    virtual int SaveToFile(const wchar_t* path, int indent, int byteOrderMark) = 0;
    virtual void Release() = 0;
    // Takes a copy of a document text; out (may be null) receives the generator's root node,
    // valid until the next LoadText or Release.
    virtual int LoadText(JsonText text, JsonNode* out) = 0;

protected:
    ~IJsonGenerator() = default;
};

using CreateJsonParserFn = IJsonParser* (*)();
using CreateJsonGeneratorFn = IJsonGenerator* (*)();
inline constexpr char kCreateJsonParser[] = "CreateJsonParser";
inline constexpr char kCreateJsonGenerator[] = "CreateJsonGenerator";

}  // namespace kxjson
