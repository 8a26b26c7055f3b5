#ifndef LARKSPUR_TIMELINE_PACKEDENTRY_H
#define LARKSPUR_TIMELINE_PACKEDENTRY_H

#include "TimelineEntry.h"

#include <cstddef>

// A TimelineEntry in the bytes it really holds. Each text field is kept as a
// length and its bytes up to the last nonzero one, the calendar time as eight
// small numbers; the zero padding is left out and given back on unpacking.
// Whatever a field holds after its NUL is kept too, so every entry comes back
// byte for byte, while a typical status packs into an eighth of its record.
// The file time is not packed: the store keeps it beside the record as the
// sort key and hands it back to UnpackEntry.

// The most bytes PackEntry writes (every field full).
const std::size_t maxPackedEntrySize = 6 * 2 + 1440 + 8 * 3;

// Writes entry, all but its file time, to out, which has room for
// maxPackedEntrySize bytes; returns the bytes written. The statusId comes
// first, so that PackedStatusId finds it without decoding the rest.
std::size_t PackEntry(const TimelineEntry& entry, unsigned char* out);

// Sets every byte of entry from packed bytes and the file time kept beside
// them.
void UnpackEntry(const unsigned char* packed, const FILETIME& createdAtFileTime, TimelineEntry& entry);

// The packed statusId as a string: its bytes up to the first NUL or its
// sixteenth byte, whichever comes first; length receives their count.
const char* PackedStatusId(const unsigned char* packed, std::size_t& length);

#endif
