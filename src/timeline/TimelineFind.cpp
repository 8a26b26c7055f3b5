#include "TimelineSnapshot.h"

#include <algorithm>
#include <vector>

// The scan gives matching slots; the rows are their positions in this
// state's order. A few are found one by one; for many, one walk over the
// order marks them all at once. Muted slots are dropped before either.
TimelineSnapshot::FindResult TimelineSnapshot::Find(const SearchPattern& pattern, int after, bool backward,
                                                    const MutedArrivals* muted) const
{
    FindResult result;
    if (state == nullptr || state->range.Count() == 0)
        return result;
    const TimelineStore::SlotRange range = state->range;
    const int count = range.Count();
    std::vector<std::int32_t> slots;
    store->searchTexts.FindSlots(pattern, range.first, range.end, slots);
    if (muted != nullptr)
        slots.erase(std::remove_if(slots.begin(), slots.end(), [muted](std::int32_t slot) { return muted->Holds(slot); }),
                    slots.end());
    if (slots.empty())
        return result;

    std::vector<int> positions;
    positions.reserve(slots.size());
    if (slots.size() < static_cast<std::size_t>(count) / 64 + 16) {
        for (const std::int32_t slot : slots) {
            const int position = store->PositionOf(*state, slot);
            if (position >= 0)
                positions.push_back(position);
        }
        std::sort(positions.begin(), positions.end());
    } else {
        std::vector<bool> matched(static_cast<std::size_t>(count));
        for (const std::int32_t slot : slots)
            matched[static_cast<std::size_t>(slot - range.first)] = true;
        for (int position = 0; position < count; ++position) {
            if (matched[static_cast<std::size_t>(state->order[position] - range.first)])
                positions.push_back(position);
        }
    }
    if (positions.empty())
        return result;

    std::size_t chosen;
    if (!backward) {
        const auto next = std::upper_bound(positions.begin(), positions.end(), after);
        chosen = next != positions.end() ? static_cast<std::size_t>(next - positions.begin()) : 0;
    } else {
        const auto next = std::lower_bound(positions.begin(), positions.end(), after < 0 ? count : after);
        chosen = next != positions.begin() ? static_cast<std::size_t>(next - positions.begin()) - 1 : positions.size() - 1;
    }
    SearchTexts::Match match;
    if (!store->searchTexts.MatchIn(state->order[positions[chosen]], pattern, match))
        return result;
    result.position = positions[chosen];
    result.ordinal = static_cast<int>(chosen) + 1;
    result.total = static_cast<int>(positions.size());
    result.field = match.field;
    result.offset = match.offset;
    return result;
}
