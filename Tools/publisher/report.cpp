#include "report.h"

#include <windows.h>

#include "scwconv.h"

namespace NimboNS::publisher {

void Problems::Report(IReporter& reporter, const char* what) {
    for (const auto& w : warnings) reporter.Warning(w);
    for (const auto& e : errors) reporter.Error(e);
    size_t count = errors.size();
    warnings.clear();
    errors.clear();
    if (count > 0) {
        throw PublishError(std::string(what) + ": " + std::to_string(count) +
                           (count == 1 ? " error" : " errors") + ", nothing was changed");
    }
}

std::string SystemErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) return "error " + std::to_string(code);
    return WideToUtf8(text) + " (" + std::to_string(code) + ")";
}

}  // namespace NimboNS::publisher
