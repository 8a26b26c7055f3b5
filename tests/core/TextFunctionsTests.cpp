#include "ScopedTimeZone.h"
#include "TextFunctions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

TEST(DecodeEntitiesTest, DecodesFourEntitiesOneLevelDeep)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"&quot;", "\""},
        {"&amp;quot;", "&quot;"},
        {"&amp;lt;b&amp;gt;", "&lt;b&gt;"},
        {"&amp;amp;", "&amp;"},
        {"&lt;a href=&quot;x&quot;&gt;", "<a href=\"x\">"},
        {"&#39; &nbsp; &apos;", "&#39; &nbsp; &apos;"},
        {"a &amp b", "a &amp b"},
        {"&&lt;;", "&<;"},
        {"\x82\xa0&amp;\x82\xa0", "\x82\xa0&\x82\xa0"},
        {"", ""},
    };
    for (const Case& c : cases) {
        CString text(c.text);
        DecodeEntities(text);
        EXPECT_STREQ(c.expected, text) << c.text;
    }
}

TEST(StripTagsTest, KeepsOnlyTheTextOutsideMarkup)
{
    struct Case {
        const char* source;
        const char* expected;
    };
    const Case cases[] = {
        {"<a href=\"http://x/\">@name</a> thanks", "@name thanks"},
        {"1 > 0", "1 > 0"},
        {"a <b>bold</b> and <i>more", "a bold and more"},
        {"before < after", "before "},
        {"<<nested>>x", ">x"},
        {"", ""},
    };
    char dest[strippedTextSize];
    for (const Case& c : cases) {
        std::memset(dest, 'z', sizeof dest);
        StripTags(c.source, dest);
        EXPECT_STREQ(c.expected, dest) << c.source;
    }
}

TEST(StripTagsTest, CutsTheResultAt511Bytes)
{
    const std::string source = "<b>" + std::string(700, 'a') + "</b>";
    char dest[strippedTextSize + 8];
    std::memset(dest, 'z', sizeof dest);
    StripTags(source.c_str(), dest);
    EXPECT_EQ(511u, std::strlen(dest));
    EXPECT_EQ('z', dest[strippedTextSize]);
}

struct TimeCase {
    const char* text;
    int result;
    WORD year, month, day, hour, minute, second;
};

TEST(ParseCreatedAtTest, ReadsSixFieldsAsUtc)
{
    const TimeCase cases[] = {
        {"Mon Jan 04 09:05:07 +0000 2010", 0, 2010, 1, 4, 9, 5, 7},
        {"Tue Dec 31 23:59:59 +0900 2013", 0, 2013, 12, 31, 23, 59, 59}, // the offset is ignored
        {"Mon JAN 04 09:05:07 +0000 2010", 0, 2010, 1, 4, 9, 5, 7},
        {"Mon jan 04 09:05:07 +0000 2010", 0, 2010, 1, 4, 9, 5, 7},
        {"Mon Jan 04 09:05:07 +0000 10", 0, 2010, 1, 4, 9, 5, 7},
        {"Mon Jan 04 09:05:07 +0000 1990", 0, 1990, 1, 4, 9, 5, 7},
        {"Mon Jan 04 09:05:07 +0000 1989", 0, 3989, 1, 4, 9, 5, 7},
        {"Mon Foo 04 09:05:07 +0000 2010", 0, 2010, 0, 4, 9, 5, 7},   // unknown month: 0
        {"Mon January 04 09:05:07 +0000 2010", 0, 2000, 0, 4, 9, 5, 7}, // the year runs past index 32
        {"Mon Jan 4 9 +0000 2010", 0, 2010, 1, 4, 9, 0, 0},
        {"Mon  Jan 04 09:05:07 +0000 2010", -1, 0, 0, 0, 4, 0, 0},    // seven fields shift everything
        {"Mon Jan 04 09:05:07 +0000", -1, 0, 1, 4, 9, 5, 7},          // five fields
        {"", -1, 0, 0, 0, 0, 0, 0},
        {"Mon Jan 04 09:05:07 +0000 2010 ", -1, 0, 1, 4, 9, 5, 7},
        // A number that is negative or does not fit 16 bits is stored as 0xFFFF,
        // which no field accepts, instead of wrapping into a real value.
        {"Mon Jan 65537 09:05:07 +0 2010", 0, 2010, 1, 0xFFFF, 9, 5, 7},
        {"Mon Jan 65535 09:05:07 +0 2010", 0, 2010, 1, 0xFFFF, 9, 5, 7},
        {"Mon Jan 65536 09:05:07 +0 2010", 0, 2010, 1, 0xFFFF, 9, 5, 7},
        {"Mon Jan -65535 09:05:07 +0 2010", 0, 2010, 1, 0xFFFF, 9, 5, 7},
        {"M Jan 4294967297 09:05:07 + 2010", 0, 2010, 1, 0xFFFF, 9, 5, 7},
        {"Mon Jan 04 65560:05:07 +0 2010", 0, 2010, 1, 4, 0xFFFF, 60, 5},
        {"Mon Jan 04 09:65541:07 +0 2010", 0, 2010, 1, 4, 9, 0xFFFF, 41},
        {"Mon Jan 04 09:05:-65529 +0 2010", 0, 2010, 1, 4, 9, 5, 0xFFFF},
        {"Mon Jan 04 09:05:07 +0000 67536", 0, 0xFFFF, 1, 4, 9, 5, 7},
        {"Mon Jan 04 09:05:07 +0000 63535", 0, 63535, 1, 4, 9, 5, 7},
        {"Mon Jan 04 09:05:07 +0000 -1", 0, 0xFFFF, 1, 4, 9, 5, 7},
        {"Mon Jan 04 09:05:07 +0000 -0", 0, 2000, 1, 4, 9, 5, 7},
        {"x Jan 4 09:05:07 + 4294969296", 0, 0xFFFF, 1, 4, 9, 5, 7},
    };
    for (const TimeCase& c : cases) {
        SYSTEMTIME time;
        std::memset(&time, 0xAB, sizeof time);
        EXPECT_EQ(c.result, ParseCreatedAt(c.text, time)) << c.text;
        EXPECT_EQ(c.year, time.wYear) << c.text;
        EXPECT_EQ(c.month, time.wMonth) << c.text;
        EXPECT_EQ(c.day, time.wDay) << c.text;
        EXPECT_EQ(c.hour, time.wHour) << c.text;
        EXPECT_EQ(c.minute, time.wMinute) << c.text;
        EXPECT_EQ(c.second, time.wSecond) << c.text;
        EXPECT_EQ(0, time.wDayOfWeek) << c.text;
        EXPECT_EQ(0, time.wMilliseconds) << c.text;
    }
}

