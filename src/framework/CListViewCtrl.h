#ifndef LARKSPUR_FRAMEWORK_CLISTVIEWCTRL_H
#define LARKSPUR_FRAMEWORK_CLISTVIEWCTRL_H

#include "CWindow.h"

#include <commctrl.h>

// A list-view control: each call is one list-view message.
class CListViewCtrl : public CWindow {
public:
    CListViewCtrl(HWND window = nullptr) : CWindow(window) {}

    int GetNextItem(int start, UINT flags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, start, MAKELPARAM(flags, 0)));
    }
    int GetSelectedIndex() const { return GetNextItem(-1, LVNI_SELECTED); }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    bool SetItemCountEx(int count, DWORD flags) const
    {
        return SendMessage(LVM_SETITEMCOUNT, count, flags) != FALSE;
    }
    bool SetItemState(int item, UINT state, UINT mask) const
    {
        LVITEMA change = {};
        change.state = state;
        change.stateMask = mask;
        return SendMessage(LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&change)) != FALSE;
    }
    bool EnsureVisible(int item, bool partialOk) const
    {
        return SendMessage(LVM_ENSUREVISIBLE, item, partialOk) != FALSE;
    }
    bool GetItem(LVITEMA* item) const { return SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item)) != FALSE; }
    int InsertColumn(int index, const LVCOLUMNA& column) const
    {
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)));
    }
    int GetColumnWidth(int column) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, column)); }
    bool SetColumnWidth(int column, int width) const
    {
        return SendMessage(LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0)) != FALSE;
    }
    DWORD SetExtendedListViewStyle(DWORD style, DWORD mask = 0) const
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style));
    }
    HIMAGELIST SetImageList(HIMAGELIST list, int kind) const
    {
        return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(list)));
    }
    HIMAGELIST GetImageList(int kind) const
    {
        return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, kind));
    }
    HWND GetHeader() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
    int GetTopIndex() const { return static_cast<int>(SendMessage(LVM_GETTOPINDEX)); }
    int GetCountPerPage() const { return static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)); }
    bool Scroll(int dx, int dy) const { return SendMessage(LVM_SCROLL, dx, dy) != 0; }
    bool RedrawItems(int first, int last) const { return SendMessage(LVM_REDRAWITEMS, first, last) != 0; }
    bool GetItemRect(int item, RECT* rect, int code) const
    {
        rect->left = code;
        return SendMessage(LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(rect)) != FALSE;
    }
};

#endif
