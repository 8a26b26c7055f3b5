#ifndef LARKSPUR_TIMELINE_TIMELINESNAPSHOT_H
#define LARKSPUR_TIMELINE_TIMELINESNAPSHOT_H

#include "MuteList.h"
#include "SearchText.h"
#include "TimelineReader.h"
#include "TimelineStore.h"

#include <vector>

// One published state of a TimelineStore, held for the life of the object:
// every call answers from that state (count, entries, positions, the id index
// as it was), however many pages are merged meanwhile. The window side takes
// one at each refresh and keeps it until the next, so the list rows, the
// detail pane and the menu commands all agree with what the list was told.
//
// Holding it keeps the state's reader count raised, so the writer neither
// reuses nor rewrites it; it builds later states in other memory. Copies pin
// the state again; a moved-from or default-made snapshot is empty (count 0).
// Not thread-safe as an object; it may be held while other threads merge.
// The store must outlive it.
class TimelineSnapshot final : public TimelineReader {
public:
    TimelineSnapshot() = default;
    TimelineSnapshot(const TimelineSnapshot& other);
    TimelineSnapshot(TimelineSnapshot&& other) noexcept;
    // Takes a copy or a move; the state held before is let go afterwards.
    TimelineSnapshot& operator=(TimelineSnapshot other) noexcept;
    ~TimelineSnapshot();

    int GetCount() const override;
    bool GetEntry(int index, TimelineEntry& copy) const override;
    int IndexOf(const char* statusId) const override;

    // The arrival number of the status at position: statuses are numbered in
    // the order the store took them, so the statuses that arrived after this
    // view are those at or past the view's ArrivalEnd in a later one. -1
    // when position is out of range.
    int ArrivalOf(int position) const;
    // The position of the status that arrival numbers; -1 when this view
    // does not hold it.
    int PositionOfArrival(int arrival) const;
    // The arrivals this view holds: every number from ArrivalBegin up to
    // ArrivalEnd (one past the last).
    int ArrivalBegin() const;
    int ArrivalEnd() const;

    // Where a find lands (TimelineFind.cpp): the row, its place among the
    // rows that match (from 1) and their number, and where in the status the
    // first match lies. position is -1 when nothing matches.
    struct FindResult {
        int position = -1;
        int ordinal = 0;
        int total = 0;
        SearchTexts::Field field = SearchTexts::textField;
        int offset = 0; // bytes into the field as shown
    };

    // The next row after `after` that matches pattern (or, backward, the one
    // before it), going round the end once; after = -1 starts at the top
    // (backward: at the bottom). One pass over every row counts the matches.
    // With muted, a status it holds is never found nor counted: the ordinal
    // and the total are among the rest, and `after` may be a muted row.
    FindResult Find(const SearchPattern& pattern, int after, bool backward,
                    const MutedArrivals* muted = nullptr) const;

    // Muting (TimelineMute.cpp). A status list mutes stays in the store and
    // in this view; the caller passes over it when it shows rows, counts
    // them or finds in them.

    // True when list mutes the status at position; false out of range. Scans
    // the status's few hundred bytes for each word, after a step or two to
    // its record when it is among the newest half (a walk over the store's
    // chunks of records, one per 64 KB of them, for an older one).
    bool IsMuted(int position, const MuteList& list) const;

    // The statuses of this view that list mutes, as one scan of every
    // record for each word (records that a word before muted are passed
    // over): the set made for a changed list. Some 15 ms a word at a million
    // statuses, so a worker thread makes it for a large view, on a snapshot
    // of its own, while pages are merged; list is not to change meanwhile.
    MutedArrivals MutedBy(const MuteList& list) const;

    // Brings muted, made by this store's views for list, up to this view:
    // the arrivals from muted.End() on are decided with the same scan over
    // their records alone, so taking in a page costs microseconds. When
    // muted does not start where this view does (it was never made, or the
    // store started over) it is made afresh.
    void UpdateMuted(const MuteList& list, MutedArrivals& muted) const;

    // The positions of the statuses muted does not hold, in order: the rows
    // of the list as it shows them. One walk over the order.
    void ShownPositions(const MutedArrivals& muted, std::vector<int>& positions) const;

private:
    friend class TimelineStore;

    // Pins the store's current state.
    explicit TimelineSnapshot(const TimelineStore& store);

    const TimelineStore* store = nullptr;
    TimelineStore::State* state = nullptr;
};

#endif
