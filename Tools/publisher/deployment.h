#pragma once
// The deployment folder on disk (the folder the web server serves at the base URL) and the
// safe way of changing it: everything new is written into a staging folder beside its target,
// then moved into place, so a failed publication leaves the deployment as it was.
#include <string>
#include <vector>

#include "fileio.h"
#include "nimbo/handle.h"

namespace NimboNS::publisher {

// Keeps other publishers away from one deployment while this one works. Creates the root when
// it is missing, and removes it again at the end when nothing was published into it.
class DeploymentLock {
public:
    explicit DeploymentLock(const fs::path& root);
    ~DeploymentLock();
    DeploymentLock(const DeploymentLock&) = delete;
    DeploymentLock& operator=(const DeploymentLock&) = delete;

private:
    fs::path root_;
    std::vector<fs::path> created_;
    FileHandle file_;
};

// A folder for new content. Its Replace operations put staged entries in place and keep what they
// replaced; unless Commit is called, the destructor puts everything back as it was.
class Staging {
public:
    // Creates parent (and what is missing above it) and a fresh staging folder inside it.
    explicit Staging(const fs::path& parent);
    ~Staging();
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const fs::path& name) const { return path_ / name; }

    // Puts the staged folder `name` in place of target (a folder), keeping `keep` (names of
    // entries of the old folder that the new one lacks) such as a runtime's x64 folder.
    void ReplaceFolder(const fs::path& name, const fs::path& target,
                       const std::vector<std::wstring>& keep = {});
    // Puts the staged file `name` in place of the file target.
    void ReplaceFile(const fs::path& name, const fs::path& target);
    // Keeps the replacements; the replaced content is removed with the staging folder.
    void Commit() { committed_ = true; }

    // Removes stale staging folders of interrupted publications below parent.
    static void Sweep(const fs::path& parent);

private:
    struct Replacement {
        fs::path target;
        fs::path previous;  // where the replaced entry waits; empty when there was none
        fs::path staged;
        std::vector<std::wstring> kept;  // entries moved from previous into target
    };
    void Undo(const Replacement& r) noexcept;

    fs::path path_;
    std::vector<fs::path> created_;  // folders made for the staging area, removed when left empty
    std::vector<Replacement> done_;
    bool committed_ = false;
};

// Paths of a deployment below its root.
struct DeploymentLayout {
    fs::path root;

    fs::path AppFolder(const std::string& appName) const;
    fs::path RuntimeFolder(const std::string& version, bool is64Bit) const;
    fs::path LauncherFolder() const;
    // A folder given relative to the root ("/" or "\\" between folders); throws PublishError for
    // one that would leave the root.
    fs::path Below(const std::string& relative) const;
};

}  // namespace NimboNS::publisher
