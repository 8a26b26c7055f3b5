#ifndef LARKSPUR_TIMELINE_TIMELINESTORE_H
#define LARKSPUR_TIMELINE_TIMELINESTORE_H

#include "EntrySlots.h"
#include "SearchTexts.h"
#include "StatusIdIndex.h"
#include "StoreLock.h"
#include "StoreMemory.h"
#include "TimelineReader.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

class TimelineSnapshot;

// The one newest-first list of statuses, unique by statusId. It only grows,
// until it starts over (a new account): then it is empty, and later pages
// fill it again.
//
// Entries are stored once, packed, at fixed slots (EntrySlots), and never
// move. What readers see is a published State: the slot at each position,
// newest first, plus the id index as of that state. Positions are ordered by
// sort key, newest first, and by slot among equal keys, so a slot's position
// is found by searching the order and no state keeps a table of positions.
// A batch (one scraped page) appends to the slots and the index, then builds
// the next State aside by merging its own sorted entries into the previous
// order, and publishes it with one atomic pointer store. Readers pin the
// current State without any lock, for the length of one call or, through a
// TimelineSnapshot, for as long as they like; they never see a page half
// added and never wait for a writer.
//
// When memory runs out (or the store's own limit is reached), the entry or
// the page that needed it is not taken, the published state stays whole,
// and MemoryFailures counts the refusal.
class TimelineStore : public TimelineReader {
public:
    // memoryLimit: the most bytes the store takes for its records, slots,
    // id index and published orders.
    explicit TimelineStore(std::size_t memoryLimit = SIZE_MAX);
    ~TimelineStore();
    TimelineStore(const TimelineStore&) = delete;
    TimelineStore& operator=(const TimelineStore&) = delete;

    int GetCount() const override;
    bool GetEntry(int index, TimelineEntry& copy) const override;
    int IndexOf(const char* statusId) const override;

    // The current state, held until the snapshot goes (TimelineSnapshot.h).
    TimelineSnapshot Snapshot() const;

    // States made so far. The writer makes a new one only when every other is
    // current or pinned, so this stays at two plus the most pins ever held at
    // once, however long a snapshot lives.
    int StateCount() const { return stateCount.load(); }

    // Times the store could not get memory: an entry that Add dropped, or a
    // Commit that left the published state as it was (its entries are taken
    // in by the next Commit that succeeds).
    long MemoryFailures() const { return memoryFailures.load(); }

    // Bytes the store holds for its records, slots, id index and orders.
    std::size_t MemoryInUse() const { return memory.InUse(); }

    // Empties the list that readers see from now on: the statuses stored so
    // far are forgotten (a status seen again is new again), while snapshots
    // taken before keep what they hold until they let go. Waits for a batch
    // under way. False, with the store as it was, when memory runs out.
    bool StartOver();

    // The write side: one page's entries. Holds the store's writer lock from
    // construction to destruction, so a second batch (another thread's
    // scrape) waits for the first. Not to be nested on one thread.
    class Batch {
    public:
        explicit Batch(TimelineStore& store);
        // Commits whatever was added since the last Commit.
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

        // Appends entry unless its statusId (whole string, case-sensitive;
        // the empty id included) is stored already or was added earlier in
        // this batch. True when appended. Readers do not see it before Commit.
        bool Add(const TimelineEntry& entry);

        // Puts the store in newest-first order and publishes it to readers.
        void Commit();

    private:
        TimelineStore& store;
    };

private:
    friend class TimelineSnapshot;

    // The slots a state holds: each slot from first up to end, at one
    // position each. A state that started over begins past every older slot.
    struct SlotRange {
        std::int32_t first = 0;
        std::int32_t end = 0;
        std::int32_t Count() const { return end - first; }
        bool Holds(std::int32_t slot) const { return slot >= first && slot < end; }
    };

    // One published order. Pinned readers count themselves in `readers`; the
    // writer rewrites a state only while it is not current and that is 0.
    // Every reader asks `range` which slots are its own.
    struct State {
        std::atomic<int> readers{0};
        SlotRange range;
        std::int32_t capacity = 0;
        std::int32_t* order = nullptr; // slot at each position, newest first
        const StatusIdIndex* ids = nullptr;
        State* nextMade = nullptr;
    };

    // True when slot a comes before slot b: newer, or as new and older slot.
    bool ComesBefore(std::int32_t a, std::int32_t b) const;
    // Position of a slot of state, -1 when it is not there.
    int PositionOf(const State& state, std::int32_t slot) const;

    bool AddEntry(const TimelineEntry& entry);
    bool PublishNext();
    bool Reserve(State& state, std::int32_t count);
    State* ReusableState();
    void FreeIfUnused(const StatusIdIndex* table);

    // Written only under writerLock.
    StoreMemory memory;
    EntrySlots slots;
    SearchTexts searchTexts; // one record a slot, for the find
    StatusIdIndex* ids;
    State first;         // the empty state; others are made as needed
    State* lastMade;     // every state made, linked through nextMade
    StoreLock writerLock;

    std::atomic<State*> current;
    std::atomic<int> stateCount{1};
    std::atomic<long> memoryFailures{0};
};

#endif
