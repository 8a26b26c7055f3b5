#ifndef LARKSPUR_TIMELINE_ENTRYSLOTS_H
#define LARKSPUR_TIMELINE_ENTRYSLOTS_H

#include "TimelineEntry.h"

#include <atomic>
#include <cstdint>

// Every entry the store ever accepted, each at a fixed slot number, in
// chunks that never move: chunk k holds 256 << k entries, so a slot's
// address is found by arithmetic and the chunk directory has a fixed size.
// One writer appends; readers read slots the writer has published to them
// (through a lock or a release store) while the writer goes on appending.
class EntrySlots {
public:
    EntrySlots();
    ~EntrySlots();
    EntrySlots(const EntrySlots&) = delete;
    EntrySlots& operator=(const EntrySlots&) = delete;

    // Copies entry into the next slot; its number, or -1 when memory runs out
    // or every slot is taken. Writer only.
    std::int32_t Append(const TimelineEntry& entry);

    // Number of slots written. Writer only.
    std::int32_t Count() const { return count; }

    const TimelineEntry& At(std::int32_t slot) const;

private:
    static const int firstChunkBits = 8;
    static const int chunkCount = 31 - firstChunkBits;

    std::atomic<TimelineEntry*> chunks[chunkCount];
    std::int32_t count;
};

#endif
