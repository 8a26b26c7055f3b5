#ifndef LARKSPUR_TIMELINE_TIMELINEENTRY_H
#define LARKSPUR_TIMELINE_TIMELINEENTRY_H

#include "TimeConversion.h"

#include <cstdint>

// One status: a plain fixed-size record, copied as bytes. Every text field is
// NUL-terminated, in the system code page, cut to its width minus one byte.
struct TimelineEntry {
    char statusId[16];        // the identity of an entry
    char screenName[256];
    char displayName[256];    // as the page writes it, entities kept
    char iconUrl[256];
    char text[400];           // entities decoded, tags kept
    char createdAtText[256];  // as the page writes it
    SYSTEMTIME createdAt;     // local time
    FILETIME createdAtFileTime; // the same local time; the sort key
};

// The sort key as one unsigned 64-bit number (high half, then low half).
inline std::uint64_t SortKey(const FILETIME& time)
{
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// True when a is strictly newer than b; equal times are false both ways.
inline bool NewerFirst(const TimelineEntry& a, const TimelineEntry& b)
{
    return SortKey(a.createdAtFileTime) > SortKey(b.createdAtFileTime);
}

#endif
