#pragma once
// The app configuration document: which published file goes in which list, the checks that keep a
// publication installable, and the document itself.
#include <cstdint>
#include <string>
#include <vector>

#include "description.h"
#include "sourcefiles.h"

namespace NimboNS::publisher {

// One element of "PredownloadFiles", "InstantDownloadFiles" or a "Packages" list.
struct FileRecord {
    std::uint64_t size = 0;
    bool extractable = false;
    std::string name;
    std::string path;  // "." for the app folder itself, "\" between folders
    std::string hashCode;
};

struct PlannedPackage {
    PackageEntry entry;
    std::vector<SourceFile> content;
    bool instant = false;
};

// What goes where: plain files (each published as <version>/<path>/<name>.zip) and packages.
struct AppPlan {
    std::vector<SourceFile> files;
    std::vector<bool> instant;  // per file: listed in InstantDownloadFiles
    std::vector<PlannedPackage> packages;
};

// Sorts the source files into the plan and checks everything the launcher relies on.
AppPlan PlanApp(const AppDescription& description, const std::vector<SourceFile>& scanned,
                Problems& problems);

struct AppLists {
    std::vector<FileRecord> predownload;
    std::vector<FileRecord> instant;
    std::vector<std::pair<std::string, std::vector<FileRecord>>> packages;  // package name → content
};

// The document text (UTF-8 JSON) of one publication.
std::string BuildAppConfig(const AppDescription& description, const std::string& updateGuid,
                           const AppLists& lists);

// The widths of the launcher's records (characters, without the terminator).
inline constexpr size_t kMaxRecordName = 255;
inline constexpr size_t kMaxRecordPath = 511;

}  // namespace NimboNS::publisher
