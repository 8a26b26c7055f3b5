#ifndef LARKSPUR_TIMELINE_TIMECONVERSION_H
#define LARKSPUR_TIMELINE_TIMECONVERSION_H

// The platform's calendar and file time types and the three conversions the
// timeline needs. On Windows they are the system's own; the native build
// (sanitizers, fuzzing, benchmarks) gets the same layout and the same
// validation rules from TimeConversion.cpp.

#ifdef _WIN32

#include <windows.h>

#else

#include <cstdint>

typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef int BOOL;

#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// 100-nanosecond intervals since 1601-01-01 00:00 UTC, low half first.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

// Fails (FALSE, nothing written) unless IsValidSystemTime.
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);

// Adds the offset from UTC in force now (from the TZ environment, daylight
// saving included), whatever date the file time holds. Fails when the result
// would leave the range of file times.
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime);

// Fills every field, day of week included (0 = Sunday). Fails for file times
// of 0x8000000000000000 and above.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);

#endif

// True when every field of time lies in its range: year 1601 to 30827, month
// 1 to 12, day within the month (Gregorian leap years), hour < 24, minute <
// 60, second < 60, milliseconds < 1000; the day of week is not looked at.
// Windows' SystemTimeToFileTime checks the same, but Wine lets 29 February of
// any year through, so callers that need one rule everywhere ask this first.
bool IsValidSystemTime(const SYSTEMTIME& time);

#endif
