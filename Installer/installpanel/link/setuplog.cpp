#include "link/setuplog.h"

#include <shlobj.h>

#include <cstdarg>

#include "nimbo/handle.h"
#include "scwconv.h"

namespace NimboNS::installpanel {
namespace {

const wchar_t* TypeName(int type) {
    switch (type) {
        case kLogWarning:
            return L"Warning";
        case kLogError:
            return L"Error";
        default:
            return L"Info";
    }
}

}  // namespace

bool CreateFolderTree(const std::wstring& folder) {
    if (folder.empty()) return false;
    size_t pos = 0;
    // Skip the root: "C:\" or "\\server\share\".
    if (folder.rfind(L"\\\\", 0) == 0) {
        pos = folder.find(L'\\', 2);
        if (pos != std::wstring::npos) pos = folder.find(L'\\', pos + 1);
    } else if (folder.size() >= 2 && folder[1] == L':') {
        pos = 2;
    }
    while (pos != std::wstring::npos) {
        pos = folder.find(L'\\', pos + 1);
        std::wstring level = folder.substr(0, pos);
        if (level.empty() || level.back() == L'\\' || level.back() == L':') continue;
        if (!CreateDirectoryW(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring DefaultSetupLogPath() {
    wchar_t appData[MAX_PATH] = {};
    std::wstring folder;
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData))) {
        folder = FormatWide(L"%s\\%s\\", appData, L"Quillmark\\quillmarkinstalllog_V2");
        CreateFolderTree(folder.substr(0, folder.size() - 1));
    } else {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        folder = temp;
        if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    }
    return folder + L"installpanel.log";
}

CSetupLog::CSetupLog(std::wstring path, OpenFailureFn onOpenFailure)
    : path_(std::move(path)), onOpenFailure_(std::move(onOpenFailure)) {}

void CSetupLog::SetPath(std::wstring path) {
    std::lock_guard<std::mutex> guard(lock_);
    path_ = std::move(path);
}

std::wstring CSetupLog::Path() const {
    std::lock_guard<std::mutex> guard(lock_);
    return path_;
}

void CSetupLog::WriteLogLine(const std::wstring& text, int type) {
    std::lock_guard<std::mutex> guard(lock_);
    if (path_.empty()) path_ = DefaultSetupLogPath();
    std::wstring entry;
    if (firstEntry_) {
        entry = L"\r\n\r\n" + std::wstring(124, L'-') + L"\r\n";
    } else {
        entry = L"\r\n";
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    entry += FormatWide(L"%4d-%02d-%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour,
                        now.wMinute, now.wSecond);
    entry += L"\t";
    entry += FormatWide(L"[ %s ]", TypeName(type));
    entry += L" \t";
    entry += text;
    const bool wasFirst = firstEntry_;
    firstEntry_ = false;
    if (!Append(entry) && wasFirst) {
        std::wstring message = FormatWide(L"Failed to open the log file: %s", path_.c_str());
        if (onOpenFailure_) {
            onOpenFailure_(message);
        } else {
            MessageBoxW(nullptr, message.c_str(), L"Error", MB_OK | MB_ICONERROR);
        }
    }
}

bool CSetupLog::Append(const std::wstring& entry) {
    // Appending access only: every write lands at the end, also when other processes write too.
    FileHandle file(CreateFileW(path_.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    std::wstring bytes;
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart == 0) bytes = L"\xFEFF";
    bytes += entry;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size() * sizeof(wchar_t)), &written,
              nullptr);
    return true;
}

CSetupLog& SetupLog() {
    static CSetupLog log;
    return log;
}

void WriteLogLine(const std::wstring& text, int type) {
    SetupLog().WriteLogLine(text, type);
}

void LogFormat(int type, const wchar_t* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    std::wstring text = FormatWideV(pattern, args);
    va_end(args);
    WriteLogLine(text, type);
}

std::wstring SystemErrorText(DWORD code) {
    wchar_t buffer[1024] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  0, buffer, 1024, nullptr);
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    return text;
}

void LogSystemError(const std::wstring& text, DWORD code) {
    WriteLogLine(text + SystemErrorText(code), kLogError);
}

}  // namespace NimboNS::installpanel
