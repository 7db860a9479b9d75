#pragma once
// What the installer tells installpanel on its command line.
#include <string>
#include <vector>

namespace NimboNS::installpanel {

struct PanelCommandLine {
    std::wstring folder;        // installpanel's folder (element 0 up to its last backslash)
    std::wstring memName;       // the shared memory's name; empty: no shared memory
    std::wstring progressFile;  // the progress file the installer writes
};

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);
PanelCommandLine ParseCommandLine(const std::vector<std::wstring>& args);
// The shared memory's name from "/mem=" or "-mem=" (any case); logs "GetShareMemName: name=".
std::wstring GetShareMemName(const std::vector<std::wstring>& args);

}  // namespace NimboNS::installpanel
