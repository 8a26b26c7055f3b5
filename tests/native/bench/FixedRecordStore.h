#ifndef LARKSPUR_TESTS_NATIVE_BENCH_FIXEDRECORDSTORE_H
#define LARKSPUR_TESTS_NATIVE_BENCH_FIXEDRECORDSTORE_H

// The store as it was before records were packed, kept here as the memory
// baseline: every status a whole 1,464-byte TimelineEntry in fixed slots,
// an id index over them, and published states of three arrays each (slot,
// sort key and position per entry). Same merge and same publication as the
// store had; snapshots left out.

#include "TimelineEntry.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace fixed {

class EntrySlots {
public:
    EntrySlots();
    ~EntrySlots();
    EntrySlots(const EntrySlots&) = delete;
    EntrySlots& operator=(const EntrySlots&) = delete;

    std::int32_t Append(const TimelineEntry& entry);
    std::int32_t Count() const { return count; }
    const TimelineEntry& At(std::int32_t slot) const;

private:
    static const int firstChunkBits = 8;
    static const int chunkCount = 31 - firstChunkBits;

    std::atomic<TimelineEntry*> chunks[chunkCount];
    std::int32_t count;
};

class StatusIdIndex {
public:
    explicit StatusIdIndex(std::uint32_t capacity);
    StatusIdIndex(const StatusIdIndex&) = delete;
    StatusIdIndex& operator=(const StatusIdIndex&) = delete;

    std::int32_t Find(const char* statusId, const EntrySlots& slots, std::int32_t limit) const;
    bool IsFull() const { return (used + 1) * 2 > mask + 1; }
    std::unique_ptr<StatusIdIndex> Grown() const;
    void Insert(const EntrySlots& slots, std::int32_t slot);

private:
    typedef std::uint64_t Cell;

    static std::uint32_t Hash(const char* statusId, size_t length);
    void Place(Cell cell);

    std::unique_ptr<std::atomic<Cell>[]> cells;
    std::uint32_t mask;
    std::uint32_t used;
};

class FixedRecordStore {
public:
    FixedRecordStore();
    FixedRecordStore(const FixedRecordStore&) = delete;
    FixedRecordStore& operator=(const FixedRecordStore&) = delete;

    int GetCount() const;
    bool GetEntry(int index, TimelineEntry& copy) const;
    int IndexOf(const char* statusId) const;

    // Adds and commits one page. One writer only: the lock is left out.
    void AddPage(const TimelineEntry* entries, int count);

private:
    struct State {
        std::atomic<int> readers{0};
        std::int32_t count = 0;
        std::vector<std::int32_t> order;
        std::vector<std::uint64_t> keys;
        std::vector<std::int32_t> positions;
        std::shared_ptr<const StatusIdIndex> ids;
    };

    // Counts itself into the current state for one call.
    class Pin {
    public:
        explicit Pin(const FixedRecordStore& store);
        ~Pin() { state->readers.fetch_sub(1); }
        const State* operator->() const { return state; }

    private:
        State* state;
    };

    bool AddEntry(const TimelineEntry& entry);
    void Publish();
    State* ReusableState();

    EntrySlots slots;
    std::shared_ptr<StatusIdIndex> ids;
    std::vector<std::unique_ptr<State>> states;
    std::atomic<State*> current;
};

} // namespace fixed

#endif
