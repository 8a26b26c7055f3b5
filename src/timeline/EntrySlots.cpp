#include "EntrySlots.h"

#include <cstdlib>
#include <cstring>

namespace {

// Index of the highest set bit of a nonzero value.
int HighestBit(std::uint32_t value)
{
    return 31 - __builtin_clz(value);
}

} // namespace

EntrySlots::EntrySlots() : count(0)
{
    for (std::atomic<TimelineEntry*>& chunk : chunks)
        chunk.store(nullptr, std::memory_order_relaxed);
}

EntrySlots::~EntrySlots()
{
    for (std::atomic<TimelineEntry*>& chunk : chunks)
        std::free(chunk.load(std::memory_order_relaxed));
}

std::int32_t EntrySlots::Append(const TimelineEntry& entry)
{
    // Chunk k starts at slot (256 << k) - 256.
    const std::uint32_t shifted = static_cast<std::uint32_t>(count) + (1u << firstChunkBits);
    const int chunk = HighestBit(shifted) - firstChunkBits;
    if (chunk >= chunkCount)
        return -1;
    TimelineEntry* entries = chunks[chunk].load(std::memory_order_relaxed);
    if (entries == nullptr) {
        const size_t size = static_cast<size_t>(1u << (chunk + firstChunkBits));
        entries = static_cast<TimelineEntry*>(std::malloc(size * sizeof(TimelineEntry)));
        if (entries == nullptr)
            return -1;
        chunks[chunk].store(entries, std::memory_order_release);
    }
    std::memcpy(&entries[shifted - (1u << (chunk + firstChunkBits))], &entry, sizeof entry);
    return count++;
}

const TimelineEntry& EntrySlots::At(std::int32_t slot) const
{
    const std::uint32_t shifted = static_cast<std::uint32_t>(slot) + (1u << firstChunkBits);
    const int chunk = HighestBit(shifted) - firstChunkBits;
    return chunks[chunk].load(std::memory_order_acquire)[shifted - (1u << (chunk + firstChunkBits))];
}
