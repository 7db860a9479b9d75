#pragma once
// The command line the app's program is started with: its own name, its arguments and the name
// of the cookie hand-over file.
#include <string>
#include <vector>

namespace NimboNS {

// Room the command line has besides the arguments.
inline constexpr size_t kCommandLineReserve = 1024;

// startFile, then " " and the arguments when there are any, then " -cookies " and the cookie
// file's name when there is one, into a zero-terminated buffer of (arguments + 1024)
// characters. False, with the buffer left empty, when the whole would not fit: a shortened
// command line would be another command.
bool BuildAppCommandLine(const std::wstring& startFile, const std::wstring& arguments,
                         const std::wstring& cookieFile, std::vector<wchar_t>& buffer);

}  // namespace NimboNS
