#include "app_fixture.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <sstream>

#include "scwconv.h"

namespace sweeper_test {

std::wstring UniqueName(const std::wstring& prefix) {
    static std::atomic<int> counter{0};
    return prefix + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(counter++);
}

bool MakeShellLink(const std::wstring& linkPath, const std::wstring& target) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool saved = false;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(target.c_str());
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            saved = SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return saved && nimbo_test::FileExists(linkPath);
}

static void ListInto(const std::wstring& folder, const std::wstring& prefix, std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(prefix + name + L"\\");
            ListInto(folder + L"\\" + name, prefix + name + L"\\", out);
        } else {
            out.push_back(prefix + name);
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

std::vector<std::wstring> ListTree(const std::wstring& folder) {
    std::vector<std::wstring> out;
    ListInto(folder, L"", out);
    std::sort(out.begin(), out.end());
    return out;
}

AppFolder::AppFolder(const std::wstring& appName, const std::wstring& folderName)
    : appName_(appName),
      path_(root_ / (folderName.empty() ? appName : folderName)),
      scriptMarker_(root_ / L"script.txt") {
    CreateDirectoryW(path_.c_str(), nullptr);
    SetValue(L"appname", appName_);
}

void AppFolder::SetValue(const wchar_t* key, const std::wstring& value) {
    WritePrivateProfileStringW(L"shortcut", key, value.c_str(), (path_ + L"\\kxapp.ini").c_str());
}

static void WriteReadOnly(const std::wstring& path, const std::string& bytes) {
    nimbo_test::WriteFileText(path, bytes);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

void AppFolder::AddContent(int binFiles) {
    nimbo_test::WriteFileText(Program(), "MZ not really a program");
    nimbo_test::WriteFileText(path_ + L"\\readme.txt", "read me");
    WriteReadOnly(path_ + L"\\data.bin", "read-only data");
    const std::wstring bin = path_ + L"\\bin";
    CreateDirectoryW(bin.c_str(), nullptr);
    for (int i = 0; i < binFiles; ++i)
        nimbo_test::WriteFileText(bin + L"\\part" + std::to_wstring(i) + L".dll", "x");
    CreateDirectoryW((path_ + L"\\data").c_str(), nullptr);
    CreateDirectoryW((path_ + L"\\data\\nested").c_str(), nullptr);
    WriteReadOnly(path_ + L"\\data\\nested\\locked.cfg", "read-only setting");
}

void AppFolder::AddShortcuts(const std::wstring& desktopState, const std::wstring& startMenuState) {
    const std::wstring desktop = root_ / L"Desktop";
    CreateDirectoryW(desktop.c_str(), nullptr);
    desktopLink_ = desktop + L"\\" + appName_ + L".lnk";
    MakeShellLink(desktopLink_, Program());
    const std::wstring programs = root_ / L"Programs";
    CreateDirectoryW(programs.c_str(), nullptr);
    startMenuFolder_ = programs + L"\\" + appName_;
    CreateDirectoryW(startMenuFolder_.c_str(), nullptr);
    MakeShellLink(startMenuFolder_ + L"\\" + appName_ + L".lnk", Program());
    MakeShellLink(startMenuFolder_ + L"\\Uninstall.lnk", path_ + L"\\Uninstall.exe");
    SetValue(L"desktopshortcut", desktopState);
    SetValue(L"desktopshortcutname", desktopLink_);
    SetValue(L"startmenushortcut", startMenuState);
    SetValue(L"startmenushortcut_uninstall", L"1");
    SetValue(L"startmenushortcutpath", startMenuFolder_);
}

void AppFolder::AddCleanupScript() {
    // Writes the current folder, the interpreter's processor architecture and the programs
    // still in the folder.
    const std::string marker = "\"" + NimboNS::WideToAnsi(scriptMarker_) + "\"";
    nimbo_test::WriteFileText(path_ + L"\\ManualUninstall.cmd",
                              "@echo off\r\ncd >" + marker + "\r\necho %PROCESSOR_ARCHITECTURE% >>" + marker +
                                  "\r\ndir /b *.exe >>" + marker + "\r\n");
}

std::vector<std::string> AppFolder::ScriptOutput() const {
    std::vector<std::string> lines;
    std::istringstream text(nimbo_test::ReadFileText(scriptMarker_));
    for (std::string line; std::getline(text, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace sweeper_test
