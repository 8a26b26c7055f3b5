#include "PopupMenu.h"

#include "CAppModule.h"

namespace {

// The point a WM_CONTEXTMENU message names, in screen coordinates.
POINT ContextMenuPoint(HWND owner, LPARAM messagePoint)
{
    POINT point = {static_cast<short>(LOWORD(messagePoint)), static_cast<short>(HIWORD(messagePoint))};
    if (point.x == -1 && point.y == -1) {
        point = {50, 20};
        ::ClientToScreen(owner, &point);
    }
    return point;
}

} // namespace

void ShowPopupMenu(HWND owner, UINT menuId, LPARAM messagePoint, bool show, const MenuGreying* rules,
                   int ruleCount)
{
    POINT point = ContextMenuPoint(owner, messagePoint);
    const HMENU menu = ::LoadMenuA(appModule.GetResourceInstance(), MAKEINTRESOURCEA(menuId));
    if (menu == nullptr)
        return;
    const HMENU popup = ::GetSubMenu(menu, 0);
    if (show && popup != nullptr) {
        for (int i = 0; i < ruleCount; ++i) {
            if (rules[i].grey)
                ::EnableMenuItem(popup, rules[i].command, MF_BYCOMMAND | MF_GRAYED);
        }
        if (::MonitorFromPoint(point, MONITOR_DEFAULTTONULL) == nullptr) {
            MONITORINFO info = {};
            info.cbSize = sizeof info;
            if (::GetMonitorInfoA(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info)) {
                if (point.x < info.rcWork.left)
                    point.x = info.rcWork.left;
                else if (point.x > info.rcWork.right)
                    point.x = info.rcWork.right;
            }
        }
        ::TrackPopupMenu(popup, 0, point.x, point.y, 0, owner, nullptr);
    }
    ::DestroyMenu(menu);
}
