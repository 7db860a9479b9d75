#pragma once
// elevhost's whole run, from its argument string to its exit code.
#include <windows.h>

#include <string>

namespace Elevhost {

// `arguments` is the command line after the program name. "-check" anywhere ends at once with
// 0, then "-test" with 1; otherwise the first argument, lower-cased, names the channel to serve
// until its client goes away (exit code 0).
int RunElevhost(HINSTANCE instance, const wchar_t* arguments);

// The channel name elevhost serves for a full command line: its first argument in lower case,
// empty when there is none.
std::wstring ChannelNameFromCommandLine(const wchar_t* commandLine);

}  // namespace Elevhost
