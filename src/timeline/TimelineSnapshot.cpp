#include "TimelineSnapshot.h"

#include <utility>

// A reader counts itself in, then checks that the state is still current: if
// the writer replaced it in between, the writer may already be rewriting it
// (it saw no reader), so the reader counts itself out and tries again. Once
// the check passes, the writer sees the count and leaves the state alone.
// Sequentially consistent order on both sides makes the count and the pointer
// agree.
TimelineSnapshot::TimelineSnapshot(const TimelineStore& owner) : store(&owner)
{
    for (;;) {
        state = owner.current.load();
        state->readers.fetch_add(1);
        if (owner.current.load() == state)
            return;
        state->readers.fetch_sub(1);
    }
}

// The state is pinned already, so the writer cannot be rewriting it: the
// count goes up without the check.
TimelineSnapshot::TimelineSnapshot(const TimelineSnapshot& other) : store(other.store), state(other.state)
{
    if (state != nullptr)
        state->readers.fetch_add(1);
}

TimelineSnapshot::TimelineSnapshot(TimelineSnapshot&& other) noexcept
    : store(std::exchange(other.store, nullptr)), state(std::exchange(other.state, nullptr))
{
}

TimelineSnapshot& TimelineSnapshot::operator=(TimelineSnapshot other) noexcept
{
    std::swap(store, other.store);
    std::swap(state, other.state);
    return *this;
}

TimelineSnapshot::~TimelineSnapshot()
{
    if (state != nullptr)
        state->readers.fetch_sub(1);
}

int TimelineSnapshot::GetCount() const
{
    return state != nullptr ? state->range.Count() : 0;
}

bool TimelineSnapshot::GetEntry(int index, TimelineEntry& copy) const
{
    if (state == nullptr || index < 0 || index >= state->range.Count())
        return false;
    store->slots.Read(state->order[index], copy);
    return true;
}

// The index is the one this state was published with; the writer may still
// be inserting into it, so slots past the state's last are ignored.
int TimelineSnapshot::IndexOf(const char* statusId) const
{
    if (state == nullptr || statusId == nullptr || state->ids == nullptr)
        return -1;
    const std::int32_t slot = state->ids->Find(statusId, store->slots, state->range.end);
    if (slot < 0)
        return -1;
    return store->PositionOf(*state, slot);
}

int TimelineSnapshot::ArrivalOf(int position) const
{
    if (state == nullptr || position < 0 || position >= state->range.Count())
        return -1;
    return state->order[position];
}

int TimelineSnapshot::PositionOfArrival(int arrival) const
{
    return state != nullptr ? store->PositionOf(*state, arrival) : -1;
}

int TimelineSnapshot::ArrivalBegin() const
{
    return state != nullptr ? state->range.first : 0;
}

int TimelineSnapshot::ArrivalEnd() const
{
    return state != nullptr ? state->range.end : 0;
}
