#ifndef LARKSPUR_TIMELINE_ENTRYSLOTS_H
#define LARKSPUR_TIMELINE_ENTRYSLOTS_H

#include "StoreMemory.h"
#include "TimelineEntry.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

// Every entry the store ever accepted, each at a fixed slot number. An entry
// is packed (PackedEntry.h) into record chunks that are only appended to; its
// slot, a small fixed record in slot chunks, holds its sort key and the
// address of its packed bytes. Slot chunk k holds 256 << k slots, so a slot
// is found by arithmetic and the chunk directory has a fixed size. Nothing
// ever moves: one writer appends while readers read the slots the writer has
// published to them (through a lock or a release store).
class EntrySlots {
public:
    explicit EntrySlots(StoreMemory& memory);
    ~EntrySlots();
    EntrySlots(const EntrySlots&) = delete;
    EntrySlots& operator=(const EntrySlots&) = delete;

    // Packs entry into the next slot; its number, or -1 (nothing changed)
    // when memory runs out or every slot is taken. Writer only.
    std::int32_t Append(const TimelineEntry& entry);

    // Number of slots written. Writer only.
    std::int32_t Count() const { return count; }

    std::uint64_t KeyOf(std::int32_t slot) const { return SortKey(At(slot).createdAtFileTime); }

    // The whole entry, byte for byte as it was appended.
    void Read(std::int32_t slot, TimelineEntry& copy) const;

    // The slot's statusId up to its NUL (at most 16 bytes, not terminated
    // when it fills them); length receives its length.
    const char* StatusIdOf(std::int32_t slot, std::size_t& length) const;

private:
    struct Slot {
        FILETIME createdAtFileTime;
        const unsigned char* packed;
    };

    // Record chunks are chained for freeing; the bytes follow the header.
    struct RecordChunk {
        RecordChunk* previous;
        std::size_t size;
    };

    static const int firstChunkBits = 8;
    static const int chunkCount = 31 - firstChunkBits;

    const Slot& At(std::int32_t slot) const;
    Slot* SlotFor(std::int32_t slot);
    unsigned char* RoomFor(std::size_t size);

    StoreMemory& memory;
    std::atomic<Slot*> chunks[chunkCount];
    std::int32_t count;
    RecordChunk* lastRecords;
    unsigned char* nextRecord; // the unused end of the last record chunk
    std::size_t recordRoom;
};

#endif
