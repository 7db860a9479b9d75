#include "panel/portcheck.h"

#include <shlobj.h>

#include <algorithm>

#include "nimbo/handle.h"
#include "scwconv.h"

namespace NimboNS::installpanel {
namespace {

std::wstring DecodeLog(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    }
    // cmd writes redirected text in the console (OEM) code page.
    int needed = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0)
        MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), needed);
    return text;
}

std::wstring Trim(const std::wstring& text) {
    const wchar_t* blanks = L" \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

std::wstring PortLogPath(const std::wstring& panelFolder) {
    wchar_t appData[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return FormatWide(L"%s\\Quillmark\\quillmarkinstalllog\\port_process.log", appData);
    return panelFolder + L"\\port_process.log";
}

PortLog ParsePortLog(const std::string& bytes) {
    PortLog log;
    log.opened = true;
    const std::wstring text = DecodeLog(bytes);
    size_t start = text.find(L'\n');  // the first line is the script's start stamp
    while (start != std::wstring::npos && start < text.size()) {
        size_t end = text.find(L'\n', start + 1);
        std::wstring line =
            Trim(text.substr(start + 1, end == std::wstring::npos ? std::wstring::npos : end - start - 1));
        start = end;
        size_t equals = line.find(L'=');
        if (equals == std::wstring::npos || equals == 0) continue;
        log.entries.push_back(PortLogEntry{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
    }
    return log;
}

PortLog ReadPortLog(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        PortLog failed;
        failed.error = GetLastError();
        return failed;
    }
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (bytes.size() < (1u << 20) && ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) &&
           got > 0)
        bytes.append(buffer, got);
    return ParsePortLog(bytes);
}

std::wstring PortList(const PortLog& log) {
    std::vector<std::wstring> lines;
    for (const PortLogEntry& entry : log.entries) {
        std::wstring line = entry.port + L":\t" + entry.process;
        if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
    }
    std::wstring list;
    for (const std::wstring& line : lines) list += line + L"\n";
    return list;
}

std::wstring PortInUseMessage(WPARAM result, const LauncherPorts& ports, const PortLog& log,
                              const std::wstring& onePortPattern, const std::wstring& twoPortsPattern) {
    std::wstring message;
    if (result == 3) {
        message = FormatWide(twoPortsPattern.c_str(), ports.withoutService, ports.withService);
    } else if (result == 1 || result == 2) {
        int port = result == 1 ? ports.withoutService : ports.withService;
        if (!log.entries.empty() && _wtoi(log.entries.front().port.c_str()) > 0)
            port = _wtoi(log.entries.front().port.c_str());
        message = FormatWide(onePortPattern.c_str(), port);
    } else {
        return {};
    }
    const std::wstring list = PortList(log);
    if (!list.empty()) message += L"\n\n" + list;
    return message;
}

}  // namespace NimboNS::installpanel
