#pragma once
// The registration history of one app: which component (by full path) was last registered with
// which hash code, so that an unchanged component is not registered again.
//
// File "<app folder>\<app name>.reghistory", always rewritten whole:
// - UTF-16LE with a byte-order mark, so every path comes back exactly as Windows names it
//   (a history without the mark, say one edited by hand, is read as UTF-8);
// - one line per component: the full path, ";", the hash code, CR LF;
// - a line is split at its last ";": a folder name may hold ";", a hash code (base64) never
//   does. Trailing blanks, CR and LF are dropped; lines over 2048 characters, lines without ";"
//   and lines with an empty path are ignored.
#include <map>
#include <string>

namespace NimboNS {

class CRegistrationHistory {
public:
    // Replaces the entries with those of `file`; false (and no entries) when it cannot be read.
    bool Load(const std::wstring& file);
    // Writes every entry to `file`, truncating it; false when it cannot be written. Entries that
    // would not read back as they are (a control character, or ";" in the hash code) are left
    // out, so that component is registered again next time.
    bool Save(const std::wstring& file) const;

    // The hash code recorded for `path`, or null.
    const std::wstring* Find(const std::wstring& path) const;
    void Set(const std::wstring& path, const std::wstring& hashCode) { entries_[path] = hashCode; }
    bool Empty() const { return entries_.empty(); }
    // full path -> hash code; paths compare exactly.
    const std::map<std::wstring, std::wstring>& Entries() const { return entries_; }

private:
    std::map<std::wstring, std::wstring> entries_;
};

}  // namespace NimboNS
