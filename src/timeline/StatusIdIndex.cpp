#include "StatusIdIndex.h"

#include <cstring>
#include <new>

namespace {

// Length of a stored id: a field of 16 bytes that a careless caller might
// not have terminated.
size_t StoredIdLength(const TimelineEntry& entry)
{
    return strnlen(entry.statusId, sizeof entry.statusId);
}

} // namespace

StatusIdIndex::StatusIdIndex(std::uint32_t capacity)
    : cells(new (std::nothrow) std::atomic<Cell>[capacity]), mask(capacity - 1), used(0)
{
    if (cells == nullptr) {
        mask = 0;
        return;
    }
    for (std::uint32_t i = 0; i < capacity; ++i)
        cells[i].store(0, std::memory_order_relaxed);
}

std::uint32_t StatusIdIndex::Hash(const char* statusId, size_t length)
{
    // FNV-1a.
    std::uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i) {
        hash ^= static_cast<unsigned char>(statusId[i]);
        hash *= 16777619u;
    }
    return hash;
}

std::int32_t StatusIdIndex::Find(const char* statusId, const EntrySlots& slots, std::int32_t limit) const
{
    if (cells == nullptr)
        return -1;
    const size_t length = std::strlen(statusId);
    const std::uint32_t hash = Hash(statusId, length);
    for (std::uint32_t i = hash & mask;; i = (i + 1) & mask) {
        const Cell cell = cells[i].load(std::memory_order_acquire);
        if (cell == 0)
            return -1;
        if (static_cast<std::uint32_t>(cell >> 32) != hash)
            continue;
        // Slots at or beyond limit belong to a state the caller does not see;
        // ids are unique, so skipping such a cell can only skip a miss.
        const std::int32_t slot = static_cast<std::int32_t>(static_cast<std::uint32_t>(cell) - 1);
        if (slot >= limit)
            continue;
        const TimelineEntry& entry = slots.At(slot);
        if (StoredIdLength(entry) == length && std::memcmp(entry.statusId, statusId, length) == 0)
            return slot;
    }
}

void StatusIdIndex::Place(Cell cell)
{
    std::uint32_t i = static_cast<std::uint32_t>(cell >> 32) & mask;
    while (cells[i].load(std::memory_order_relaxed) != 0)
        i = (i + 1) & mask;
    cells[i].store(cell, std::memory_order_release);
    ++used;
}

void StatusIdIndex::Insert(const EntrySlots& slots, std::int32_t slot)
{
    const TimelineEntry& entry = slots.At(slot);
    const Cell hash = Hash(entry.statusId, StoredIdLength(entry));
    Place(hash << 32 | (static_cast<std::uint32_t>(slot) + 1));
}

std::unique_ptr<StatusIdIndex> StatusIdIndex::Grown() const
{
    std::unique_ptr<StatusIdIndex> grown(new (std::nothrow) StatusIdIndex((mask + 1) * 2));
    if (grown == nullptr || grown->cells == nullptr)
        return nullptr;
    for (std::uint32_t i = 0; cells != nullptr && i <= mask; ++i) {
        const Cell cell = cells[i].load(std::memory_order_relaxed);
        if (cell != 0)
            grown->Place(cell);
    }
    return grown;
}
