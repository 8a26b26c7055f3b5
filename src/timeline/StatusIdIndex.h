#ifndef LARKSPUR_TIMELINE_STATUSIDINDEX_H
#define LARKSPUR_TIMELINE_STATUSIDINDEX_H

#include "EntrySlots.h"

#include <atomic>
#include <cstdint>
#include <memory>

// Open-addressing hash from statusId to slot. Insert-only: one writer adds
// while readers look up concurrently; a cell, once set, never changes, so a
// reader sees either an empty cell or a complete one. A reader passes the
// slot count of the state it answers for and ignores newer slots. The table
// never fills beyond half: when it would, the writer builds a larger copy
// (Grown) and later states use that one, while readers of older states keep
// the old table alive.
class StatusIdIndex {
public:
    explicit StatusIdIndex(std::uint32_t capacity);
    StatusIdIndex(const StatusIdIndex&) = delete;
    StatusIdIndex& operator=(const StatusIdIndex&) = delete;

    // The slot holding statusId among slots below limit, or -1.
    std::int32_t Find(const char* statusId, const EntrySlots& slots, std::int32_t limit) const;

    // True when one more Insert would fill the table beyond half. Writer only.
    bool IsFull() const { return (used + 1) * 2 > mask + 1; }

    // A table of twice the capacity holding the same cells; null when memory
    // runs out. Writer only.
    std::unique_ptr<StatusIdIndex> Grown() const;

    // Records slot under the statusId stored in it; the caller has checked
    // that the id is absent and the table is not full. Writer only.
    void Insert(const EntrySlots& slots, std::int32_t slot);

private:
    // A cell packs the id's 32-bit hash (high half) and slot + 1 (low half);
    // 0 is empty.
    typedef std::uint64_t Cell;

    static std::uint32_t Hash(const char* statusId, size_t length);
    void Place(Cell cell);

    std::unique_ptr<std::atomic<Cell>[]> cells;
    std::uint32_t mask;
    std::uint32_t used;
};

#endif
