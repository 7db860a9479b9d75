#pragma once
// The texts the preparation of an app derives from its settings.
#include <string>
#include <vector>

namespace NimboNS {

// The start file without its last extension: MyApp.exe gives MyApp, a name without a dot stays
// whole. Only a dot in the file's own name counts (bin.v2\App stays bin.v2\App).
std::wstring AppNameOf(const std::wstring& startFile);

// The start parameter without a "-urls" option: the option, its value and the space in front
// of the option go. An option at the very start of the text stays.
std::wstring RemoveUrlsOption(std::wstring startParam);

// The document's arguments, then the request's URL parameter, separated by a space.
std::wstring CombineArguments(const std::wstring& documentArguments, const std::wstring& urlParameter);

// The non-empty lines of a text whose lines end with "\r\n".
std::vector<std::wstring> SplitCommandLines(const std::wstring& text);

// A command that runs `line` in `folder`.
std::wstring PreloadCommand(const std::wstring& folder, const std::wstring& line);

// The runtime path file's text, which tells the app's program where its runtime lives.
std::wstring RuntimePathDocument(const std::wstring& runtimeFolder);

}  // namespace NimboNS
