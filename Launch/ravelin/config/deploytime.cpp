#include "deploytime.h"

#include <windows.h>

#include <cstdio>

namespace NimboNS {

namespace {

constexpr long long kUnixEpochAsFileTime = 116444736000000000LL;

long long ToUnixSeconds(const SYSTEMTIME& time) {
    FILETIME fileTime;
    if (!SystemTimeToFileTime(&time, &fileTime)) return -1;
    ULARGE_INTEGER value;
    value.LowPart = fileTime.dwLowDateTime;
    value.HighPart = fileTime.dwHighDateTime;
    return (static_cast<long long>(value.QuadPart) - kUnixEpochAsFileTime) / 10000000LL;
}

}  // namespace

long long ParseDeployTime(const wchar_t* text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (swscanf(text, L"%d-%d-%d %d:%d:%d", &year, &month, &day, &hour, &minute, &second) == EOF) return 0;
    auto word = [](int n) { return n < 0 || n > 0xFFFF ? WORD(0xFFFF) : static_cast<WORD>(n); };
    SYSTEMTIME time{};
    time.wYear = word(year);
    time.wMonth = word(month);
    time.wDay = word(day);
    time.wHour = word(hour);
    time.wMinute = word(minute);
    time.wSecond = word(second);
    return ToUnixSeconds(time);
}

long long CurrentUtcSeconds() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return ToUnixSeconds(now);
}

}  // namespace NimboNS
