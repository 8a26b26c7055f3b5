#ifndef LARKSPUR_TIMELINE_TIMELINEREADER_H
#define LARKSPUR_TIMELINE_TIMELINEREADER_H

#include "TimelineEntry.h"

// The window side's view of the timeline. Each call answers from one whole
// published state (newest first, unique ids). On the store itself two calls
// may see different states when a scrape was published in between, so a
// caller that found an index with IndexOf checks the entry it gets back; a
// TimelineSnapshot answers every call from the same state. No call waits for
// a scrape beyond a pointer swap.
class TimelineReader {
public:
    virtual int GetCount() const = 0;
    // A copy of the entry at index; false (copy untouched) when out of range.
    virtual bool GetEntry(int index, TimelineEntry& copy) const = 0;
    // Index of the entry whose statusId equals statusId (whole string,
    // case-sensitive), -1 when there is none.
    virtual int IndexOf(const char* statusId) const = 0;

protected:
    ~TimelineReader() = default;
};

#endif
