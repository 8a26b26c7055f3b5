#include "DetailView.h"

#include "FindText.h"
#include "IconCache.h"
#include "LinkActions.h"
#include "LinkText.h"
#include "PaneText.h"
#include "PopupMenu.h"
#include "ResourceIds.h"
#include "TextFunctions.h"
#include "TimelineEntry.h"
#include "TimelineModel.h"
#include "ViewFormat.h"

#include <cstring>

namespace {

const COLORREF linkColour = RGB(0, 0, 255);

} // namespace

bool IconStatic::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result)
{
    if (message != WM_PAINT || iconIndex < 0)
        return false;
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(handle, &paint);
    {
        const IconCache::ScopedLock hold(Icons());
        ::ImageList_Draw(Icons().LargeIcons(), iconIndex, dc, 0, 0, ILD_NORMAL);
    }
    ::EndPaint(handle, &paint);
    result = 0;
    return true;
}

DetailView::DetailView() : CDialogImpl<DetailView>(detailDialogResource) {}

DetailView::~DetailView()
{
    if (labelFont != nullptr)
        ::DeleteObject(labelFont);
}

bool DetailView::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    static const MessageMapEntry<DetailView> messageMap[] = {
        OnMessage<DetailView>(WM_INITDIALOG, &DetailView::OnInitDialog),
        OnMessage<DetailView>(WM_SIZE, &DetailView::OnSize),
        OnMessage<DetailView>(WM_CONTEXTMENU, &DetailView::OnContextMenu),
        OnMessage<DetailView>(WM_SETFOCUS, &DetailView::OnSetFocus),
        OnCommand<DetailView>(copyTextCommand, &DetailView::OnCopyText),
        OnNotifyCode<DetailView>(EN_LINK, &DetailView::OnLink),
    };
    if (DispatchMessageMap(*this, messageMap, message, wParam, lParam, result))
        return true;
    return ReflectNotifications(window, message, wParam, lParam, result);
}

LRESULT DetailView::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    iconIndex = -1;
    edit = GetDlgItem(statusTextControl);
    nameLabel = GetDlgItem(nameLabelControl);
    timeLabel = GetDlgItem(timeLabelControl);
    iconStatic.SubclassWindow(GetDlgItem(iconControl));
    templateDpi = dpi;
    iconStatic.GetWindowRect(&iconRect);
    ::MapWindowPoints(nullptr, handle, reinterpret_cast<POINT*>(&iconRect), 2);
    nameLabel.GetWindowRect(&nameRect);
    ::MapWindowPoints(nullptr, handle, reinterpret_cast<POINT*>(&nameRect), 2);
    SetTextInset(edit, dpi);
    edit.SetFocus();
    const HFONT font = CreatePaneFont(dpi);
    edit.SetFont(font, true);
    edit.SetLangOptions(0xFFFFFFFF);
    SetPaneLineSpacing(edit);
    edit.SetAutoURLDetect(true);
    edit.SetEventMask(ENM_LINK);
    edit.SetReadOnly(true);
    // The control keeps the face and size as its default format.
    ::DeleteObject(font);
    return TRUE;
}

LRESULT DetailView::OnSize(UINT, WPARAM, LPARAM lParam, bool&)
{
    const int width = LOWORD(lParam);
    const int height = HIWORD(lParam);
    const int left = ScaleToDpi(66, dpi);
    const int top = ScaleToDpi(22, dpi);
    edit.MoveWindow(left, top, width - ScaleToDpi(5, dpi) - left, height - ScaleToDpi(1, dpi) - top);
    PlaceTimeLabel();
    return 0;
}

void DetailView::SetDpi(UINT newDpi)
{
    const UINT oldDpi = dpi;
    dpi = newDpi;
    const RECT insets = TextInsets(edit);
    SetLabelFonts(handle, templateDpi, dpi, labelFont, {nameLabel.handle, timeLabel.handle});
    const RECT icon = ScaleRect(iconRect, templateDpi, dpi);
    iconStatic.MoveWindow(icon.left, icon.top, icon.right - icon.left, icon.bottom - icon.top);
    const RECT name = ScaleRect(nameRect, templateDpi, dpi);
    nameLabel.MoveWindow(name.left, name.top, name.right - name.left, name.bottom - name.top);
    SetPaneFont(edit, dpi);
    RECT client;
    GetClientRect(&client);
    SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    SetTextInsets(edit, ScaleRect(insets, oldDpi, dpi));
}

