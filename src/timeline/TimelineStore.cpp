#include "TimelineStore.h"

#include "TimelineSnapshot.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace {

const std::uint32_t initialIndexCapacity = 1024;

struct SortItem {
    std::uint64_t key;
    std::int32_t slot;
};

} // namespace

TimelineStore::TimelineStore() : ids(std::make_shared<StatusIdIndex>(initialIndexCapacity))
{
    states.push_back(std::unique_ptr<State>(new State));
    states.back()->ids = ids;
    stateCount.store(1);
    current.store(states.back().get());
}

TimelineStore::~TimelineStore() = default;

// A call pins the current state for its own length only.
int TimelineStore::GetCount() const
{
    return Snapshot().GetCount();
}

bool TimelineStore::GetEntry(int index, TimelineEntry& copy) const
{
    return Snapshot().GetEntry(index, copy);
}

int TimelineStore::IndexOf(const char* statusId) const
{
    return Snapshot().IndexOf(statusId);
}

TimelineSnapshot TimelineStore::Snapshot() const
{
    return TimelineSnapshot(*this);
}

bool TimelineStore::AddEntry(const TimelineEntry& entry)
{
    // The stored copy is what the index hashes and compares, so an id that
    // fills all 16 bytes unterminated is treated the same on both sides.
    char id[sizeof entry.statusId + 1];
    std::memcpy(id, entry.statusId, sizeof entry.statusId);
    id[sizeof entry.statusId] = 0;
    if (ids->Find(id, slots, slots.Count()) >= 0)
        return false;
    if (ids->IsFull()) {
        std::unique_ptr<StatusIdIndex> grown = ids->Grown();
        if (grown == nullptr)
            return false;
        ids = std::move(grown);
    }
    const std::int32_t slot = slots.Append(entry);
    if (slot < 0)
        return false;
    ids->Insert(slots, slot);
    return true;
}

// Builds the next state from the published one and the slots appended since:
// the new entries are sorted alone and merged into the previous order, which
// is already newest first. Runs under the writer lock only; readers go on
// with the published state meanwhile.
void TimelineStore::Publish()
{
    // Out of memory, the published state stays as it was; the appended slots
    // are still counted from its end, so the next commit takes them in.
    try {
        PublishNext();
    } catch (const std::bad_alloc&) {
    }
}

void TimelineStore::PublishNext()
{
    const State& old = *current.load();
    const std::int32_t total = slots.Count();
    if (total == old.count && old.ids == ids)
        return;

    std::vector<SortItem> added;
    added.reserve(static_cast<size_t>(total - old.count));
    for (std::int32_t slot = old.count; slot < total; ++slot)
        added.push_back({SortKey(slots.At(slot).createdAtFileTime), slot});
    std::sort(added.begin(), added.end(), [](const SortItem& a, const SortItem& b) {
        return a.key != b.key ? a.key > b.key : a.slot < b.slot;
    });

    State* next = ReusableState();
    next->count = total;
    next->order.resize(static_cast<size_t>(total));
    next->keys.resize(static_cast<size_t>(total));
    next->positions.resize(static_cast<size_t>(total));
    next->ids = ids;

    // Each new entry goes after every older-state entry that is not older
    // than it; the runs in between are copied whole.
    size_t from = 0;
    size_t to = 0;
    const size_t oldCount = static_cast<size_t>(old.count);
    for (const SortItem& item : added) {
        const size_t until = static_cast<size_t>(
            std::partition_point(old.keys.begin() + static_cast<std::ptrdiff_t>(from), old.keys.end(),
                                 [&item](std::uint64_t key) { return key >= item.key; })
            - old.keys.begin());
        std::copy(old.order.begin() + static_cast<std::ptrdiff_t>(from),
                  old.order.begin() + static_cast<std::ptrdiff_t>(until),
                  next->order.begin() + static_cast<std::ptrdiff_t>(to));
        std::copy(old.keys.begin() + static_cast<std::ptrdiff_t>(from),
                  old.keys.begin() + static_cast<std::ptrdiff_t>(until),
                  next->keys.begin() + static_cast<std::ptrdiff_t>(to));
        to += until - from;
        from = until;
        next->order[to] = item.slot;
        next->keys[to] = item.key;
        ++to;
    }
    std::copy(old.order.begin() + static_cast<std::ptrdiff_t>(from), old.order.begin() + static_cast<std::ptrdiff_t>(oldCount),
              next->order.begin() + static_cast<std::ptrdiff_t>(to));
    std::copy(old.keys.begin() + static_cast<std::ptrdiff_t>(from), old.keys.begin() + static_cast<std::ptrdiff_t>(oldCount),
              next->keys.begin() + static_cast<std::ptrdiff_t>(to));
    for (std::int32_t position = 0; position < total; ++position)
        next->positions[static_cast<size_t>(next->order[static_cast<size_t>(position)])] = position;

    current.store(next);
}

// A state that is not current and that no reader holds, or a new one. A
// reader that pins it after this check finds it no longer current and lets
// go without reading it. One pass and no waiting: a snapshot may hold a state
// for minutes, and the states it keeps from reuse are only those it pins.
TimelineStore::State* TimelineStore::ReusableState()
{
    const State* const published = current.load();
    for (const std::unique_ptr<State>& state : states) {
        if (state.get() != published && state->readers.load() == 0)
            return state.get();
    }
    states.push_back(std::unique_ptr<State>(new State));
    stateCount.store(static_cast<int>(states.size()));
    return states.back().get();
}

TimelineStore::Batch::Batch(TimelineStore& owner) : store(owner)
{
    store.writerLock.Lock();
}

TimelineStore::Batch::~Batch()
{
    Commit();
    store.writerLock.Unlock();
}

bool TimelineStore::Batch::Add(const TimelineEntry& entry)
{
    return store.AddEntry(entry);
}

void TimelineStore::Batch::Commit()
{
    store.Publish();
}
