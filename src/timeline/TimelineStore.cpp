#include "TimelineStore.h"

#include "TimelineSnapshot.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

const std::uint32_t initialIndexCapacity = 1024;

} // namespace

TimelineStore::TimelineStore(std::size_t memoryLimit)
    : memory(memoryLimit), slots(memory), searchTexts(memory), ids(StatusIdIndex::Make(memory, initialIndexCapacity)),
      lastMade(&first)
{
    first.ids = ids;
    current.store(&first);
}

TimelineStore::~TimelineStore()
{
    // Each replaced id table goes when the last state that refers to it lets
    // go of it; the writer's own table last.
    for (State* state = lastMade; state != nullptr; state = state->nextMade) {
        const StatusIdIndex* const table = state->ids;
        state->ids = nullptr;
        FreeIfUnused(table);
    }
    delete ids;
    while (lastMade != nullptr) {
        State* const state = lastMade;
        lastMade = state->nextMade;
        memory.Free(state->order, static_cast<std::size_t>(state->capacity) * sizeof *state->order);
        if (state != &first)
            delete state;
    }
}

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

bool TimelineStore::ComesBefore(std::int32_t a, std::int32_t b) const
{
    const std::uint64_t keyA = slots.KeyOf(a);
    const std::uint64_t keyB = slots.KeyOf(b);
    return keyA != keyB ? keyA > keyB : a < b;
}

// Statuses mostly arrive in time order, so of n slots, slot s usually sits at
// position n - 1 - s or near it. The search starts there and doubles its
// step until the position is bracketed, then halves: a few nearby reads for a
// typical timeline, about two binary searches at worst.
int TimelineStore::PositionOf(const State& state, std::int32_t slot) const
{
    if (!state.range.Holds(slot))
        return -1;
    const std::int32_t* const order = state.order;
    const std::int32_t count = state.range.Count();
    const auto before = [this, slot](std::int32_t other) { return ComesBefore(other, slot); };
    const std::int32_t guess = count - 1 - (slot - state.range.first);
    // Brackets [low, high]: every position below low comes before the slot;
    // high is count or a position that does not.
    std::int32_t low = guess;
    std::int32_t high = guess;
    if (before(order[guess])) {
        low = guess + 1;
        for (std::int32_t step = 1;; step *= 2) {
            high = count - low > step ? low + step : count;
            if (high == count || !before(order[high]))
                break;
            low = high + 1;
        }
    } else {
        for (std::int32_t step = 1;; step *= 2) {
            low = high > step ? high - step : 0;
            if (low == 0 || before(order[low - 1]))
                break;
            high = low - 1;
        }
    }
    const std::int32_t* const at = std::partition_point(order + low, order + high, before);
    return at != order + count && *at == slot ? static_cast<int>(at - order) : -1;
}

bool TimelineStore::AddEntry(const TimelineEntry& entry)
{
    // The id as a string; one that fills all 16 bytes without a NUL is taken
    // whole, as the stored copy reads back.
    char id[sizeof entry.statusId + 1];
    std::memcpy(id, entry.statusId, sizeof entry.statusId);
    id[sizeof entry.statusId] = 0;
    if (ids != nullptr && ids->Find(id, slots, slots.Count()) >= 0)
        return false;
    if (ids == nullptr || ids->IsFull()) {
        StatusIdIndex* const grown = ids == nullptr ? StatusIdIndex::Make(memory, initialIndexCapacity) : ids->Grown();
        if (grown == nullptr) {
            ++memoryFailures;
            return false;
        }
        const StatusIdIndex* const previous = ids;
        ids = grown;
        FreeIfUnused(previous);
    }
    if (!searchTexts.Append(entry)) {
        ++memoryFailures;
        return false;
    }
    const std::int32_t slot = slots.Append(entry);
    if (slot < 0) {
        searchTexts.RemoveLast();
        ++memoryFailures;
        return false;
    }
    ids->Insert(id, std::strlen(id), slot);
    return true;
}

