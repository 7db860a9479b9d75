#include "link/progressfile.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "nimbo/handle.h"
#include "scwconv.h"

namespace NimboNS::installpanel {
namespace {

std::wstring DecodeText(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    }
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return Utf8ToWide(bytes.substr(3));
    return AnsiToWide(bytes.c_str());
}

std::wstring ValueOf(std::wstring line) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    size_t equals = line.find(L'=');
    std::wstring value = equals == std::wstring::npos ? line : line.substr(equals + 1);
    const size_t first = value.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    return value.substr(first, value.find_last_not_of(L" \t") - first + 1);
}

}  // namespace

bool ParseProgressBytes(const std::string& bytes, ProgressTexts& texts) {
    const std::wstring text = DecodeText(bytes);
    if (text.empty()) return false;
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= text.size() && lines.size() < 2) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    texts.progress = ValueOf(lines[0]);
    if (lines.size() > 1) texts.status = ValueOf(lines[1]);
    return true;
}

bool ReadProgressFile(const std::wstring& path, ProgressTexts& texts) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (bytes.size() < (1u << 20)) {
        if (!ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr)) return false;
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return ParseProgressBytes(bytes, texts);
}

ProgressStep CProgressTracker::Apply(const ProgressTexts& texts) {
    ProgressStep step;
    int percent = _wtoi(texts.progress.c_str());
    step.percent = percent > 100 ? 100 : (percent < 0 ? 0 : percent);
    step.setBar = step.percent > 0;
    if ((texts.progress == L"100" || step.percent > 99) && done_ == 0) {
        ++done_;
        step.complete = true;
    }
    step.failed = texts.status == L"-1";
    return step;
}

}  // namespace NimboNS::installpanel
