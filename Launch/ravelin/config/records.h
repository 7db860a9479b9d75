#pragma once
// Values and records read from the app configuration document and the runtime manifest.
#include <string>

namespace NimboNS {

// "StartMode" of the app configuration document.
enum UpdateStrategy : int {
    Always = 0,   // update before every start
    Never = 1,    // keep the installed version (expiry and minimum checks only with IsVerOffCheck)
    Connect = 2,  // update when the server can be reached, else start the installed version
};

// What this run does to the app folder.
enum UpdateType : int {
    FirstDownLoad = 0,  // nothing installed yet
    SameVersion = 1,    // the installed version is complete or being completed
    AcrossVersion = 2,  // another version, or the same one republished
};

// One element of "PredownloadFiles" / "InstantDownloadFiles".
struct FileRecord {
    long long Size = 0;
    int Extractable = 0;
    wchar_t Name[256] = {};
    wchar_t Path[512] = {};
    wchar_t HashCode[22] = {};
};

// One file object of a runtime manifest module.
struct RuntimeFileRecord {
    long long Size = 0;
    int Extract = 0;
    wchar_t Name[256] = {};
    wchar_t Path[512] = {};
    wchar_t Action[256] = {};
    wchar_t HashCode[20] = {};
    wchar_t PackageName[60] = {};
};

// One element of "IniConfigFiles".
struct IniConfigFile {
    wchar_t FileName[260] = {};
    int UpdateType = 0;
};

// Copies `text` into a fixed record field; false (and the field left empty) when it does not fit
// with its terminator. Server texts are never cut, since a cut path names a different file.
template <size_t N>
bool CopyField(wchar_t (&field)[N], const std::wstring& text) {
    field[0] = L'\0';
    if (text.size() >= N) return false;
    text.copy(field, text.size());
    field[text.size()] = L'\0';
    return true;
}

// True when `relative` names something inside the folder it is joined to: no ".." or other
// all-dot segment, not rooted, no drive letter or stream (":"), no wildcard or control character.
// "." and the empty text (the folder itself) are accepted.
bool IsSafeRelativePath(const std::wstring& relative);

}  // namespace NimboNS
