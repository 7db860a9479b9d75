#pragma once
// The command line of nimbo-publish.
#include <string>
#include <vector>

#include "report.h"

namespace NimboNS::publisher {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // bad input or a file that cannot be written; nothing changed
inline constexpr int kExitUsage = 2;   // the command line itself is wrong

// args: the arguments after the program name. Text meant for standard output (help, documents)
// goes to `out`; findings go to the reporter.
int RunCommandLine(const std::vector<std::wstring>& args, IReporter& reporter, std::string& out);

const char* HelpText();

}  // namespace NimboNS::publisher
