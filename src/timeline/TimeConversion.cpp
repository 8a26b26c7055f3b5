#include "TimeConversion.h"

namespace {

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

} // namespace

bool IsValidSystemTime(const SYSTEMTIME& t)
{
    return t.wYear >= 1601 && t.wYear <= 30827 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1
        && t.wDay <= DaysInMonth(t.wYear, t.wMonth) && t.wHour <= 23 && t.wMinute <= 59 && t.wSecond <= 59
        && t.wMilliseconds <= 999;
}

#ifndef _WIN32

#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>

namespace {

const std::int64_t ticksPerSecond = 10000000;
const std::int64_t ticksPerDay = ticksPerSecond * 86400;
// Days from 1601-01-01 to 1970-01-01.
const std::int64_t daysTo1970 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date (400-year eras, years
// starting in March so the leap day comes last), valid for every year the
// file time range covers.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2));
}

std::uint64_t Ticks(const FILETIME& time)
{
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void SetTicks(FILETIME& time, std::uint64_t ticks)
{
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

// Seconds east of UTC in force now. A changed TZ takes effect at once (the
// tests switch zones); otherwise the offset is worked out again once a
// second, since tzset stats the zone file on every call and a page converts
// hundreds of times.
long CurrentUtcOffset()
{
    struct Cache {
        bool valid = false;
        std::string zone;
        std::time_t second = 0;
        long offset = 0;
    };
    thread_local Cache cache;
    const char* zone = std::getenv("TZ");
    const std::time_t now = std::time(nullptr);
    if (cache.valid && cache.second == now && cache.zone == (zone != nullptr ? zone : "\x01unset"))
        return cache.offset;
    // The C library guards its zone data with a lock of its own that the
    // thread sanitizer cannot see; one lock of ours keeps it quiet.
    static std::mutex zoneLock;
    std::tm local;
    {
        const std::lock_guard<std::mutex> hold(zoneLock);
        tzset();
        cache.offset = localtime_r(&now, &local) != nullptr ? local.tm_gmtoff : 0;
    }
    cache.zone = zone != nullptr ? zone : "\x01unset";
    cache.second = now;
    cache.valid = true;
    return cache.offset;
}

} // namespace

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime)
{
    if (systemTime == nullptr || fileTime == nullptr)
        return FALSE;
    const SYSTEMTIME& t = *systemTime;
    if (!IsValidSystemTime(t))
        return FALSE;
    const std::int64_t days = DaysFromCivil(t.wYear, t.wMonth, t.wDay) + daysTo1970;
    const std::int64_t seconds = days * 86400 + t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
    SetTicks(*fileTime, static_cast<std::uint64_t>(seconds * ticksPerSecond + t.wMilliseconds * 10000));
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime)
{
    if (fileTime == nullptr || localFileTime == nullptr)
        return FALSE;
    const std::uint64_t ticks = Ticks(*fileTime);
    if (ticks >= 0x8000000000000000ULL)
        return FALSE;
    const std::int64_t local = static_cast<std::int64_t>(ticks) + CurrentUtcOffset() * ticksPerSecond;
    if (local < 0)
        return FALSE;
    SetTicks(*localFileTime, static_cast<std::uint64_t>(local));
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime)
{
    if (fileTime == nullptr || systemTime == nullptr)
        return FALSE;
    const std::uint64_t ticks = Ticks(*fileTime);
    if (ticks >= 0x8000000000000000ULL)
        return FALSE;
    const std::int64_t days = static_cast<std::int64_t>(ticks / ticksPerDay);
    const std::int64_t inDay = static_cast<std::int64_t>(ticks % ticksPerDay);
    int year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days - daysTo1970, year, month, day);
    SYSTEMTIME& t = *systemTime;
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    // 1601-01-01 was a Monday.
    t.wDayOfWeek = static_cast<WORD>((days + 1) % 7);
    t.wHour = static_cast<WORD>(inDay / (ticksPerSecond * 3600));
    t.wMinute = static_cast<WORD>(inDay / (ticksPerSecond * 60) % 60);
    t.wSecond = static_cast<WORD>(inDay / ticksPerSecond % 60);
    t.wMilliseconds = static_cast<WORD>(inDay / 10000 % 1000);
    return TRUE;
}

#endif
