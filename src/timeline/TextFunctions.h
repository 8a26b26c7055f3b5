#ifndef LARKSPUR_TIMELINE_TEXTFUNCTIONS_H
#define LARKSPUR_TIMELINE_TEXTFUNCTIONS_H

#include "CString.h"
#include "TimelineEntry.h"

// Size of the buffer StripTags writes: at most 511 bytes and a NUL.
const int strippedTextSize = 512;

// Replaces &lt; &gt; &quot; &amp; in that order, each everywhere, never
// rescanning what a replacement produced: "&amp;quot;" becomes "&quot;".
void DecodeEntities(CString& text);

// Writes source without its markup into dest (strippedTextSize bytes or
// more): everything from a '<' up to the next '>' is dropped, a '>' outside a
// tag is kept, and the result is cut at 511 bytes.
void StripTags(const char* source, char* dest);

// Reads "Mon Jan 04 09:05:07 +0000 2010" (weekday, month, day, time, offset,
// year; the offset is ignored and the time read as UTC) into time, which is
// zeroed first and written as far as the text goes. 0 when the text has
// exactly six space-separated fields, -1 otherwise. Bytes from index 32 on
// never reach a field, and a first field that fills all 32 bytes of the
// token fails the parse. A number that is negative (a year is checked before
// the two-digit rule adds 2000) or does not fit 16 bits is stored as 0xFFFF,
// which makes the date invalid rather than wrapping into a real one.
int ParseCreatedAt(const char* text, SYSTEMTIME& time);

// Stores the UTC calendar time utc as local time in entry.createdAtFileTime
// and entry.createdAt (day of week filled in), with the offset in force now.
// A time that is not a valid date gets zero in both fields, so it sorts
// after every valid one; the result is then false.
bool SetLocalCreationTime(const SYSTEMTIME& utc, TimelineEntry& entry);

#endif
