#ifndef LARKSPUR_TIMELINE_TIMELINESTORE_H
#define LARKSPUR_TIMELINE_TIMELINESTORE_H

#include "EntrySlots.h"
#include "StatusIdIndex.h"
#include "StoreLock.h"
#include "TimelineReader.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class TimelineSnapshot;

// The one newest-first list of statuses, unique by statusId; it only grows.
//
// Entries are stored once, at fixed slots (EntrySlots), and never move. What
// readers see is a published State: the slot at each position, the sort key
// at each position and the position of each slot, plus the id index as of
// that state. A batch (one scraped page) appends to the slots and the index,
// then builds the next State aside by merging its own sorted entries into the
// previous order, and publishes it with one atomic pointer store. Readers pin
// the current State without any lock, for the length of one call or, through
// a TimelineSnapshot, for as long as they like; they never see a page half
// added and never wait for a writer.
class TimelineStore : public TimelineReader {
public:
    TimelineStore();
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

    // One published order. Pinned readers count themselves in `readers`; the
    // writer rewrites a state only while it is not current and that is 0.
    struct State {
        std::atomic<int> readers{0};
        std::int32_t count = 0;
        std::vector<std::int32_t> order;     // slot at each position, newest first
        std::vector<std::uint64_t> keys;     // sort key at each position
        std::vector<std::int32_t> positions; // position of each slot
        std::shared_ptr<const StatusIdIndex> ids;
    };

    bool AddEntry(const TimelineEntry& entry);
    void Publish();
    void PublishNext();
    State* ReusableState();

    // Written only under writerLock.
    EntrySlots slots;
    std::shared_ptr<StatusIdIndex> ids;
    std::vector<std::unique_ptr<State>> states; // every state made; reused, freed at the end
    StoreLock writerLock;

    std::atomic<State*> current;
    std::atomic<int> stateCount{0};
};

#endif
