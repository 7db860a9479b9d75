#pragma once
// deploylist.ini: which versions of an app are online when, and the oldest version still allowed.
// A plain INI text that the launcher reads with the private-profile functions.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace NimboNS::publisher {

// Times are UTC, written "YYYY-MM-DD hh:mm:ss".
std::optional<std::int64_t> ParseUtcTime(const std::string& text);
std::string FormatUtcTime(std::int64_t seconds);
std::int64_t NowUtc();
// The OfflineTime of a version nobody withdrew.
inline constexpr char kNeverOffline[] = "9999-12-31 23:59:59";

// A version text: decimal parts separated by single dots ("1", "2.0.13").
bool IsVersionText(const std::string& text);
// The launcher's comparison: only the leading parts both texts have count.
int CompareVersions(const std::string& a, const std::string& b);

// Sections and keys of an INI text, in file order. Keys and section names compare without case,
// as the profile functions do.
class IniText {
public:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
    };
    // Takes UTF-8 (a byte-order mark is dropped) or UTF-16LE with its byte-order mark.
    static IniText Parse(const std::vector<std::uint8_t>& bytes);
    // ASCII/UTF-8 without a byte-order mark (the profile functions would take one for text of the
    // first line), or UTF-16LE with its mark when the text came that way.
    std::vector<std::uint8_t> Serialize() const;

    const Section* Find(const std::string& section) const;
    std::string Get(const std::string& section, const std::string& key) const;
    void Set(const std::string& section, const std::string& key, const std::string& value);
    const std::vector<Section>& sections() const { return sections_; }

private:
    Section* FindMutable(const std::string& section);
    std::vector<Section> sections_;
    bool utf16_ = false;
};

class DeployList {
public:
    struct Version {
        std::string name;
        std::string onlineTime;
        std::string offlineTime;
    };
    static DeployList Parse(const std::vector<std::uint8_t>& bytes) {
        return DeployList(IniText::Parse(bytes));
    }
    DeployList() = default;

    std::string MinimumValidVersion() const { return ini_.Get("Public", "MinimumValidVersion"); }
    void SetMinimumValidVersion(const std::string& version) {
        ini_.Set("Public", "MinimumValidVersion", version);
    }
    // Every section but "Public", in file order.
    std::vector<Version> Versions() const;
    std::optional<Version> Find(const std::string& version) const;
    // Adds the version or changes its times; other versions stay as they are.
    void SetVersion(const Version& version);
    void SetOnlineTime(const std::string& version, const std::string& time);
    void SetOfflineTime(const std::string& version, const std::string& time);
    std::vector<std::uint8_t> Serialize() const { return ini_.Serialize(); }

    // What the launcher would make of the list: problems that leave no version to install.
    std::vector<std::string> Check(std::int64_t now) const;

private:
    explicit DeployList(IniText ini) : ini_(std::move(ini)) {}
    IniText ini_;
};

}  // namespace NimboNS::publisher
