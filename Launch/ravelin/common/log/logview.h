#pragma once
// One log per update run: every record goes to a UTF-8 file in the "log" folder beside the
// host program; records that are not verbose are also kept for a read-only rich-edit pane.
#include <windows.h>

#include <cstdio>
#include <list>
#include <string>

#include "plog/Record.h"

namespace NimboNS {

struct LogEntry {
    plog::Severity severity;
    std::wstring line;
};

class CLogView : public plog::IAppender {
public:
    static constexpr size_t kMaxEntries = 300;
    static constexpr int kMaxPaneLineIndex = 300;

    CLogView();
    ~CLogView() override;
    CLogView(const CLogView&) = delete;
    CLogView& operator=(const CLogView&) = delete;

    void write(const plog::Record& record) override;
    virtual bool WriteToFile(const plog::Record& record);

    bool CreateView(HINSTANCE instance, HWND parent);
    void MoveView(const RECT& rect);
    int ShowView(int command);
    void RefreshView();
    bool IsViewValid() const;
    void CloseLogFile();

    HWND ViewWindow() const { return view_; }
    const std::wstring& FilePath() const { return filePath_; }
    size_t EntryCount();

    // The line a record becomes, line feed included.
    static std::wstring FormatRecord(const plog::Record& record);

private:
    bool AppendLine(const std::wstring& line);

    HWND view_ = nullptr;
    HMODULE richEdit_ = nullptr;
    std::list<LogEntry> entries_;
    CRITICAL_SECTION lock_;
    FILE* file_ = nullptr;
    std::wstring filePath_;
};

}  // namespace NimboNS
