#include <windows.h>

#include <cstdio>
#include <ctime>
#include <cwchar>

#include "cookie/cookie.h"

namespace NimboNS {

bool ParseCookieDate(const wchar_t* text, long long& seconds) {
    seconds = 0;
    if (text == nullptr) return false;
    wchar_t weekday[4] = {}, monthText[4] = {};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    swscanf(text, L"%3ls, %02d %3ls %04d %02d:%02d:%02d", weekday, &day, monthText, &year, &hour, &minute,
            &second);
    static const wchar_t* const months[] = {L"January",   L"February", L"March",    L"April",
                                            L"May",       L"June",     L"July",     L"August",
                                            L"September", L"October",  L"November", L"December"};
    int month = 0;
    for (int i = 0; i < 12 && month == 0; ++i) {
        if (_wcsnicmp(months[i], monthText, 3) == 0 && wcslen(monthText) == 3) month = i + 1;
    }
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    FILETIME fileTime;
    if (month == 0 || !SystemTimeToFileTime(&time, &fileTime)) return false;
    ULARGE_INTEGER ticks;
    ticks.LowPart = fileTime.dwLowDateTime;
    ticks.HighPart = fileTime.dwHighDateTime;
    seconds = (static_cast<long long>(ticks.QuadPart) - 116444736000000000LL) / 10000000LL;
    return true;
}

std::wstring FormatCookieDate(long long expiry) {
    __time64_t when = expiry;
    std::tm utc{};
    if (_gmtime64_s(&utc, &when) != 0) return {};
    wchar_t text[64] = {};
    if (wcsftime(text, 63, L"%a, %d %b %Y %H:%M:%S GMT", &utc) == 0) return {};
    return text;
}

}  // namespace NimboNS
