#pragma once
// The port-check script's log ("port_process.log": a first line, then port=process lines) and
// the message that tells the user which program holds the launcher's ports.
#include <windows.h>

#include <string>
#include <vector>

#include "link/settings.h"

namespace NimboNS::installpanel {

struct PortLogEntry {
    std::wstring port;
    std::wstring process;
};

struct PortLog {
    bool opened = false;
    DWORD error = 0;
    std::vector<PortLogEntry> entries;
};

// The log in the user's Quillmark\quillmarkinstalllog folder, or beside installpanel when the
// local application data folder cannot be found.
std::wstring PortLogPath(const std::wstring& panelFolder);
PortLog ReadPortLog(const std::wstring& path);
PortLog ParsePortLog(const std::string& bytes);
// One "port:\tprocess" line per entry (repeated lines once).
std::wstring PortList(const PortLog& log);

// The message for a port-check result (bit 0: the first port, bit 1: the second); empty for
// results that show nothing. The patterns are strings 154 (one "%d") and 155 (two).
std::wstring PortInUseMessage(WPARAM result, const LauncherPorts& ports, const PortLog& log,
                              const std::wstring& onePortPattern, const std::wstring& twoPortsPattern);

}  // namespace NimboNS::installpanel
