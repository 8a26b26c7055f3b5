#ifndef LARKSPUR_SITE_TIMETEXT_H
#define LARKSPUR_SITE_TIMETEXT_H

#include <string>

namespace site {

// "Mon Jan 04 09:05:07 +0000 2010": the creation time of a status block, UTC,
// English names, two-digit day.
std::string FormatCreatedAt(long long unixSeconds);

// "2010-01-04T09:05:07Z", for the request log.
std::string FormatLogTime(long long unixSeconds);

long long NowSeconds();

}  // namespace site

#endif
