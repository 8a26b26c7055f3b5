#ifndef LARKSPUR_VIEWS_UNREADMARKS_H
#define LARKSPUR_VIEWS_UNREADMARKS_H

#include <cstddef>
#include <vector>

// Which statuses are unread, by arrival number (the order the store took
// them in, which only grows). A status becomes unread when it arrives and
// read when the user selects it; marks of arrivals before the first one
// kept (a new account's list) are gone. Each call costs the arrivals it
// names, never the whole list, so a refresh of a large list with marks
// costs what one without them does.
class UnreadMarks {
public:
    // Forgets every mark; arrivals from first on may come.
    void StartOver(int first);
    // Arrivals up to end (one past the last) are known; those not marked
    // with MarkUnread are read.
    void Extend(int end);
    void MarkUnread(int arrival);
    // True when arrival was unread (and now is read).
    bool MarkRead(int arrival);
    bool IsUnread(int arrival) const;
    int Count() const { return count; }

    // Calls visit(arrival) for each unread arrival, in arrival order.
    template <class Visit>
    void ForEachUnread(Visit visit) const
    {
        for (std::size_t i = 0; i < marks.size(); ++i) {
            if (marks[i])
                visit(first + static_cast<int>(i));
        }
    }

private:
    int first = 0;
    std::vector<bool> marks; // by arrival - first
    int count = 0;
};

#endif
