#include "StatusIdIndex.h"

#include <cstdint>
#include <cstring>
#include <new>

StatusIdIndex::StatusIdIndex(StoreMemory& memory, std::atomic<Cell>* cells, std::uint32_t capacity)
    : memory(memory), cells(cells), mask(capacity - 1), used(0)
{
}

StatusIdIndex* StatusIdIndex::Make(StoreMemory& memory, std::uint32_t capacity)
{
    if (capacity == 0 || static_cast<std::size_t>(capacity) > SIZE_MAX / sizeof(std::atomic<Cell>))
        return nullptr;
    const std::size_t size = capacity * sizeof(std::atomic<Cell>);
    void* const block = memory.Allocate(size);
    if (block == nullptr)
        return nullptr;
    std::atomic<Cell>* const cells = static_cast<std::atomic<Cell>*>(block);
    for (std::uint32_t i = 0; i < capacity; ++i)
        new (&cells[i]) std::atomic<Cell>(0);
    StatusIdIndex* const index = new (std::nothrow) StatusIdIndex(memory, cells, capacity);
    if (index == nullptr)
        memory.Free(block, size);
    return index;
}

StatusIdIndex::~StatusIdIndex()
{
    memory.Free(cells, (static_cast<std::size_t>(mask) + 1) * sizeof(std::atomic<Cell>));
}

std::uint32_t StatusIdIndex::Hash(const char* statusId, std::size_t length)
{
    // FNV-1a.
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < length; ++i) {
        hash ^= static_cast<unsigned char>(statusId[i]);
        hash *= 16777619u;
    }
    return hash;
}

std::int32_t StatusIdIndex::Find(const char* statusId, const EntrySlots& slots, std::int32_t limit) const
{
    const std::size_t length = std::strlen(statusId);
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
        std::size_t storedLength;
        const char* const stored = slots.StatusIdOf(slot, storedLength);
        if (storedLength == length && std::memcmp(stored, statusId, length) == 0)
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

void StatusIdIndex::Insert(const char* statusId, std::size_t length, std::int32_t slot)
{
    const Cell hash = Hash(statusId, length);
    Place(hash << 32 | (static_cast<std::uint32_t>(slot) + 1));
}

StatusIdIndex* StatusIdIndex::Grown() const
{
    if (mask >= UINT32_MAX / 2)
        return nullptr;
    StatusIdIndex* const grown = Make(memory, (mask + 1) * 2);
    if (grown == nullptr)
        return nullptr;
    for (std::uint32_t i = 0; i <= mask; ++i) {
        const Cell cell = cells[i].load(std::memory_order_relaxed);
        if (cell != 0)
            grown->Place(cell);
    }
    return grown;
}
