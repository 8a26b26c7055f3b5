#ifndef LARKSPUR_VIEWS_TIMELINEVIEW_H
#define LARKSPUR_VIEWS_TIMELINEVIEW_H

#include "CListViewCtrl.h"
#include "CWindowImpl.h"
#include "DpiScale.h"
#include "TimelineEntry.h"

#include <commctrl.h>

class ComposeView;
class TimelineReader;

// What a row shows besides its status, and where Space goes: told by the
// window that owns the reading place.
class RowMarks {
public:
    // The status at row has not been read.
    virtual bool IsUnread(int row) const = 0;
    // entry mentions the signed-in account.
    virtual bool MentionsAccount(const TimelineEntry& entry) const = 0;
    // The row of the oldest unread status; -1 when every one is read.
    virtual int OldestUnreadRow() const = 0;

protected:
    ~RowMarks() = default;
};

// The timeline: a virtual, owner-drawn report list whose row i is entry i of
// the view of the store it is given (newest first). It keeps no copy of the
// entries: it answers each cell when the control asks and paints each row
// itself, 40 pixels high at 96 DPI (every size scales with dpi), with the
// author's picture, the names and the wrapped status text. It also owns the timeline's context menu and its
// commands (TimelineCommands.cpp). While it has the focus, Space selects the
// oldest unread status, J the next older and K the next newer one, and
// Ctrl+R answers the selected status.
class TimelineView : public CWindowImpl<TimelineView, CListViewCtrl> {
public:
    static const int rowHeight = 40;

    // The system list-view class, superclassed so that this view's handling
    // runs before the control's own.
    static CWndClassInfo& GetWndClassInfo();

    HWND Create(HWND parent, UINT id);

    // Full-row selection, the two columns and the small image list; the view
    // of the store the rows come from, their marks, and the compose box the
    // menu commands write into. The image list is shared: the list never
    // destroys it.
    void Setup(HIMAGELIST smallIcons, ComposeView* compose, const TimelineReader* rows, const RowMarks* marks);

    // Selects row, as the user's own choice would, and scrolls it into view.
    void SelectRow(int row);
    // Scrolls so that row is the top row of the view (as near as the list
    // allows).
    void ScrollTopTo(int row);

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Lays the rows out for another DPI: the list's font (and so its
    // header's), row height, the name column in proportion, the row's marks.
    void SetDpi(UINT newDpi);

    // 1 while the reload tick may give the list a new count; 0 while the
    // context menu is open. The frame raises it when it has been built.
    int listRefreshEnabled = 0;
    // The DPI the rows are laid out for; set before Create.
    UINT dpi = defaultDpi;

private:
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnMeasureItem(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnDirectMessage(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnOpenHomePage(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnRetweet(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnReply(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnGetDispInfo(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnKeyDown(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnChar(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnReflectedMeasureItem(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnReflectedCompareItem(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnReflectedDeleteItem(UINT, WPARAM, LPARAM, bool&);

    // The entry at the selected row, as the list shows it.
    bool GetSelectedEntry(TimelineEntry& entry) const;
    void PaintRow(const DRAWITEMSTRUCT& item);
    void PaintRowOn(HDC dc, const DRAWITEMSTRUCT& item);

    ComposeView* compose = nullptr;
    HWND composeEdit = nullptr;
    const TimelineReader* rows = nullptr;
    const RowMarks* marks = nullptr;
    CDpiFont listFont;
    // The status the context menu was opened on.
    TimelineEntry menuEntry = {};
    bool menuEntryValid = false;
};

#endif
