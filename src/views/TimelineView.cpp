#include "TimelineView.h"

#include "IconCache.h"
#include "PopupMenu.h"
#include "ResourceIds.h"
#include "TextFunctions.h"
#include "TimelineModel.h"
#include "TimelineReader.h"
#include "ComposeView.h"
#include "ViewFormat.h"

namespace {

// LVS_SHAREIMAGELISTS: the small image list is the icon cache's, which must
// outlive the list control.
const DWORD listStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | LVS_REPORT | LVS_SINGLESEL
                        | LVS_SHOWSELALWAYS | LVS_OWNERDRAWFIXED | LVS_OWNERDATA | LVS_SHAREIMAGELISTS;

const int nameColumnWidth = 150;
const int textColumnWidth = 300;

} // namespace

CWndClassInfo& TimelineView::GetWndClassInfo()
{
    static CWndClassInfo info = {
        {sizeof(WNDCLASSEXA), 0, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
        WC_LISTVIEWA, nullptr, 0, ""};
    return info;
}

HWND TimelineView::Create(HWND parent, UINT id)
{
    const RECT none = {0, 0, 0, 0};
    const HWND created =
        CWindowImpl<TimelineView, CListViewCtrl>::Create(parent, none, nullptr, listStyle, WS_EX_CLIENTEDGE, id);
    // The control's own font is made for the system DPI.
    listFont.Attach(created, SystemDpi());
    listFont.SetDpi(dpi);
    return created;
}

void TimelineView::Setup(HIMAGELIST smallIcons, ComposeView* composeView, const TimelineReader* shownRows,
                         const RowMarks* rowMarks)
{
    SetExtendedListViewStyle(LVS_EX_FULLROWSELECT, 0);
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = ScaleToDpi(nameColumnWidth, dpi);
    column.pszText = const_cast<char*>("Name");
    InsertColumn(0, column);
    column.cx = ScaleToDpi(textColumnWidth, dpi);
    column.pszText = const_cast<char*>("Tweet");
    column.iSubItem = 1;
    InsertColumn(1, column);
    SetImageList(smallIcons, LVSIL_SMALL);
    compose = composeView;
    composeEdit = composeView->Edit().handle;
    rows = shownRows;
    marks = rowMarks;
}

bool TimelineView::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    static const MessageMapEntry<TimelineView> messageMap[] = {
        OnMessage<TimelineView>(WM_CONTEXTMENU, &TimelineView::OnContextMenu),
        OnMessage<TimelineView>(WM_MEASUREITEM, &TimelineView::OnMeasureItem),
        OnMessage<TimelineView>(WM_SIZE, &TimelineView::OnSize),
        OnCommand<TimelineView>(directMessageCommand, &TimelineView::OnDirectMessage),
        OnCommand<TimelineView>(openHomePageCommand, &TimelineView::OnOpenHomePage),
        OnCommand<TimelineView>(retweetCommand, &TimelineView::OnRetweet),
        OnCommand<TimelineView>(replyCommand, &TimelineView::OnReply),
        OnReflectedNotifyCode<TimelineView>(LVN_GETDISPINFOA, &TimelineView::OnGetDispInfo),
        OnMessage<TimelineView>(WM_KEYDOWN, &TimelineView::OnKeyDown),
        OnMessage<TimelineView>(WM_CHAR, &TimelineView::OnChar),
        OnMessage<TimelineView>(reflectedBase + WM_DRAWITEM, &TimelineView::OnDrawItem),
        OnMessage<TimelineView>(reflectedBase + WM_MEASUREITEM, &TimelineView::OnReflectedMeasureItem),
        OnMessage<TimelineView>(reflectedBase + WM_COMPAREITEM, &TimelineView::OnReflectedCompareItem),
        OnMessage<TimelineView>(reflectedBase + WM_DELETEITEM, &TimelineView::OnReflectedDeleteItem),
    };
    if (DispatchMessageMap(*this, messageMap, message, wParam, lParam, result))
        return true;
    return DefaultReflectionHandler(window, message, wParam, lParam, result);
}

LRESULT TimelineView::OnContextMenu(UINT, WPARAM, LPARAM lParam, bool&)
{
    listRefreshEnabled = 0;
    // The commands act on the status the user right-clicked, whatever
    // arrives before they run.
    menuEntryValid = GetSelectedEntry(menuEntry);
    ShowPopupMenu(handle, timelineMenuResource, lParam, menuEntryValid, nullptr, 0);
    listRefreshEnabled = 1;
    return 0;
}

LRESULT TimelineView::OnMeasureItem(UINT, WPARAM, LPARAM lParam, bool&)
{
    reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(ScaleToDpi(rowHeight, dpi));
    return TRUE;
}