TEST(ParseCreatedAtTest, ATokenThatFillsItsBufferFailsWithoutOverrunningIt)
{
    // Heap copies of exactly the text's length, so a read past the NUL or a
    // write past the token shows under the address sanitizer.
    const std::string texts[] = {
        std::string(32, 'x') + " Jan 04 09:05:07 +0000 2010",
        std::string(31, 'x') + "y Jan 04 09:05:07 +0000 2010",
        std::string(200, '9'),
        std::string(40, 'x'),
    };
    for (const std::string& text : texts) {
        char* copy = static_cast<char*>(std::malloc(text.size() + 1));
        ASSERT_NE(nullptr, copy);
        std::memcpy(copy, text.c_str(), text.size() + 1);
        SYSTEMTIME time;
        EXPECT_EQ(-1, ParseCreatedAt(copy, time)) << text;
        EXPECT_EQ(0, time.wYear) << text;
        std::free(copy);
    }
    // 31 bytes and a space still parse; the fields after index 32 are empty.
    SYSTEMTIME time;
    EXPECT_EQ(0, ParseCreatedAt((std::string(31, 'x') + " Jan 04 09 +0000 2010").c_str(), time));
    EXPECT_EQ(0, time.wMonth);
    EXPECT_EQ(2000, time.wYear);
}

TEST(ParseCreatedAtTest, ANumberOutOfItsFieldsRangeMakesTheDateInvalid)
{
    // Each of these becomes the real date in its comment when a number wraps
    // at 16 bits (or, for the last two, at 32 bits).
    const char* const texts[] = {
        "Mon Jan 65537 09:05:07 +0 2010",    // 1 January
        "Mon Jan -65535 09:05:07 +0 2010",   // 1 January
        "Mon Jan 04 65545:05:07 +0 2010",    // 09:45:05
        "Mon Jan 04 09:65541:07 +0 2010",    // 09:05:41
        "Mon Jan 04 09:05:65543 +0 2010",    // 09:05:07
        "Mon Jan 04 09:05:07 +0000 67536",   // 2000
        "Mon Jan 04 09:05:07 +0000 -65535",  // 2001
        "Mon Jan 04 09:05:07 +0000 -1",      // 1999
        "M Jan 4294967297 09:05:07 + 2010",  // 1 January
        "x Jan 4 09:05:07 + 4294969296",     // 2000
    };
    for (const char* text : texts) {
        SYSTEMTIME utc;
        EXPECT_EQ(0, ParseCreatedAt(text, utc)) << text;
        TimelineEntry entry;
        std::memset(&entry, 0x5A, sizeof entry);
        EXPECT_FALSE(SetLocalCreationTime(utc, entry)) << text;
        EXPECT_EQ(0u, SortKey(entry.createdAtFileTime)) << text;
    }
}

