#pragma once
// A minimal log record layer: severities, a record that captures its time and thread when it
// is made, and the appender interface. Logger objects and macros are deliberately absent:
// callers build a record and hand it to an appender.
#include <windows.h>

#include <sstream>
#include <string>

namespace plog {

enum Severity { none = 0, fatal = 1, error = 2, warning = 3, info = 4, debug = 5, verbose = 6 };

inline const char* severityToString(Severity severity) {
    switch (severity) {
        case fatal: return "FATAL";
        case error: return "ERROR";
        case warning: return "WARN";
        case info: return "INFO";
        case debug: return "DEBUG";
        case verbose: return "VERB";
        default: return "NONE";
    }
}

namespace util {
struct Time {
    long long time = 0;       // seconds since 1970 (UTC)
    unsigned short millitm = 0;
};
}  // namespace util

class Record {
public:
    Record(Severity severity, const char* func, size_t line)
        : severity_(severity), tid_(GetCurrentThreadId()), func_(func ? func : ""), line_(line) {
        FILETIME ft;
        GetSystemTimeAsFileTime(&ft);
        ULARGE_INTEGER t;
        t.LowPart = ft.dwLowDateTime;
        t.HighPart = ft.dwHighDateTime;
        const unsigned long long ms = t.QuadPart / 10000ULL - 11644473600000ULL;
        time_.time = static_cast<long long>(ms / 1000);
        time_.millitm = static_cast<unsigned short>(ms % 1000);
    }

    template <typename T>
    Record& operator<<(const T& value) {
        message_ << value;
        return *this;
    }
    Record& operator<<(const wchar_t* text) {
        message_ << (text ? text : L"(null)");
        return *this;
    }
    Record& operator<<(const char* text) {
        message_ << (text ? text : "(null)");
        return *this;
    }

    const util::Time& getTime() const { return time_; }
    Severity getSeverity() const { return severity_; }
    unsigned int getTid() const { return tid_; }
    const char* getFunc() const { return func_.c_str(); }
    size_t getLine() const { return line_; }
    std::wstring getMessage() const { return message_.str(); }
    std::wostringstream& stream() { return message_; }

private:
    util::Time time_;
    Severity severity_;
    unsigned int tid_;
    std::string func_;
    size_t line_;
    std::wostringstream message_;
};

class IAppender {
public:
    virtual ~IAppender() = default;
    virtual void write(const Record& record) = 0;
};

}  // namespace plog