void TimelineView::SetDpi(UINT newDpi)
{
    const UINT oldDpi = dpi;
    dpi = newDpi;
    listFont.SetDpi(dpi);
    SetColumnWidth(0, ::MulDiv(GetColumnWidth(0), static_cast<int>(newDpi), static_cast<int>(oldDpi)));
    // The control asks for the row height again only when told its size
    // changed.
    RECT rect;
    GetWindowRect(&rect);
    ::MapWindowPoints(nullptr, ::GetParent(handle), reinterpret_cast<POINT*>(&rect), 2);
    WINDOWPOS position = {handle, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                          SWP_NOZORDER | SWP_NOACTIVATE};
    SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
    Invalidate(true);
}

LRESULT TimelineView::OnSize(UINT, WPARAM, LPARAM, bool&)
{
    // The scroll bar's width is always taken off, shown or not, so the text
    // column never makes a horizontal scroll bar appear by itself.
    RECT window;
    GetWindowRect(&window);
    const int width = (window.right - window.left) - 2 * ::GetSystemMetrics(SM_CXEDGE)
                      - ::GetSystemMetrics(SM_CXVSCROLL) - GetColumnWidth(0);
    // A name column wider than the list leaves no room: the text column then
    // keeps its width, to be scrolled to, rather than take a negative one
    // (-1 and -2 would even ask the control to size it).
    if (width > 0)
        SetColumnWidth(1, width);
    return 0;
}

LRESULT TimelineView::OnGetDispInfo(UINT, WPARAM, LPARAM lParam, bool&)
{
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
    TimelineEntry entry;
    if (rows == nullptr || !rows->GetEntry(item.iItem, entry))
        return 0;
    // Only a request that asks for text has a buffer to write to.
    const bool wantsText = (item.mask & LVIF_TEXT) && item.pszText != nullptr;
    if (item.iSubItem == 0) {
        if (!(item.mask & LVIF_TEXT))
            return 0;
        item.iImage = Icons().IndexOf(entry.iconUrl);
        if (wantsText) {
            CString displayName(entry.displayName);
            DecodeEntities(displayName);
            FormatListName(displayName, entry.screenName, item.pszText, item.cchTextMax);
        }
    } else if (item.iSubItem == 1 && wantsText) {
        char stripped[strippedTextSize];
        StripTags(entry.text, stripped);
        CopyBounded(item.pszText, item.cchTextMax, stripped);
    }
    return 0;
}

LRESULT TimelineView::OnDrawItem(UINT, WPARAM, LPARAM lParam, bool&)
{
    PaintRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

LRESULT TimelineView::OnReflectedMeasureItem(UINT, WPARAM, LPARAM lParam, bool&)
{
    // The owner-draw default: one line of the control's font.
    const HDC dc = ::GetDC(handle);
    const HGDIOBJ old = ::SelectObject(dc, GetFont());
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(handle, dc);
    reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(metrics.tmHeight);
    return TRUE;
}

LRESULT TimelineView::OnReflectedCompareItem(UINT, WPARAM, LPARAM, bool&)
{
    return 0;
}

LRESULT TimelineView::OnReflectedDeleteItem(UINT, WPARAM, LPARAM, bool&)
{
    return TRUE;
}

void TimelineView::SelectRow(int row)
{
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnsureVisible(row, false);
}

void TimelineView::ScrollTopTo(int row)
{
    RECT rect;
    const int rows = row - GetTopIndex();
    if (rows != 0 && GetItemRect(0, &rect, LVIR_BOUNDS))
        Scroll(0, rows * (rect.bottom - rect.top));
}

// The reading keys, plain (no Ctrl, Alt or Shift); every other key is the
// control's own, the arrows and Home, End and the page keys among them.
LRESULT TimelineView::OnKeyDown(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    const bool plain = !control && ::GetKeyState(VK_MENU) >= 0 && ::GetKeyState(VK_SHIFT) >= 0;
    if (wParam == 'R' && control && ::GetKeyState(VK_MENU) >= 0 && ::GetKeyState(VK_SHIFT) >= 0) {
        menuEntryValid = GetSelectedEntry(menuEntry);
        bool unused = true;
        OnReply(WM_COMMAND, replyCommand, 0, unused);
        return 0;
    }
    if (!plain || (wParam != VK_SPACE && wParam != 'J' && wParam != 'K')) {
        handled = false;
        return 0;
    }
    const int count = GetItemCount();
    const int selected = GetSelectedIndex();
    int row = -1;
    if (wParam == VK_SPACE)
        row = marks != nullptr ? marks->OldestUnreadRow() : -1;
    else if (wParam == 'J')
        row = selected < 0 ? 0 : selected + 1;
    else
        row = selected < 0 ? 0 : selected - 1;
    if (row < 0 || row >= count) {
        if (wParam == VK_SPACE)
            ::MessageBeep(MB_OK);
        return 0;
    }
    SelectRow(row);
    return 0;
}

// The characters of the reading keys would start the control's search by
// typing: they are taken here.
LRESULT TimelineView::OnChar(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    handled = wParam == ' ' || wParam == 'j' || wParam == 'J' || wParam == 'k' || wParam == 'K';
    return 0;
}

bool TimelineView::GetSelectedEntry(TimelineEntry& entry) const
{
    const int selected = GetSelectedIndex();
    return selected >= 0 && rows != nullptr && rows->GetEntry(selected, entry);
}
