#include "CWindow.h"

bool CWindow::CenterWindow(HWND over) const
{
    // Centred over the owner, or over the work area when there is no owner
    // or it cannot be seen; kept inside the work area either way.
    if (over == nullptr)
        over = ::GetWindow(handle, GW_OWNER);
    RECT area;
    HMONITOR monitor = ::MonitorFromWindow(over != nullptr ? over : handle, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoA(monitor, &info))
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    area = info.rcWork;

    RECT centre = area;
    if (over != nullptr && ::IsWindowVisible(over) && !::IsIconic(over))
        ::GetWindowRect(over, &centre);

    RECT own;
    if (!GetWindowRect(&own))
        return false;
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int left = (centre.left + centre.right) / 2 - width / 2;
    int top = (centre.top + centre.bottom) / 2 - height / 2;
    if (left + width > area.right)
        left = area.right - width;
    if (left < area.left)
        left = area.left;
    if (top + height > area.bottom)
        top = area.bottom - height;
    if (top < area.top)
        top = area.top;
    return ::SetWindowPos(handle, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}
