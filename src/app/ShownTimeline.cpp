#include "ShownTimeline.h"

#include <algorithm>
#include <new>

void ShownTimeline::Show(TimelineSnapshot next, const MuteList& list)
{
    view = std::move(next);
    if (list.IsEmpty())
        muted = MutedArrivals();
    else
        view.UpdateMuted(list, muted);
    MapRows();
}

void ShownTimeline::ShowMuted(MutedArrivals made, const MuteList& list)
{
    muted = std::move(made);
    if (!list.IsEmpty())
        view.UpdateMuted(list, muted);
    MapRows();
}

void ShownTimeline::MapRows()
{
    positions.clear();
    if (muted.Count() == 0)
        return;
    try {
        view.ShownPositions(muted, positions);
    } catch (const std::bad_alloc&) {
        // Without room for the table every status shows.
        positions.clear();
        muted = MutedArrivals();
    }
}

int ShownTimeline::GetCount() const
{
    return positions.empty() && muted.Count() == 0 ? view.GetCount() : static_cast<int>(positions.size());
}

bool ShownTimeline::GetEntry(int row, TimelineEntry& copy) const
{
    const int position = PositionOf(row);
    return position >= 0 && view.GetEntry(position, copy);
}

int ShownTimeline::IndexOf(const char* statusId) const
{
    return RowOfPosition(view.IndexOf(statusId));
}

int ShownTimeline::PositionOf(int row) const
{
    if (row < 0 || row >= GetCount())
        return -1;
    return positions.empty() ? row : positions[static_cast<size_t>(row)];
}

int ShownTimeline::RowOfPosition(int position) const
{
    if (position < 0 || position >= view.GetCount())
        return -1;
    if (positions.empty())
        return muted.Count() == 0 ? position : -1;
    const auto found = std::lower_bound(positions.begin(), positions.end(), position);
    return found != positions.end() && *found == position ? static_cast<int>(found - positions.begin()) : -1;
}

int ShownTimeline::RowOfArrival(int arrival) const
{
    return muted.Holds(arrival) ? -1 : RowOfPosition(view.PositionOfArrival(arrival));
}
