#pragma once
// The files of a folder to publish, and the patterns that pick some of them.
#include <cstdint>
#include <string>
#include <vector>

#include "fileio.h"

namespace NimboNS::publisher {

struct SourceFile {
    std::wstring relative;  // "\" between folders, as the launcher's records hold it
    fs::path full;
    std::uint64_t size = 0;

    // The record fields: the folder ("." for the top folder) and the name.
    std::wstring Folder() const;
    std::wstring Name() const;
};

// Every file below root (folders followed through), sorted by relative path without case.
std::vector<SourceFile> ScanFolder(const fs::path& root);

// Case-insensitive match of a pattern against a relative path ("/" and "\" alike). "*" and "?"
// stay within one folder, "**" crosses folders. A pattern without a separator matches a file name
// in any folder; a pattern that matches a folder matches everything below it.
bool MatchesPattern(const std::wstring& pattern, const std::wstring& relative);
// Why a relative path cannot be published (empty when it can): characters that a URL or Windows
// cannot carry, names or folders longer than the launcher's records hold.
std::string PathProblem(const std::wstring& relative, size_t maxName, size_t maxFolder);

bool MatchesAny(const std::vector<std::wstring>& patterns, const std::wstring& relative);

}  // namespace NimboNS::publisher
