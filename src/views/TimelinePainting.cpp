#include "TimelineView.h"

#include "CHeaderCtrl.h"
#include "IconCache.h"
#include "TimelineModel.h"
#include "TimelineReader.h"

namespace {

const COLORREF white = RGB(255, 255, 255);
const COLORREF selectedFrame = RGB(69, 129, 217);
const COLORREF selectedCell = RGB(204, 212, 225);
const COLORREF separator = RGB(69, 69, 69);
// A row whose status mentions the signed-in account, when not selected.
const COLORREF mentionCell = RGB(255, 240, 200);
// The unread bar along a row's left edge, at 96 DPI.
const int unreadBarWidth = 4;
const int iconIndent = 34;
// DT_NOPREFIX: a status's '&' is text, not the mark of an underlined letter.
const UINT cellTextFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS | DT_VCENTER | DT_NOPREFIX;

// A pen and a brush selected into a device context for one drawing call and
// deleted afterwards.
class DrawingTools {
public:
    DrawingTools(HDC dc, HPEN pen, HBRUSH brush)
        : dc(dc), pen(pen), brush(brush), oldPen(::SelectObject(dc, pen)), oldBrush(::SelectObject(dc, brush))
    {
    }
    ~DrawingTools()
    {
        ::SelectObject(dc, oldPen);
        ::SelectObject(dc, oldBrush);
        ::DeleteObject(pen);
        if (brush != nullptr)
            ::DeleteObject(brush);
    }
    DrawingTools(const DrawingTools&) = delete;
    DrawingTools& operator=(const DrawingTools&) = delete;

private:
    HDC dc;
    HPEN pen;
    HBRUSH brush;
    HGDIOBJ oldPen;
    HGDIOBJ oldBrush;
};

// The dotted separator: the one-pixel cosmetic pen at 96 DPI; wider, a
// geometric pen, since a cosmetic pen draws dots only one pixel wide.
HPEN CreateSeparatorPen(int width)
{
    if (width <= 1)
        return ::CreatePen(PS_DOT, 1, separator);
    const LOGBRUSH brush = {BS_SOLID, separator, 0};
    return ::ExtCreatePen(PS_GEOMETRIC | PS_DOT | PS_ENDCAP_FLAT, static_cast<DWORD>(width), &brush, 0, nullptr);
}

void FrameRow(HDC dc, const RECT& row, bool selected, UINT dpi)
{
    if (selected) {
        const DrawingTools tools(dc, ::CreatePen(PS_SOLID, ScaleToDpi(2, dpi), selectedFrame), ::CreateSolidBrush(white));
        ::Rectangle(dc, row.left, row.top + ScaleToDpi(1, dpi), row.right, row.bottom);
        return;
    }
    {
        const DrawingTools tools(dc, ::CreatePen(PS_SOLID, 1, white), ::CreateSolidBrush(white));
        ::Rectangle(dc, row.left, row.top, row.right, row.bottom);
    }
    const int width = ScaleToDpi(1, dpi);
    const int y = row.bottom - width + width / 2;
    const DrawingTools dotted(dc, CreateSeparatorPen(width), nullptr);
    ::MoveToEx(dc, row.left, y, nullptr);
    ::LineTo(dc, row.right, y);
}

} // namespace

// Every request paints the whole row. The row is drawn off screen and copied
// in one piece: under an X server each drawing call on the window would be a
// round trip of its own, and the row never shows half drawn.
void TimelineView::PaintRow(const DRAWITEMSTRUCT& item)
{
    const RECT& row = item.rcItem;
    const int width = row.right - row.left;
    const int height = row.bottom - row.top;
    const HDC memory = ::CreateCompatibleDC(item.hDC);
    const HBITMAP bitmap = memory != nullptr ? ::CreateCompatibleBitmap(item.hDC, width, height) : nullptr;
    if (bitmap == nullptr) {
        if (memory != nullptr)
            ::DeleteDC(memory);
        PaintRowOn(item.hDC, item);
        return;
    }
    const HGDIOBJ oldBitmap = ::SelectObject(memory, bitmap);
    const HGDIOBJ oldFont = ::SelectObject(memory, ::GetCurrentObject(item.hDC, OBJ_FONT));
    ::SetViewportOrgEx(memory, -row.left, -row.top, nullptr);
    PaintRowOn(memory, item);
    ::BitBlt(item.hDC, row.left, row.top, width, height, memory, row.left, row.top, SRCCOPY);
    ::SelectObject(memory, oldFont);
    ::SelectObject(memory, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
}

// The frame or the separator, then each column's cell with its text, and the
// picture in the first.
void TimelineView::PaintRowOn(HDC dc, const DRAWITEMSTRUCT& item)
{
    const RECT& row = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FrameRow(dc, row, selected, dpi);
    const int edge = ScaleToDpi(1, dpi);

    TimelineEntry entry;
    const int rowIndex = static_cast<int>(item.itemID);
    const bool mention = !selected && marks != nullptr && rows != nullptr && rows->GetEntry(rowIndex, entry)
                         && marks->MentionsAccount(entry);
    const COLORREF cellColour = selected ? selectedCell : mention ? mentionCell : white;
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    // The text lies on the cell's colour, whatever background the control's
    // device context came with.
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const CHeaderCtrl header(GetHeader());
    const int columns = header.GetItemCount();
    const int scrolled = ::GetScrollPos(handle, SB_HORZ);
    const HIMAGELIST images = GetImageList(LVSIL_SMALL);
    for (int column = 0; column < columns; ++column) {
        RECT cell;
        if (!header.GetItemRect(column, &cell))
            continue;
        cell.left -= scrolled;
        cell.right -= scrolled;
        cell.top = row.top + edge;
        cell.bottom = row.bottom - edge;
        cell.right -= edge;

        char text[512] = "";
        LVITEMA cellItem = {};
        cellItem.mask = LVIF_TEXT | LVIF_IMAGE;
        cellItem.iItem = static_cast<int>(item.itemID);
        cellItem.iSubItem = column;
        cellItem.pszText = text;
        cellItem.cchTextMax = sizeof text;
        cellItem.iImage = -1;
        GetItem(&cellItem);

        cell.left += column == 0 ? edge : -edge;
        {
            const DrawingTools tools(dc, ::CreatePen(PS_SOLID, 1, cellColour), ::CreateSolidBrush(cellColour));
            ::Rectangle(dc, cell.left, cell.top, cell.right, cell.bottom);
        }
        if (column == 0 && images != nullptr) {
            {
                const IconCache::ScopedLock hold(Icons());
                ::ImageList_Draw(images, cellItem.iImage, dc, cell.left + ScaleToDpi(2, dpi),
                                 cell.top + ScaleToDpi(3, dpi), ILD_NORMAL);
            }
            cell.left += ScaleToDpi(iconIndent, dpi);
        }
        const int inset = ScaleToDpi(3, dpi);
        RECT textRect = {cell.left + inset, cell.top + edge, cell.right - inset, cell.bottom - edge};
        ::DrawTextA(dc, text, -1, &textRect, cellTextFormat);
    }
    ::SetBkMode(dc, oldMode);
    if (marks != nullptr && marks->IsUnread(rowIndex)) {
        const RECT bar = {row.left, row.top + edge, row.left + ScaleToDpi(unreadBarWidth, dpi), row.bottom - edge};
        ::FillRect(dc, &bar, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    }
}