// The time label spans W-135 to W-8; it reaches further left only when its
// text would not fit (a wider font than the layout was made for), since the
// static control would wrap it and show the date alone.
void DetailView::PlaceTimeLabel()
{
    RECT client;
    GetClientRect(&client);
    char text[64] = "";
    timeLabel.GetWindowText(text, sizeof text);
    const HDC dc = ::GetDC(timeLabel);
    const HGDIOBJ old = ::SelectObject(dc, timeLabel.GetFont());
    SIZE extent = {};
    ::GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(timeLabel, dc);
    const int right = client.right - ScaleToDpi(8, dpi);
    int left = client.right - ScaleToDpi(135, dpi);
    if (right - left < extent.cx + 2)
        left = right - extent.cx - 2;
    timeLabel.MoveWindow(left, ScaleToDpi(6, dpi), right - left, ScaleToDpi(18 - 6, dpi));
}

LRESULT DetailView::OnContextMenu(UINT, WPARAM wParam, LPARAM lParam, bool&)
{
    CHARRANGE selection = {0, 0};
    edit.GetSel(&selection);
    const MenuGreying rules[] = {{copyTextCommand, selection.cpMin == selection.cpMax}};
    ShowPopupMenu(handle, detailMenuResource, lParam, reinterpret_cast<HWND>(wParam) == edit.handle, rules, 1);
    return 0;
}

LRESULT DetailView::OnSetFocus(UINT, WPARAM, LPARAM, bool&)
{
    edit.SetSel(0, 0);
    edit.SetFocus();
    return 0;
}

LRESULT DetailView::OnCopyText(UINT, WPARAM, LPARAM, bool&)
{
    edit.Copy();
    return 0;
}

LRESULT DetailView::OnLink(UINT, WPARAM, LPARAM lParam, bool&)
{
    return OpenLink(edit, *reinterpret_cast<const ENLINK*>(lParam), webAddressRule | tagRules);
}

void DetailView::ShowEntry(const TimelineEntry& entry)
{
    char* const text = shownText;
    StripTags(entry.text, text);
    std::strcat(text, "\r\n");
    edit.SetWindowText(text);
    MarkEntityLinks(text);
    // Drops the selection the last link marking left, so no run shows
    // selected; the caret stays on the first line, the text at its start.
    edit.SetSel(1, 1);

    std::memcpy(shownIconUrl, entry.iconUrl, sizeof shownIconUrl);
    iconIndex = Icons().IndexOf(entry.iconUrl);
    iconStatic.iconIndex = iconIndex;
    // Erased as well, so no earlier picture stays behind an entry that has
    // none yet.
    iconStatic.Invalidate(true);
    iconStatic.UpdateWindow();

    char line[600];
    const SYSTEMTIME& time = entry.createdAt;
    FormatTimeLabel(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, line, sizeof line);
    timeLabel.SetWindowText(line);
    PlaceTimeLabel();
    CString displayName(entry.displayName);
    DecodeEntities(displayName);
    FormatNameLine(displayName, entry.screenName, line, sizeof line);
    nameLabel.SetWindowText(line);
}

void DetailView::RefreshIcon()
{
    const int index = Icons().IndexOf(shownIconUrl);
    if (index == iconIndex)
        return;
    iconIndex = index;
    iconStatic.iconIndex = index;
    iconStatic.Invalidate(true);
}

void DetailView::SelectShownBytes(int offset, int length)
{
    edit.SetSel(RichEditPosition(shownText, offset), RichEditPosition(shownText, offset + length));
    edit.SendMessage(EM_SCROLLCARET);
}

void DetailView::ClearLabels()
{
    nameLabel.SetWindowText("");
    timeLabel.SetWindowText("");
}

void DetailView::MarkEntityLinks(const char* text)
{
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_LINK | CFM_COLOR;
    format.dwEffects = CFE_LINK;
    format.crTextColor = linkColour;
    for (const CharRange& run : FindEntityRuns(text)) {
        edit.SetSel(run.first, run.last);
        edit.SetSelectionCharFormat(format);
    }
}
