#include "commandline.h"

namespace NimboNS {

bool BuildAppCommandLine(const std::wstring& startFile, const std::wstring& arguments,
                         const std::wstring& cookieFile, std::vector<wchar_t>& buffer) {
    buffer.clear();
    std::wstring line = startFile;
    if (!arguments.empty()) line += L" " + arguments;
    if (!cookieFile.empty()) line += L" -cookies " + cookieFile;
    const size_t capacity = arguments.size() + kCommandLineReserve;
    if (line.size() + 1 > capacity) return false;
    buffer.assign(capacity, L'\0');
    line.copy(buffer.data(), line.size());
    return true;
}

}  // namespace NimboNS
