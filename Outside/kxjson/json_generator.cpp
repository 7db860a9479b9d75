// The generator: takes a document text from a parser and writes it to a file.
#include <windows.h>

#include <new>
#include <string>

#include "json_objects.h"
#include "json_text.h"
#include "nimbo/handle.h"

namespace kxjson {
namespace {

// Writes through a file beside the target and then replaces the target, so that a failure
// half-way never leaves a cut document where a good one was.
bool WriteReplacing(const wchar_t* path, const std::string& bytes) {
    std::wstring temporary = std::wstring(path) + L".kxjson-tmp";
    {
        NimboNS::FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size()) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

class JsonGenerator final : public IJsonGenerator {
public:
    int SaveToFile(const wchar_t* path, int indent, int byteOrderMark) noexcept override {
        if (!loaded_ || path == nullptr || *path == 0) return 0;
        try {
            std::string bytes = byteOrderMark ? "\xEF\xBB\xBF" : "";
            bytes += doc_.dump(indent ? 4 : -1);
            if (indent) bytes += "\n";
            return WriteReplacing(path, bytes) ? 1 : 0;
        } catch (...) {
            return 0;
        }
    }

    void Release() noexcept override { delete this; }

    int LoadText(JsonText text, JsonNode* out) noexcept override {
        loaded_ = false;
        if (text == nullptr) return 0;
        std::wstring error;
        if (!LoadDocument(text, std::char_traits<char>::length(text), doc_, error)) return 0;
        loaded_ = true;
        if (out) *out = &doc_;
        return 1;
    }

private:
    nlohmann::json doc_;
    bool loaded_ = false;
};

}  // namespace

IJsonGenerator* NewJsonGenerator() noexcept {
    return new (std::nothrow) JsonGenerator();
}

}  // namespace kxjson
