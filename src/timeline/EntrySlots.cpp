#include "EntrySlots.h"

#include "PackedEntry.h"

#include <cstdint>
#include <cstring>

namespace {

// Record chunks start small, for the many short-lived stores of tests and
// fuzzing, and double up to a size that keeps the waste at each chunk's end
// (less than one record) small.
const std::size_t firstRecordChunkSize = 4096;
const std::size_t lastRecordChunkSize = 65536;

// Index of the highest set bit of a nonzero value.
int HighestBit(std::uint32_t value)
{
    return 31 - __builtin_clz(value);
}

// Bytes of a slot chunk holding slots slots of slotSize bytes; 0 when that
// does not fit a size_t (the last chunks, in a 32-bit program).
std::size_t ChunkBytes(std::size_t slotSize, std::uint32_t slots)
{
    return slots > SIZE_MAX / slotSize ? 0 : slotSize * slots;
}

} // namespace

EntrySlots::EntrySlots(StoreMemory& memory)
    : memory(memory), count(0), lastRecords(nullptr), nextRecord(nullptr), recordRoom(0)
{
    for (std::atomic<Slot*>& chunk : chunks)
        chunk.store(nullptr, std::memory_order_relaxed);
}

EntrySlots::~EntrySlots()
{
    for (int chunk = 0; chunk < chunkCount; ++chunk) {
        const std::size_t size = ChunkBytes(sizeof(Slot), 1u << (chunk + firstChunkBits));
        memory.Free(chunks[chunk].load(std::memory_order_relaxed), size);
    }
    while (lastRecords != nullptr) {
        RecordChunk* const previous = lastRecords->previous;
        memory.Free(lastRecords, lastRecords->size);
        lastRecords = previous;
    }
}

// Chunk k starts at slot (256 << k) - 256.
EntrySlots::Slot* EntrySlots::SlotFor(std::int32_t slot)
{
    const std::uint32_t shifted = static_cast<std::uint32_t>(slot) + (1u << firstChunkBits);
    const int chunk = HighestBit(shifted) - firstChunkBits;
    if (chunk >= chunkCount)
        return nullptr;
    Slot* slots = chunks[chunk].load(std::memory_order_relaxed);
    if (slots == nullptr) {
        const std::size_t size = ChunkBytes(sizeof(Slot), 1u << (chunk + firstChunkBits));
        slots = size != 0 ? static_cast<Slot*>(memory.Allocate(size)) : nullptr;
        if (slots == nullptr)
            return nullptr;
        chunks[chunk].store(slots, std::memory_order_release);
    }
    return &slots[shifted - (1u << (chunk + firstChunkBits))];
}

const EntrySlots::Slot& EntrySlots::At(std::int32_t slot) const
{
    const std::uint32_t shifted = static_cast<std::uint32_t>(slot) + (1u << firstChunkBits);
    const int chunk = HighestBit(shifted) - firstChunkBits;
    return chunks[chunk].load(std::memory_order_acquire)[shifted - (1u << (chunk + firstChunkBits))];
}

// Room for size bytes at the end of the record chunks, in a new chunk when
// the last one has too little left; null when memory runs out.
unsigned char* EntrySlots::RoomFor(std::size_t size)
{
    if (size > recordRoom) {
        std::size_t chunkSize = lastRecords == nullptr ? firstRecordChunkSize : lastRecords->size * 2;
        if (chunkSize > lastRecordChunkSize)
            chunkSize = lastRecordChunkSize;
        RecordChunk* const chunk = static_cast<RecordChunk*>(memory.Allocate(chunkSize));
        if (chunk == nullptr)
            return nullptr;
        chunk->previous = lastRecords;
        chunk->size = chunkSize;
        lastRecords = chunk;
        nextRecord = reinterpret_cast<unsigned char*>(chunk + 1);
        recordRoom = chunkSize - sizeof(RecordChunk);
    }
    unsigned char* const room = nextRecord;
    nextRecord += size;
    recordRoom -= size;
    return room;
}

std::int32_t EntrySlots::Append(const TimelineEntry& entry)
{
    unsigned char packed[maxPackedEntrySize];
    const std::size_t size = PackEntry(entry, packed);
    Slot* const slot = SlotFor(count);
    if (slot == nullptr)
        return -1;
    unsigned char* const record = RoomFor(size);
    if (record == nullptr)
        return -1;
    std::memcpy(record, packed, size);
    slot->createdAtFileTime = entry.createdAtFileTime;
    slot->packed = record;
    return count++;
}

void EntrySlots::Read(std::int32_t slot, TimelineEntry& copy) const
{
    const Slot& stored = At(slot);
    UnpackEntry(stored.packed, stored.createdAtFileTime, copy);
}

const char* EntrySlots::StatusIdOf(std::int32_t slot, std::size_t& length) const
{
    return PackedStatusId(At(slot).packed, length);
}
