#include "deploylist.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "scwconv.h"

namespace NimboNS::publisher {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool SameText(const std::string& a, const std::string& b) {
    return CompareStringOrdinal(Utf8ToWide(a).c_str(), -1, Utf8ToWide(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Reads one group of digits; returns false when there is none.
bool Number(const std::string& s, size_t& at, int& value, size_t maxDigits) {
    size_t start = at;
    value = 0;
    while (at < s.size() && s[at] >= '0' && s[at] <= '9' && at - start < maxDigits)
        value = value * 10 + (s[at++] - '0');
    return at > start;
}

}  // namespace

std::optional<std::int64_t> ParseUtcTime(const std::string& raw) {
    std::string s = Trim(raw);
    int v[6];
    const char separators[] = "-- ::";
    size_t at = 0;
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            if (at >= s.size() || s[at] != separators[i - 1]) return std::nullopt;
            ++at;
        }
        if (!Number(s, at, v[i], i == 0 ? 5 : 2)) return std::nullopt;
    }
    if (at != s.size()) return std::nullopt;
    // SYSTEMTIME's range, which the launcher converts the text through.
    if (v[0] < 1601 || v[0] > 30827 || v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > DaysInMonth(v[0], v[1]) ||
        v[3] > 23 || v[4] > 59 || v[5] > 59) {
        return std::nullopt;
    }
    return DaysFromCivil(v[0], v[1], v[2]) * 86400 + v[3] * 3600 + v[4] * 60 + v[5];
}

std::string FormatUtcTime(std::int64_t seconds) {
    std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    std::int64_t rest = seconds - days * 86400;
    // Civil date from days (inverse of DaysFromCivil).
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02d:%02d:%02d", static_cast<long long>(y), m, d,
                  static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                  static_cast<int>(rest % 60));
    return text;
}

std::int64_t NowUtc() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    std::int64_t t = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (t - 116444736000000000LL) / 10000000;
}

bool IsVersionText(const std::string& text) {
    if (text.empty() || text.size() > 64 || text.front() == '.' || text.back() == '.') return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.') {
            if (text[i + 1] == '.') return false;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

int CompareVersions(const std::string& a, const std::string& b) {
    auto parts = [](const std::string& s) {
        std::vector<long> out;
        size_t start = 0;
        while (start <= s.size()) {
            size_t dot = s.find('.', start);
            if (dot == std::string::npos) dot = s.size();
            if (dot > start) out.push_back(std::atol(s.substr(start, dot - start).c_str()));
            start = dot + 1;
        }
        return out;
    };
    auto pa = parts(a), pb = parts(b);
    for (size_t i = 0; i < pa.size() && i < pb.size(); ++i) {
        if (pa[i] != pb[i]) return pa[i] > pb[i] ? 1 : -1;
    }
    return 0;
}

IniText IniText::Parse(const std::vector<std::uint8_t>& bytes) {
    IniText ini;
    std::string text;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        ini.utf16_ = true;
        std::wstring wide((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < wide.size(); ++i)
            wide[i] = static_cast<wchar_t>(bytes[2 + 2 * i] | bytes[3 + 2 * i] << 8);
        text = WideToUtf8(wide);
    } else {
        text.assign(bytes.begin(), bytes.end());
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    }
    Section* current = nullptr;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line = Trim(line.substr(0, line.size() - 1));
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            std::string name =
                Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            current = ini.FindMutable(name);
            if (!current) {
                ini.sections_.push_back({name, {}});
                current = &ini.sections_.back();
            }
            continue;
        }
        if (!current) continue;  // the profile functions ignore lines before the first section
        size_t eq = line.find('=');
        std::string key = Trim(line.substr(0, eq));
        std::string value = eq == std::string::npos ? std::string() : Trim(line.substr(eq + 1));
        bool known = false;
        for (auto& kv : current->values) {
            if (SameText(kv.first, key)) known = true;  // the first of duplicate keys wins
        }
        if (!known) current->values.emplace_back(key, value);
    }
    return ini;
}

