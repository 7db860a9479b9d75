#include "resumerecord.h"

#include <windows.h>

#include <string>

namespace kxhttp {
namespace {

constexpr char kHeader[] = "kxhttpclient resume 1";

std::string ToUtf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// Values never hold line breaks; drop any so a record stays one key per line.
std::string OneLine(const std::wstring& value) {
    std::string text = ToUtf8(value);
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

}  // namespace

bool ReadResumeRecord(const std::wstring& path, ResumeRecord& record) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string text(16384, '\0');
    DWORD got = 0;
    BOOL ok = ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(file);
    if (!ok) return false;
    text.resize(got);
    if (text.rfind(kHeader, 0) != 0) return false;
    ResumeRecord read;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "url")
            read.url = FromUtf8(value);
        else if (key == "validator")
            read.validator = FromUtf8(value);
        else if (key == "length")
            read.length = value.empty() ? -1 : _strtoi64(value.c_str(), nullptr, 10);
    }
    record = read;
    return true;
}

bool WriteResumeRecord(const std::wstring& path, const ResumeRecord& record) {
    std::string text = std::string(kHeader) + "\r\nurl=" + OneLine(record.url) +
                       "\r\nvalidator=" + OneLine(record.validator) +
                       "\r\nlength=" + std::to_string(record.length) + "\r\n";
    std::wstring side = path + L".new";
    HANDLE file =
        CreateFileW(side.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != text.size() ||
        !MoveFileExW(side.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(side.c_str());
        return false;
    }
    return true;
}

}  // namespace kxhttp
