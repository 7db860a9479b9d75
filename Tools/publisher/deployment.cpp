#include "deployment.h"

#include <windows.h>

#include "crypto.h"
#include "nimbo/names.h"
#include "report.h"
#include "scwconv.h"

namespace NimboNS::publisher {
namespace {

constexpr wchar_t kLockName[] = L".nimbo-publish.lock";
constexpr wchar_t kStagingPrefix[] = L".nimbo-staging-";

void Move(const fs::path& from, const fs::path& to, DWORD flags = 0) {
    if (!MoveFileExW(from.c_str(), to.c_str(), flags)) {
        DWORD code = GetLastError();
        throw PublishError("cannot move " + PathText(from) + " to " + PathText(to) + ": " +
                           SystemErrorText(code));
    }
}

bool Exists(const fs::path& p) {
    return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Creates path and its missing parents; returns the folders it made, outermost first.
std::vector<fs::path> MakeFolders(const fs::path& path) {
    std::vector<fs::path> missing;
    for (fs::path p = path; !p.empty() && !Exists(p); p = p.parent_path()) {
        missing.insert(missing.begin(), p);
        if (p == p.parent_path()) break;
    }
    CreateFolders(path);
    return missing;
}

// Removes folders that MakeFolders made, innermost first, as far as they are empty.
void RemoveCreated(const std::vector<fs::path>& created) noexcept {
    for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryW(it->c_str());
}

}  // namespace

DeploymentLock::DeploymentLock(const fs::path& root) : root_(root), created_(MakeFolders(root)) {
    fs::path lock = root / kLockName;
    file_.reset(CreateFileW(lock.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file_) {
        DWORD code = GetLastError();
        RemoveCreated(created_);
        if (code == ERROR_SHARING_VIOLATION) {
            throw PublishError("another publication is writing to " + PathText(root) +
                               "; try again when it ends");
        }
        throw PublishError("cannot lock " + PathText(root) + ": " + SystemErrorText(code));
    }
}

DeploymentLock::~DeploymentLock() {
    file_.reset();
    RemoveCreated(created_);
}

Staging::Staging(const fs::path& parent) {
    created_ = MakeFolders(parent);
    std::string guid = NewGuid();
    path_ = parent / (std::wstring(kStagingPrefix) + Utf8ToWide(guid.substr(1, 8)));
    try {
        CreateFolders(path_);
    } catch (...) {
        RemoveCreated(created_);
        throw;
    }
}

Staging::~Staging() {
    if (!committed_) {
        for (auto it = done_.rbegin(); it != done_.rend(); ++it) Undo(*it);
    }
    RemoveTree(path_);
    RemoveCreated(created_);
}

void Staging::Undo(const Replacement& r) noexcept {
    for (const auto& entry : r.kept) MoveFileExW((r.target / entry).c_str(), (r.previous / entry).c_str(), 0);
    MoveFileExW(r.target.c_str(), r.staged.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!r.previous.empty()) MoveFileExW(r.previous.c_str(), r.target.c_str(), 0);
}

void Staging::ReplaceFolder(const fs::path& name, const fs::path& target,
                            const std::vector<std::wstring>& keep) {
    Replacement r{target, {}, path_ / name, {}};
    if (Exists(target)) {
        r.previous = path_ / (L".previous-" + name.native());
        Move(target, r.previous);
    }
    try {
        Move(r.staged, target);
    } catch (...) {
        if (!r.previous.empty()) MoveFileExW(r.previous.c_str(), target.c_str(), 0);
        throw;
    }
    done_.push_back(r);
    if (r.previous.empty()) return;
    for (const auto& entry : keep) {
        if (!Exists(r.previous / entry) || Exists(target / entry)) continue;
        Move(r.previous / entry, target / entry);  // a failure is undone with the rest
        done_.back().kept.push_back(entry);
    }
}

void Staging::ReplaceFile(const fs::path& name, const fs::path& target) {
    ReplaceFolder(name, target);
}

void Staging::Sweep(const fs::path& parent) {
    std::error_code ec;
    if (!fs::is_directory(parent, ec)) return;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        const std::wstring name = it->path().filename().wstring();
        if (name.compare(0, std::size(kStagingPrefix) - 1, kStagingPrefix) == 0) RemoveTree(it->path());
    }
}

fs::path DeploymentLayout::AppFolder(const std::string& appName) const {
    return root / Utf8ToWide(appName);
}

fs::path DeploymentLayout::RuntimeFolder(const std::string& version, bool is64Bit) const {
    fs::path folder = root / fs::path(names::kServerRuntimeFolder).make_preferred() / Utf8ToWide(version);
    return is64Bit ? folder / names::kRuntimeX64Folder : folder;
}

fs::path DeploymentLayout::LauncherFolder() const {
    return root / fs::path(names::kServerLauncherFolder).make_preferred();
}

}  // namespace NimboNS::publisher

namespace NimboNS::publisher {

fs::path DeploymentLayout::Below(const std::string& relative) const {
    fs::path rel = fs::path(Utf8ToWide(relative)).make_preferred().lexically_normal();
    if (rel.empty() || rel.is_absolute() || rel.has_root_name() || rel.has_root_directory() ||
        *rel.begin() == L".." || rel == L".") {
        throw PublishError("\"" + relative + "\" is not a folder below the deployment");
    }
    return root / rel;
}

}  // namespace NimboNS::publisher
