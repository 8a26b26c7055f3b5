#ifndef LARKSPUR_TIMELINE_STATUSIDINDEX_H
#define LARKSPUR_TIMELINE_STATUSIDINDEX_H

#include "EntrySlots.h"
#include "StoreMemory.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

// Open-addressing hash from statusId to slot. Insert-only: one writer adds
// while readers look up concurrently; a cell, once set, never changes, so a
// reader sees either an empty cell or a complete one. A reader passes the
// slot count of the state it answers for and ignores newer slots. The table
// never fills beyond half: when it would, the writer makes a larger copy
// (Grown) for later states, while readers of older states go on with the old
// table; the store frees it once no state refers to it.
class StatusIdIndex {
public:
    // An empty table of capacity cells (a power of two); null when memory
    // runs out.
    static StatusIdIndex* Make(StoreMemory& memory, std::uint32_t capacity);
    ~StatusIdIndex();
    StatusIdIndex(const StatusIdIndex&) = delete;
    StatusIdIndex& operator=(const StatusIdIndex&) = delete;

    // The slot holding statusId among slots below limit, or -1.
    std::int32_t Find(const char* statusId, const EntrySlots& slots, std::int32_t limit) const;

    // True when one more Insert would fill the table beyond half. Writer only.
    bool IsFull() const { return (used + 1) * 2 > mask + 1; }

    // A table of twice the capacity holding the same cells; null when memory
    // runs out. Writer only.
    StatusIdIndex* Grown() const;

    // Records slot under statusId (length bytes), the id stored in it; the
    // caller has checked that the id is absent and the table is not full.
    // Writer only.
    void Insert(const char* statusId, std::size_t length, std::int32_t slot);

private:
    // A cell packs the id's 32-bit hash (high half) and slot + 1 (low half);
    // 0 is empty.
    typedef std::uint64_t Cell;

    StatusIdIndex(StoreMemory& memory, std::atomic<Cell>* cells, std::uint32_t capacity);
    static std::uint32_t Hash(const char* statusId, std::size_t length);
    void Place(Cell cell);

    StoreMemory& memory;
    std::atomic<Cell>* const cells;
    const std::uint32_t mask;
    std::uint32_t used;
};

#endif
