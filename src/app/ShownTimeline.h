#ifndef LARKSPUR_APP_SHOWNTIMELINE_H
#define LARKSPUR_APP_SHOWNTIMELINE_H

#include "MuteList.h"
#include "TimelineReader.h"
#include "TimelineSnapshot.h"

#include <vector>

// What the list shows: one view of the store (taken at each refresh and kept
// until the next, so the rows, the detail pane and the menus all agree),
// less the statuses the mute list hides. Row i is the i-th status of the
// view that is not muted; with nothing muted, rows are the view's positions.
class ShownTimeline : public TimelineReader {
public:
    // The view; rows map onto its positions.
    const TimelineSnapshot& View() const { return view; }
    const MutedArrivals& Muted() const { return muted; }

    // Shows view, hiding what list mutes: the set made for list is brought
    // up to view, for the arrivals since alone.
    void Show(TimelineSnapshot next, const MuteList& list);
    // Takes a set made for list on a worker (for an older view, maybe), and
    // brings it up to the view shown.
    void ShowMuted(MutedArrivals made, const MuteList& list);

    int GetCount() const override;
    bool GetEntry(int row, TimelineEntry& copy) const override;
    // The row of the status statusId, -1 when it is not shown.
    int IndexOf(const char* statusId) const override;

    // Rows and the view's positions and arrivals, each way; -1 for a row out
    // of range or a status not shown.
    int PositionOf(int row) const;
    int RowOfPosition(int position) const;
    int ArrivalOf(int row) const { return view.ArrivalOf(PositionOf(row)); }
    int RowOfArrival(int arrival) const;

private:
    void MapRows();

    TimelineSnapshot view;
    MutedArrivals muted;
    // The view's position at each row; empty while nothing is muted.
    std::vector<int> positions;
};

#endif
