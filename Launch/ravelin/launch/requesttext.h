#pragma once
// The text of a launch request: an app URL followed by the launcher's own options, or any
// other command line.
#include <string>

namespace NimboNS {

// True when the text holds "http:" or "https:" anywhere (case-sensitive): an app URL request.
bool HasWebScheme(const std::wstring& text);

// Decodes "%XX" escapes (bytes of UTF-8) and "+" as a space. A percent sign without two
// hexadecimal digits stays; bytes that do not form UTF-8 become U+FFFD.
std::wstring PercentDecode(const std::wstring& text);

// The options below count only as words of their own (at the start or after a blank, followed by
// a blank or the end): the same letters inside the URL belong to the URL.

// Removes the option "-cookie" (with the space before it) and everything after it from `text`;
// returns the cookie text, which starts one separator character after the option (empty when
// the option is missing or ends the text).
std::wstring TakeCookieOption(std::wstring& text);

// Removes the first option "-debug" (only those six characters); true when there was one.
bool TakeDebugOption(std::wstring& text);

// The app name a web page is told about: the first path segment after the host of the URL in
// `text`, as UTF-8 bytes; empty when the text has no such segment.
std::string AppNameFromRequest(const std::wstring& text);

// The parameter string of the launcher installer: the app URL without its query, then the
// extra parameters and "-debug", each after a space when present.
std::wstring BuildInstallerParameters(const std::wstring& appUrl, const std::wstring& extraParameters,
                                      bool debug);

}  // namespace NimboNS
