// The native stand-ins for the platform's time conversions, checked against
// the C library's own calendar arithmetic. On Windows the platform's calls
// are used and there is nothing of ours to check.
#ifndef _WIN32

#include "ScopedTimeZone.h"
#include "TimeConversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <random>

namespace {

// 100-nanosecond ticks from 1601-01-01 to 1970-01-01.
const std::uint64_t unixEpochTicks = 116444736000000000ULL;

std::uint64_t Ticks(const FILETIME& time)
{
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

TEST(TimeConversionTest, RoundTripsAgainstTheCLibrary)
{
    std::mt19937_64 random(1601);
    for (int round = 0; round < 20000; ++round) {
        // Any second from 1601 to 9999.
        const std::int64_t seconds = static_cast<std::int64_t>(random() % 265046774400ULL) - 11644473600LL;
        const std::time_t unixTime = static_cast<std::time_t>(seconds);
        std::tm expected;
        ASSERT_NE(nullptr, gmtime_r(&unixTime, &expected));

        const SYSTEMTIME calendar = {static_cast<WORD>(expected.tm_year + 1900), static_cast<WORD>(expected.tm_mon + 1),
                                     0, static_cast<WORD>(expected.tm_mday), static_cast<WORD>(expected.tm_hour),
                                     static_cast<WORD>(expected.tm_min), static_cast<WORD>(expected.tm_sec), 250};
        FILETIME file;
        ASSERT_TRUE(SystemTimeToFileTime(&calendar, &file)) << seconds;
        ASSERT_EQ(static_cast<std::uint64_t>(seconds * 10000000 + 2500000) + unixEpochTicks, Ticks(file)) << seconds;

        SYSTEMTIME back;
        ASSERT_TRUE(FileTimeToSystemTime(&file, &back));
        EXPECT_EQ(calendar.wYear, back.wYear);
        EXPECT_EQ(calendar.wMonth, back.wMonth);
        EXPECT_EQ(calendar.wDay, back.wDay);
        EXPECT_EQ(calendar.wHour, back.wHour);
        EXPECT_EQ(calendar.wMinute, back.wMinute);
        EXPECT_EQ(calendar.wSecond, back.wSecond);
        EXPECT_EQ(250, back.wMilliseconds);
        ASSERT_EQ(expected.tm_wday, back.wDayOfWeek) << seconds;
    }
}

TEST(TimeConversionTest, RejectsWhatThePlatformRejects)
{
    const FILETIME tooLarge = {0, 0x80000000u};
    SYSTEMTIME time;
    EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &time));
    const FILETIME largest = {0xFFFFFFFFu, 0x7FFFFFFFu};
    ASSERT_TRUE(FileTimeToSystemTime(&largest, &time));
    EXPECT_EQ(30828, time.wYear);

    const SYSTEMTIME first = {1601, 1, 0, 1, 0, 0, 0, 0};
    FILETIME file = {1, 1};
    ASSERT_TRUE(SystemTimeToFileTime(&first, &file));
    EXPECT_EQ(0u, Ticks(file));
    const SYSTEMTIME milliseconds = {2010, 1, 0, 1, 0, 0, 0, 1000};
    EXPECT_FALSE(SystemTimeToFileTime(&milliseconds, &file));

    // The earliest time cannot move west of UTC.
    const ScopedTimeZone zone("EST5");
    const FILETIME zero = {0, 0};
    FILETIME local;
    EXPECT_FALSE(FileTimeToLocalFileTime(&zero, &local));
}

} // namespace

#endif
