#pragma once
// Times of deploylist.ini: "year-month-day hour:minute:second", taken as UTC.
namespace NimboNS {

// Seconds since 1970-01-01 00:00:00 UTC. A text without any number (blank) gives 0; a text that
// does not make a valid date gives -1.
long long ParseDeployTime(const wchar_t* text);

// The current UTC time in the same unit.
long long CurrentUtcSeconds();

}  // namespace NimboNS
