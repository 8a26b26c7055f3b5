#include "TimelineSnapshot.h"

bool TimelineSnapshot::IsMuted(int position, const MuteList& list) const
{
    const int arrival = ArrivalOf(position);
    return arrival >= 0 && store->searchTexts.IsMuted(arrival, list);
}

MutedArrivals TimelineSnapshot::MutedBy(const MuteList& list) const
{
    MutedArrivals muted;
    UpdateMuted(list, muted);
    return muted;
}

void TimelineSnapshot::UpdateMuted(const MuteList& list, MutedArrivals& muted) const
{
    if (muted.Begin() != ArrivalBegin())
        muted.StartAt(ArrivalBegin());
    const int from = muted.End();
    if (from >= ArrivalEnd())
        return;
    muted.Extend(ArrivalEnd());
    std::vector<std::int32_t> slots;
    store->searchTexts.FindMutedSlots(list, from, ArrivalEnd(), slots);
    for (const std::int32_t slot : slots)
        muted.Mute(slot);
}

void TimelineSnapshot::ShownPositions(const MutedArrivals& muted, std::vector<int>& positions) const
{
    positions.clear();
    const int count = GetCount();
    positions.reserve(static_cast<std::size_t>(count));
    for (int position = 0; position < count; ++position) {
        if (!muted.Holds(state->order[position]))
            positions.push_back(position);
    }
}
