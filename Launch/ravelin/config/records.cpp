#include "records.h"

#include <cwchar>

namespace NimboNS {

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// A segment made of dots and blanks only resolves to "." or ".." once Windows strips trailing
// dots and blanks; only "." itself is harmless.
bool IsDotSegment(const std::wstring& segment) {
    if (segment.empty() || segment == L".") return false;
    return segment.find_first_not_of(L". ") == std::wstring::npos;
}

}  // namespace

bool IsSafeRelativePath(const std::wstring& relative) {
    if (relative.empty()) return true;
    if (IsSeparator(relative.front())) return false;
    for (wchar_t c : relative) {
        if (c < 0x20 || std::wcschr(L":*?\"<>|", c) != nullptr) return false;
    }
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = start;
        while (end < relative.size() && !IsSeparator(relative[end])) ++end;
        if (IsDotSegment(relative.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace NimboNS
