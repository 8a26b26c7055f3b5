#include "UnreadMarks.h"

#include <new>

void UnreadMarks::StartOver(int firstArrival)
{
    first = firstArrival;
    marks.clear();
    count = 0;
}

void UnreadMarks::Extend(int end)
{
    if (end - first <= static_cast<int>(marks.size()))
        return;
    try {
        marks.resize(static_cast<std::size_t>(end - first), false);
    } catch (const std::bad_alloc&) {
        // Without room the new statuses simply show as read.
    }
}

void UnreadMarks::MarkUnread(int arrival)
{
    const int index = arrival - first;
    if (index < 0 || index >= static_cast<int>(marks.size()) || marks[static_cast<std::size_t>(index)])
        return;
    marks[static_cast<std::size_t>(index)] = true;
    ++count;
}

bool UnreadMarks::MarkRead(int arrival)
{
    if (!IsUnread(arrival))
        return false;
    marks[static_cast<std::size_t>(arrival - first)] = false;
    --count;
    return true;
}

bool UnreadMarks::IsUnread(int arrival) const
{
    const int index = arrival - first;
    return index >= 0 && index < static_cast<int>(marks.size()) && marks[static_cast<std::size_t>(index)];
}
