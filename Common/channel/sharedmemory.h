#pragma once
// One channel of the command channel: a named 1024-byte file mapping backed by a file in the
// hidden "sharedfile" folder beside the program that creates it. The creator keeps its file and
// mapping handles; the other end opens the mapping by name for each access and closes it again.
#include <windows.h>

#include <string>

#include "nimbo/handle.h"

namespace SharedMemory {

// Numbers on the status channel (empty right after the client created it).
inline constexpr int kStatusResultReady = 1;   // server: the result number is in the data channel
inline constexpr int kStatusServerReady = 2;   // server: up, the data channel exists
inline constexpr int kStatusCommandReady = 3;  // client: a command text is in the data channel

class CSharedMemory {
public:
    static constexpr DWORD kViewBytes = 1024;
    // The text and its terminating zero must fit the view.
    static constexpr int kMaxTextLength = kViewBytes / sizeof(wchar_t) - 1;

    // Creates the backing file and a new mapping of that name, with all 1024 bytes zeroed.
    bool Create(const wchar_t* name);
    // Opening end: takes the name and opens the mapping by it; the handle stays until the next access.
    bool Open(const std::wstring& name);

    bool Write(const wchar_t* text, int length);
    bool WriteNumber(int value);
    // The length of the text read, 0 when nothing could be read or the text is empty, -1 when
    // the view cannot be mapped. `text` stays valid until the next Read.
    int Read(const wchar_t*& text, int& length);
    // The text read converted with _wtoi equals `value`; a failed read never matches.
    bool ReadsNumber(int value);

    // True once the mapping can no longer be found (the creating peer closed it or exited).
    bool IsDisconnected();
    void Close();
    // Deletes the backing file beside this program, retrying while it is still in use.
    bool DeleteBackingFile() const;

    std::wstring GetSharedFileFolder() const;
    std::wstring GetFilePath() const;
    const std::wstring& GetName() const { return name_; }
    bool IsCreator() const { return static_cast<bool>(file_); }

private:
    HANDLE BeginAccess();
    void EndAccess();

    NimboNS::FileHandle file_;
    NimboNS::Handle mapping_;
    std::wstring readBuffer_;
    std::wstring name_;
};

// Deletes `path` if it exists, retrying one millisecond apart: at least 1000 attempts spread
// over at least kDeleteRetryMs. False when the file is still there at the end.
inline constexpr ULONGLONG kDeleteRetryMs = 3000;
bool DeleteFileWithRetries(const std::wstring& path);

}  // namespace SharedMemory
