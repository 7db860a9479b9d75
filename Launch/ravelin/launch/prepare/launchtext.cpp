#include "launchtext.h"

namespace NimboNS {

std::wstring AppNameOf(const std::wstring& startFile) {
    const size_t dot = startFile.rfind(L'.');
    const size_t separator = startFile.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) return startFile;
    return startFile.substr(0, dot);
}

std::wstring RemoveUrlsOption(std::wstring text) {
    static constexpr wchar_t kOption[] = L"-urls";
    const size_t at = text.find(kOption);
    if (at == std::wstring::npos || at == 0) return text;
    const size_t from = at - 1;
    text.erase(from, 1 + (sizeof kOption / sizeof(wchar_t) - 1));
    // What followed the option now starts at `from`: its separating space and its value.
    const size_t space = from + 1 < text.size() ? text.find(L' ', from + 1) : std::wstring::npos;
    text.erase(from, space == std::wstring::npos ? std::wstring::npos : space - from);
    return text;
}

std::wstring CombineArguments(const std::wstring& documentArguments, const std::wstring& urlParameter) {
    if (documentArguments.empty()) return urlParameter;
    if (urlParameter.empty()) return documentArguments;
    return documentArguments + L" " + urlParameter;
}

std::vector<std::wstring> SplitCommandLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::wstring PreloadCommand(const std::wstring& folder, const std::wstring& line) {
    return L"cd /d \"" + folder + L"\"&&" + line;
}

std::wstring RuntimePathDocument(const std::wstring& runtimeFolder) {
    return L"<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n<Application>\r\n\t<RuntimePath>" +
           runtimeFolder + L"</RuntimePath>\r\n</Application>";
}

}  // namespace NimboNS
