#include "logview.h"

#include <io.h>
#include <richedit.h>
#include <share.h>

#include <ctime>
#include <sstream>

#include "fs/fsutil.h"
#include "nimbo/names.h"
#include "scwconv.h"

namespace NimboNS {
namespace {

class Lock {
public:
    explicit Lock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Lock() { LeaveCriticalSection(&cs_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

std::wstring LogFolder() { return GetModuleFolder() + L"\\" + names::kLogFolder; }

}  // namespace

CLogView::CLogView() {
    InitializeCriticalSection(&lock_);
    std::wstring folder = LogFolder();
    if (_waccess(folder.c_str(), 0) != 0) CreateDirectoryW(folder.c_str(), nullptr);
    SYSTEMTIME now;
    GetLocalTime(&now);
    filePath_ = FormatWide(L"%s\\%04d%02d%02d%02d%02d%02d%03d.log", folder.c_str(), now.wYear, now.wMonth, now.wDay,
                           now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    file_ = _wfsopen(filePath_.c_str(), L"wb", _SH_DENYNO);
}

CLogView::~CLogView() {
    CloseLogFile();
    if (richEdit_ != nullptr) FreeLibrary(richEdit_);
    DeleteCriticalSection(&lock_);
}

std::wstring CLogView::FormatRecord(const plog::Record& record) {
    std::tm t{};
    const time_t seconds = static_cast<time_t>(record.getTime().time);
    localtime_s(&t, &seconds);
    wchar_t head[96];
    _snwprintf(head, 96, L"%04d-%02d-%02d %02d:%02d:%02d.%03d %-5S [%u] ", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
               t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(record.getTime().millitm),
               plog::severityToString(record.getSeverity()), record.getTid());
    head[95] = L'\0';
    std::wstring line(head);
    line += record.getMessage();
    line += L'\n';
    return line;
}

bool CLogView::AppendLine(const std::wstring& line) {
    if (file_ == nullptr) return false;
    std::string utf8 = WideToUtf8(line);
    size_t written = fwrite(utf8.data(), 1, utf8.size(), file_);
    fflush(file_);
    return written == utf8.size();
}

bool CLogView::WriteToFile(const plog::Record& record) { return AppendLine(FormatRecord(record)); }

void CLogView::write(const plog::Record& record) {
    Lock lock(lock_);
    AppendLine(FormatRecord(record));
    if (entries_.size() >= kMaxEntries) entries_.pop_front();
    LogEntry entry{record.getSeverity(), FormatRecord(record)};
    if (entry.severity != plog::verbose) entries_.push_back(std::move(entry));
}

size_t CLogView::EntryCount() {
    Lock lock(lock_);
    return entries_.size();
}

bool CLogView::CreateView(HINSTANCE instance, HWND parent) {
    if (richEdit_ != nullptr) return true;
    richEdit_ = LoadLibraryW(L"RICHED20.DLL");
    if (richEdit_ != nullptr) {
        const DWORD style = WS_CHILD | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                            ES_READONLY | ES_WANTRETURN | ES_DISABLENOSCROLL;
        view_ = CreateWindowExW(0, L"RICHEDIT20W", nullptr, style, 0, 0, 10, 10, parent, nullptr, instance, nullptr);
        if (view_ != nullptr) return true;
    }
    if (richEdit_ != nullptr) FreeLibrary(richEdit_);
    richEdit_ = nullptr;
    return false;
}

void CLogView::MoveView(const RECT& rect) {
    if (view_ != nullptr) MoveWindow(view_, rect.left, rect.top, rect.right, rect.bottom, FALSE);
}

int CLogView::ShowView(int command) { return view_ != nullptr ? ShowWindow(view_, command) : 0; }

bool CLogView::IsViewValid() const { return view_ != nullptr && IsWindow(view_); }

void CLogView::RefreshView() {
    if (!IsViewValid()) return;
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_BOLD;
    format.dwEffects = 0;
    format.yHeight = 180;
    wcscpy_s(format.szFaceName, LF_FACESIZE, L"MS Shell Dlg 2");
    SendMessageW(view_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    {
        Lock lock(lock_);
        for (const LogEntry& entry : entries_) {
            CHARRANGE caret{0, 0};
            SendMessageW(view_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
            SendMessageW(view_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(entry.line.c_str()));
            LONG first = static_cast<LONG>(SendMessageW(view_, EM_LINEINDEX, 0, 0));
            LONG length = static_cast<LONG>(SendMessageW(view_, EM_LINELENGTH, first, 0));
            CHARRANGE line{first, first + length};
            SendMessageW(view_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&line));
            const bool red = entry.severity == plog::fatal || entry.severity == plog::error;
            format.crTextColor = red ? RGB(255, 0, 0) : RGB(0, 0, 0);
            SendMessageW(view_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        }
    }
    int last = static_cast<int>(SendMessageW(view_, EM_GETLINECOUNT, 0, 0)) - 1;
    for (; last > kMaxPaneLineIndex; --last) {
        LONG start = static_cast<LONG>(SendMessageW(view_, EM_LINEINDEX, last, 0));
        LONG length = static_cast<LONG>(SendMessageW(view_, EM_LINELENGTH, start, 0));
        CHARRANGE range{start, start + length};
        SendMessageW(view_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        SendMessageW(view_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
}

void CLogView::CloseLogFile() {
    if (file_ != nullptr) {
        fclose(file_);
        file_ = nullptr;
    }
}

}  // namespace NimboNS
