#include "TimeText.h"

#include <cstdio>
#include <ctime>

namespace site {

namespace {

std::tm UtcParts(long long unixSeconds)
{
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return tm;
}

}  // namespace

std::string FormatCreatedAt(long long unixSeconds)
{
    // Fixed English names: the client's parser knows no other, whatever the locale.
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm tm = UtcParts(unixSeconds);
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d +0000 %04d", days[tm.tm_wday], months[tm.tm_mon],
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_year + 1900);
    return text;
}

std::string FormatLogTime(long long unixSeconds)
{
    std::tm tm = UtcParts(unixSeconds);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

long long NowSeconds() { return static_cast<long long>(std::time(nullptr)); }

}  // namespace site