std::vector<std::uint8_t> IniText::Serialize() const {
    std::string text;
    for (const auto& section : sections_) {
        if (!text.empty()) text += "\r\n";
        text += "[" + section.name + "]\r\n";
        for (const auto& [key, value] : section.values) text += key + "=" + value + "\r\n";
    }
    if (!utf16_) return std::vector<std::uint8_t>(text.begin(), text.end());
    std::wstring wide = Utf8ToWide(text);
    std::vector<std::uint8_t> out = {0xFF, 0xFE};
    for (wchar_t c : wide) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

const IniText::Section* IniText::Find(const std::string& section) const {
    for (const auto& s : sections_)
        if (SameText(s.name, section)) return &s;
    return nullptr;
}

IniText::Section* IniText::FindMutable(const std::string& section) {
    return const_cast<Section*>(static_cast<const IniText*>(this)->Find(section));
}

std::string IniText::Get(const std::string& section, const std::string& key) const {
    if (const Section* s = Find(section)) {
        for (const auto& [k, v] : s->values)
            if (SameText(k, key)) return v;
    }
    return {};
}

void IniText::Set(const std::string& section, const std::string& key, const std::string& value) {
    Section* s = FindMutable(section);
    if (!s) {
        // "Public" goes first so that the list reads top-down; versions follow in publishing order.
        if (SameText(section, "Public")) {
            sections_.insert(sections_.begin(), {section, {}});
            s = &sections_.front();
        } else {
            sections_.push_back({section, {}});
            s = &sections_.back();
        }
    }
    for (auto& [k, v] : s->values) {
        if (SameText(k, key)) {
            v = value;
            return;
        }
    }
    s->values.emplace_back(key, value);
}

std::vector<DeployList::Version> DeployList::Versions() const {
    std::vector<Version> out;
    for (const auto& s : ini_.sections()) {
        if (SameText(s.name, "Public")) continue;
        out.push_back({s.name, ini_.Get(s.name, "OnlineTime"), ini_.Get(s.name, "OfflineTime")});
    }
    return out;
}

std::optional<DeployList::Version> DeployList::Find(const std::string& version) const {
    for (auto& v : Versions())
        if (v.name == version) return v;
    return std::nullopt;
}

void DeployList::SetVersion(const Version& v) {
    SetOnlineTime(v.name, v.onlineTime);
    SetOfflineTime(v.name, v.offlineTime);
}

void DeployList::SetOnlineTime(const std::string& version, const std::string& time) {
    ini_.Set(version, "OnlineTime", time);
}

void DeployList::SetOfflineTime(const std::string& version, const std::string& time) {
    ini_.Set(version, "OfflineTime", time);
}

std::vector<std::string> DeployList::Check(std::int64_t now) const {
    std::vector<std::string> notes;
    std::string minimum = MinimumValidVersion();
    if (minimum.empty())
        notes.push_back("[Public] MinimumValidVersion is missing: the launcher rejects the list");
    bool anyOnline = false, anyListed = false;
    std::string latest;
    for (const auto& v : Versions()) {
        if (v.onlineTime.empty() || v.offlineTime.empty()) {
            notes.push_back("version " + v.name +
                            " lacks OnlineTime or OfflineTime: the launcher ignores it");
            continue;
        }
        anyListed = true;
        auto on = ParseUtcTime(v.onlineTime), off = ParseUtcTime(v.offlineTime);
        if (!off)
            notes.push_back("version " + v.name + " has an OfflineTime that is not a time: never online");
        if (!on)
            notes.push_back("version " + v.name +
                            " has an OnlineTime that is not a time: online since always");
        std::int64_t onAt = on ? *on : 0;
        if (off && onAt <= now && now < *off) {
            anyOnline = true;
            if (latest.empty() || CompareVersions(v.name, latest) > 0) latest = v.name;
        }
    }
    if (!anyListed) notes.push_back("no version is listed: the launcher rejects the list");
    if (anyListed && !anyOnline) notes.push_back("no version is online now");
    if (!latest.empty() && !minimum.empty() && CompareVersions(latest, minimum) < 0) {
        notes.push_back("the newest version online now (" + latest + ") is older than MinimumValidVersion (" +
                        minimum + "): the launcher cannot install the app");
    }
    return notes;
}

}  // namespace NimboNS::publisher