// Offset from UTC now, in hours, as the platform's own conversion applies it.
long long CurrentOffsetHours()
{
    const SYSTEMTIME utc = {2010, 1, 0, 4, 0, 0, 0, 0};
    FILETIME utcFile;
    FILETIME localFile;
    if (!SystemTimeToFileTime(&utc, &utcFile) || !FileTimeToLocalFileTime(&utcFile, &localFile))
        return -999;
    return static_cast<long long>(SortKey(localFile) - SortKey(utcFile)) / (36000000000LL);
}

struct LocalCase {
    SYSTEMTIME utc;
    SYSTEMTIME local;
};

void ExpectLocalTimes(const LocalCase* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const LocalCase& c = cases[i];
        TimelineEntry entry = {};
        EXPECT_TRUE(SetLocalCreationTime(c.utc, entry)) << "case " << i;
        EXPECT_EQ(0, std::memcmp(&c.local, &entry.createdAt, sizeof c.local))
            << "case " << i << ": " << entry.createdAt.wYear << "-" << entry.createdAt.wMonth << "-"
            << entry.createdAt.wDay << " " << entry.createdAt.wHour << " dow " << entry.createdAt.wDayOfWeek;
        FILETIME expected;
        ASSERT_TRUE(SystemTimeToFileTime(&c.local, &expected));
        EXPECT_EQ(SortKey(expected), SortKey(entry.createdAtFileTime)) << "case " << i;
    }
}

TEST(LocalCreationTimeTest, AppliesTheOffsetInForceAtPlusNine)
{
#ifndef _WIN32
    ScopedTimeZone zone("JST-9");
#endif
    if (CurrentOffsetHours() != 9)
        GTEST_SKIP() << "needs TZ=Asia/Tokyo";
    // Fields: year, month, day of week, day, hour, minute, second, ms.
    const LocalCase cases[] = {
        {{2010, 1, 0, 4, 9, 5, 7, 0}, {2010, 1, 1, 4, 18, 5, 7, 0}},
        {{2010, 1, 0, 31, 20, 0, 0, 0}, {2010, 2, 1, 1, 5, 0, 0, 0}},
        {{2012, 2, 0, 28, 23, 30, 0, 0}, {2012, 2, 3, 29, 8, 30, 0, 0}},
        {{2013, 12, 0, 31, 15, 0, 0, 0}, {2014, 1, 3, 1, 0, 0, 0, 0}},
    };
    ExpectLocalTimes(cases, sizeof cases / sizeof cases[0]);
}

#ifndef _WIN32
TEST(LocalCreationTimeTest, AppliesANegativeOffset)
{
    ScopedTimeZone zone("EST5");
    ASSERT_EQ(-5, CurrentOffsetHours());
    const LocalCase cases[] = {
        {{2010, 1, 0, 4, 3, 0, 0, 0}, {2010, 1, 0, 3, 22, 0, 0, 0}},
        {{2000, 3, 0, 1, 1, 0, 0, 0}, {2000, 2, 2, 29, 20, 0, 0, 0}},
    };
    ExpectLocalTimes(cases, sizeof cases / sizeof cases[0]);
}
#endif

TEST(LocalCreationTimeTest, AnInvalidDateGetsZeroTimes)
{
    const SYSTEMTIME invalid[] = {
        {2010, 0, 0, 4, 9, 5, 7, 0},   // unknown month
        {2010, 1, 0, 0, 9, 5, 7, 0},   // day 0
        {0, 1, 0, 4, 9, 5, 7, 0},      // failed parse
        {2010, 4, 0, 31, 9, 5, 7, 0},  // 31 April
        {2011, 2, 0, 29, 0, 0, 0, 0},  // not a leap year
        {2100, 2, 0, 29, 0, 0, 0, 0},  // not a leap year either
        {2010, 1, 0, 4, 24, 0, 0, 0},
        {2010, 1, 0, 4, 9, 60, 0, 0},
        {2010, 1, 0, 4, 9, 5, 60, 0},
        {1600, 12, 0, 31, 23, 0, 0, 0},
    };
    for (const SYSTEMTIME& utc : invalid) {
        TimelineEntry entry;
        std::memset(&entry, 0x5A, sizeof entry);
        EXPECT_FALSE(SetLocalCreationTime(utc, entry)) << utc.wYear << "-" << utc.wMonth << "-" << utc.wDay;
        EXPECT_EQ(0u, SortKey(entry.createdAtFileTime));
        const SYSTEMTIME zero = {};
        EXPECT_EQ(0, std::memcmp(&zero, &entry.createdAt, sizeof zero));
    }
    TimelineEntry leap = {};
    EXPECT_TRUE(SetLocalCreationTime({2000, 2, 0, 29, 12, 0, 0, 0}, leap));
    EXPECT_NE(0u, SortKey(leap.createdAtFileTime));
}

} // namespace
