#ifndef LARKSPUR_VIEWS_POPUPMENU_H
#define LARKSPUR_VIEWS_POPUPMENU_H

#include <windows.h>

// A command a context menu shows greyed.
struct MenuGreying {
    UINT command;
    bool grey;
};

// The views' context menus: loads menu resource menuId, greys what the rules
// say, and when `show` tracks its first submenu at the point of the
// WM_CONTEXTMENU message (lParam); a point of (-1,-1), from the menu key,
// means (50,20) in owner's client area. A point on no monitor has its x
// pulled into the nearest monitor's work area. The chosen command reaches
// owner as WM_COMMAND. The menu is destroyed again, shown or not.
void ShowPopupMenu(HWND owner, UINT menuId, LPARAM messagePoint, bool show, const MenuGreying* rules,
                   int ruleCount);

#endif