// Builds the next state from the published one and the slots appended since,
// under the writer lock only; readers go on with the published state
// meanwhile. False when memory runs out: the published state stays, and the
// appended slots, still counted from its end, go into the next one.
bool TimelineStore::PublishNext()
{
    const State& old = *current.load();
    const std::int32_t total = slots.Count();
    const std::int32_t end = old.range.end;
    if (total == end && old.ids == ids)
        return true;
    State* const next = ReusableState();
    if (next == nullptr || !Reserve(*next, total - old.range.first))
        return false;

    // The new slots are sorted at the front of the next order, then merged
    // with the old order from the back: each new slot moves once to its
    // place, the old runs between them are copied whole, and no other memory
    // is needed. Every new slot is larger than every old one, so among equal
    // keys the old entries stay first.
    std::int32_t* const order = next->order;
    const std::int32_t added = total - end;
    for (std::int32_t i = 0; i < added; ++i)
        order[i] = end + i;
    std::sort(order, order + added, [this](std::int32_t a, std::int32_t b) { return ComesBefore(a, b); });
    std::int32_t rest = old.range.Count(); // old.order[0, rest) not yet placed
    for (std::int32_t i = added; i-- > 0;) {
        const std::int32_t slot = order[i];
        const std::int32_t kept = static_cast<std::int32_t>(
            std::partition_point(old.order, old.order + rest,
                                 [this, slot](std::int32_t other) { return ComesBefore(other, slot); })
            - old.order);
        if (rest > kept)
            std::memcpy(order + i + 1 + kept, old.order + kept, static_cast<std::size_t>(rest - kept) * sizeof *order);
        order[i + kept] = slot;
        rest = kept;
    }
    if (rest > 0)
        std::memcpy(order, old.order, static_cast<std::size_t>(rest) * sizeof *order);
    next->range = {old.range.first, total};
    const StatusIdIndex* const replaced = next->ids;
    next->ids = ids;

    current.store(next);
    FreeIfUnused(replaced);
    return true;
}

// Room in state for count positions, with an eighth to spare so that the
// order is not made again for every page; exactly count when memory is short.
// The state is neither current nor pinned, so its old order is let go first.
bool TimelineStore::Reserve(State& state, std::int32_t count)
{
    if (count <= state.capacity)
        return true;
    memory.Free(state.order, static_cast<std::size_t>(state.capacity) * sizeof *state.order);
    state.order = nullptr;
    state.capacity = 0;
    state.range = SlotRange();
    const std::int32_t roomy = count < INT32_MAX - count / 8 - 64 ? count + count / 8 + 64 : INT32_MAX;
    for (const std::int32_t capacity : {roomy, count}) {
        if (static_cast<std::size_t>(capacity) > SIZE_MAX / sizeof *state.order)
            continue;
        const std::size_t size = static_cast<std::size_t>(capacity) * sizeof *state.order;
        state.order = static_cast<std::int32_t*>(memory.Allocate(size));
        if (state.order != nullptr) {
            state.capacity = capacity;
            return true;
        }
    }
    return false;
}

// A state that is not current and that no reader holds, the one with the
// most room when there are several, or a new one; null when memory runs out.
// A reader that pins it after this check finds it no longer current and lets
// go without reading it. One pass and no waiting: a snapshot may hold a state
// for minutes, and the states it keeps from reuse are only those it pins.
TimelineStore::State* TimelineStore::ReusableState()
{
    const State* const published = current.load();
    State* roomiest = nullptr;
    for (State* state = lastMade; state != nullptr; state = state->nextMade) {
        const bool reusable = state != published && state->readers.load() == 0;
        if (reusable && (roomiest == nullptr || state->capacity > roomiest->capacity))
            roomiest = state;
    }
    if (roomiest != nullptr)
        return roomiest;
    State* const made = new (std::nothrow) State;
    if (made == nullptr)
        return nullptr;
    made->nextMade = lastMade;
    lastMade = made;
    stateCount.store(stateCount.load() + 1);
    return made;
}

// Frees an id table the writer has replaced once no state refers to it any
// more; a pinned state always does, so no reader loses its table.
void TimelineStore::FreeIfUnused(const StatusIdIndex* table)
{
    if (table == nullptr || table == ids)
        return;
    for (const State* state = lastMade; state != nullptr; state = state->nextMade) {
        if (state->ids == table)
            return;
    }
    delete table;
}

// Publishes an empty state that begins at the next slot, with an id table
// of its own, so that every status can come back. Older states, the pinned
// ones included, keep their slots and their table; the slots stay for the
// life of the store, as every slot does.
bool TimelineStore::StartOver()
{
    StoreLockHolder hold(writerLock);
    StatusIdIndex* const fresh = StatusIdIndex::Make(memory, initialIndexCapacity);
    State* const next = fresh != nullptr ? ReusableState() : nullptr;
    if (next == nullptr) {
        delete fresh;
        ++memoryFailures;
        return false;
    }
    const StatusIdIndex* const previous = ids;
    ids = fresh;
    next->range = {slots.Count(), slots.Count()};
    const StatusIdIndex* const replaced = next->ids;
    next->ids = ids;
    current.store(next);
    FreeIfUnused(replaced);
    FreeIfUnused(previous);
    return true;
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
    if (!store.PublishNext())
        ++store.memoryFailures;
}
