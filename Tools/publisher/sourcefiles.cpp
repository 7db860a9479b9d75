#include "sourcefiles.h"

#include <windows.h>

#include <algorithm>

#include "report.h"

namespace NimboNS::publisher {
namespace {

std::wstring Normalized(std::wstring s) {
    for (auto& c : s) {
        if (c == L'/') c = L'\\';
    }
    while (!s.empty() && s.back() == L'\\') s.pop_back();
    size_t lead = 0;
    while (lead < s.size() && s[lead] == L'\\') ++lead;
    if (s.compare(lead, 2, L".\\") == 0) lead += 2;
    return s.substr(lead);
}

wchar_t Fold(wchar_t c) {
    CharUpperBuffW(&c, 1);
    return c;
}

// Glob over [p, pe) and [s, se).
bool Glob(const wchar_t* p, const wchar_t* pe, const wchar_t* s, const wchar_t* se) {
    while (p < pe) {
        if (*p == L'*') {
            bool deep = p + 1 < pe && p[1] == L'*';
            const wchar_t* rest = p + (deep ? 2 : 1);
            // "**\" also matches no folder at all.
            if (deep && rest < pe && *rest == L'\\' && Glob(rest + 1, pe, s, se)) return true;
            for (const wchar_t* t = s;; ++t) {
                if (Glob(rest, pe, t, se)) return true;
                if (t == se || (!deep && *t == L'\\')) return false;
            }
        }
        if (s == se) return false;
        if (*p == L'?') {
            if (*s == L'\\') return false;
        } else if (Fold(*p) != Fold(*s)) {
            return false;
        }
        ++p;
        ++s;
    }
    return s == se;
}

bool GlobWhole(const std::wstring& pattern, const std::wstring& text) {
    return Glob(pattern.data(), pattern.data() + pattern.size(), text.data(), text.data() + text.size());
}

}  // namespace

std::wstring SourceFile::Folder() const {
    size_t slash = relative.rfind(L'\\');
    return slash == std::wstring::npos ? L"." : relative.substr(0, slash);
}

std::wstring SourceFile::Name() const {
    size_t slash = relative.rfind(L'\\');
    return slash == std::wstring::npos ? relative : relative.substr(slash + 1);
}

std::vector<SourceFile> ScanFolder(const fs::path& root) {
    std::error_code ec;
    if (!fs::is_directory(root, ec)) throw PublishError("not a folder: " + PathText(root));
    std::vector<SourceFile> files;
    auto options = fs::directory_options::follow_directory_symlink;
    for (fs::recursive_directory_iterator it(root, options, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        SourceFile f;
        f.full = it->path();
        f.relative = Normalized(fs::relative(it->path(), root, ec).native());
        f.size = it->file_size(ec);
        if (ec) break;
        files.push_back(std::move(f));
    }
    if (ec) throw PublishError("cannot list the folder " + PathText(root) + ": " + ec.message());
    std::sort(files.begin(), files.end(), [](const SourceFile& a, const SourceFile& b) {
        int c = CompareStringOrdinal(a.relative.c_str(), -1, b.relative.c_str(), -1, TRUE);
        return c == CSTR_EQUAL ? a.relative < b.relative : c == CSTR_LESS_THAN;
    });
    return files;
}

bool MatchesPattern(const std::wstring& rawPattern, const std::wstring& relative) {
    std::wstring pattern = Normalized(rawPattern);
    std::wstring path = Normalized(relative);
    if (pattern.empty()) return false;
    if (pattern.find(L'\\') == std::wstring::npos) {
        // A bare name: the file's name or any of its folders' names.
        size_t start = 0;
        for (;;) {
            size_t slash = path.find(L'\\', start);
            std::wstring part =
                path.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start);
            if (GlobWhole(pattern, part)) return true;
            if (slash == std::wstring::npos) return false;
            start = slash + 1;
        }
    }
    // A path pattern: the whole path or one of its folders.
    for (size_t end = path.size();;) {
        if (GlobWhole(pattern, path.substr(0, end))) return true;
        size_t slash = path.rfind(L'\\', end - 1);
        if (slash == std::wstring::npos || slash == 0) return false;
        end = slash;
    }
}

std::string PathProblem(const std::wstring& relative, size_t maxName, size_t maxFolder) {
    SourceFile f;
    f.relative = relative;
    if (f.Name().size() > maxName)
        return "its name is longer than " + std::to_string(maxName) + " characters";
    if (f.Folder().size() > maxFolder)
        return "its folder is longer than " + std::to_string(maxFolder) + " characters";
    for (wchar_t c : relative) {
        if (c == L'#' || c == L'?' || c == L'%') {
            return "it holds \"#\", \"?\" or \"%\", which the launcher would not escape in its address";
        }
        if (c < 32 || wcschr(L"<>:\"|*", c))
            return "it holds a character that Windows file names cannot hold";
    }
    size_t start = 0;
    for (;;) {
        size_t slash = relative.find(L'\\', start);
        std::wstring part =
            relative.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start);
        if (part.empty() || part == L"." || part == L".." || part.back() == L'.' || part.back() == L' ') {
            return "a part of it is empty or ends in a dot or a space, which Windows does not keep";
        }
        if (slash == std::wstring::npos) return {};
        start = slash + 1;
    }
}

bool MatchesAny(const std::vector<std::wstring>& patterns, const std::wstring& relative) {
    for (const auto& p : patterns)
        if (MatchesPattern(p, relative)) return true;
    return false;
}

}  // namespace NimboNS::publisher
