#include "WindowPlacement.h"

namespace {

// start, moved the least that puts [start, start + length) inside
// [low, high); length is no more than high - low.
int MoveInside(int start, int length, int low, int high)
{
    if (start + length > high)
        start = high - length;
    return start < low ? low : start;
}

} // namespace

RECT PlaceInWorkArea(SIZE screen, const RECT& workArea, SIZE wanted)
{
    const int workWidth = workArea.right - workArea.left;
    const int workHeight = workArea.bottom - workArea.top;
    const int width = wanted.cx < workWidth ? wanted.cx : workWidth;
    const int height = wanted.cy < workHeight ? wanted.cy : workHeight;
    const int left = MoveInside((screen.cx - width) / 2, width, workArea.left, workArea.right);
    const int top = MoveInside((screen.cy - height) / 2, height, workArea.top, workArea.bottom);
    return {left, top, left + width, top + height};
}

RECT FirstWindowRect(SIZE wanted)
{
    const SIZE screen = {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    const int left = (screen.cx - wanted.cx) / 2;
    const int top = (screen.cy - wanted.cy) / 2;
    const RECT centred = {left, top, left + wanted.cx, top + wanted.cy};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    // Without an answer the whole screen stands for the work area.
    if (!::GetMonitorInfoA(::MonitorFromRect(&centred, MONITOR_DEFAULTTOPRIMARY), &monitor)
        || monitor.rcWork.right <= monitor.rcWork.left || monitor.rcWork.bottom <= monitor.rcWork.top)
        monitor.rcWork = {0, 0, screen.cx, screen.cy};
    return PlaceInWorkArea(screen, monitor.rcWork, wanted);
}
