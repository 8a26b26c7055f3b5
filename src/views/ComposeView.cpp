#include "ComposeView.h"

#include "LinkActions.h"
#include "LinkText.h"
#include "PaneText.h"
#include "PopupMenu.h"
#include "ResourceIds.h"
#include "StatusPosts.h"
#include "ViewFormat.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const COLORREF directMessageColour = RGB(198, 255, 198);
const COLORREF white = RGB(255, 255, 255);
const int statusLimit = 140;
const int counterTextSize = 512;
const DWORD sendPause = 200;
const LONG selectAllEnd = 256;

} // namespace

ComposeView::ComposeView() : CDialogImpl<ComposeView>(composeDialogResource) {}

ComposeView::~ComposeView()
{
    if (labelFont != nullptr)
        ::DeleteObject(labelFont);
    if (filtering) {
        if (CMessageLoop* loop = appModule.GetMessageLoop())
            loop->RemoveMessageFilter(this);
    }
}

bool ComposeView::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    static const MessageMapEntry<ComposeView> messageMap[] = {
        OnMessage<ComposeView>(WM_INITDIALOG, &ComposeView::OnInitDialog),
        OnMessage<ComposeView>(WM_SIZE, &ComposeView::OnSize),
        OnMessage<ComposeView>(WM_SETFOCUS, &ComposeView::OnSetFocus),
        OnMessage<ComposeView>(WM_CONTEXTMENU, &ComposeView::OnContextMenu),
        OnCommand<ComposeView>(sendCommand, &ComposeView::OnSend),
        OnCommand<ComposeView>(cutCommand, &ComposeView::OnEditCommand),
        OnCommand<ComposeView>(copyCommand, &ComposeView::OnEditCommand),
        OnCommand<ComposeView>(pasteCommand, &ComposeView::OnEditCommand),
        OnCommand<ComposeView>(deleteCommand, &ComposeView::OnEditCommand),
        OnCommand<ComposeView>(selectAllCommand, &ComposeView::OnEditCommand),
        OnCommandCode<ComposeView>(EN_CHANGE, statusTextControl, &ComposeView::OnChange),
        OnNotifyCode<ComposeView>(EN_LINK, &ComposeView::OnLink),
    };
    if (DispatchMessageMap(*this, messageMap, message, wParam, lParam, result))
        return true;
    return ReflectNotifications(window, message, wParam, lParam, result);
}

BOOL ComposeView::PreTranslateMessage(MSG* message)
{
    if (handle == nullptr)
        return FALSE;
    if (accelerators != nullptr && ::TranslateAcceleratorA(handle, accelerators, message))
        return TRUE;
    // The loop hands every message of the thread to this filter; the dialog
    // call takes only those for this pane and its controls.
    return ::IsDialogMessageA(handle, message);
}

LRESULT ComposeView::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    edit = GetDlgItem(statusTextControl);
    sendButton = GetDlgItem(sendButtonControl);
    counter = GetDlgItem(counterControl);
    templateDpi = dpi;
    SetTextInset(edit, dpi);
    edit.SetFocus();
    edit.SetAutoURLDetect(true);
    edit.SetEventMask(ENM_CHANGE | ENM_LINK);
    edit.LimitText(statusLimit);
    edit.SetLangOptions(0xFFFFFFFF);
    const HFONT font = CreatePaneFont(dpi);
    edit.SetFont(font, true);
    SetPaneLineSpacing(edit);
    ::DeleteObject(font);

    accelerators = ::LoadAcceleratorsA(appModule.GetResourceInstance(), MAKEINTRESOURCEA(composeAcceleratorResource));
    if (CMessageLoop* loop = appModule.GetMessageLoop())
        filtering = loop->AddMessageFilter(this);
    return TRUE;
}

LRESULT ComposeView::OnSize(UINT, WPARAM, LPARAM lParam, bool&)
{
    const int width = LOWORD(lParam);
    const int height = HIWORD(lParam);
    const int buttonLeft = width - ScaleToDpi(75, dpi);
    const int buttonWidth = ScaleToDpi(67, dpi);
    edit.MoveWindow(ScaleToDpi(5, dpi), 0, width - ScaleToDpi(85, dpi), height - ScaleToDpi(5, dpi));
    counter.MoveWindow(buttonLeft, 0, buttonWidth, ScaleToDpi(13, dpi));
    sendButton.MoveWindow(buttonLeft, ScaleToDpi(14, dpi), buttonWidth, height - ScaleToDpi(19, dpi));
    return 0;
}

void ComposeView::SetDpi(UINT newDpi)
{
    const UINT oldDpi = dpi;
    dpi = newDpi;
    const RECT insets = TextInsets(edit);
    SetLabelFonts(handle, templateDpi, dpi, labelFont, {counter.handle, sendButton.handle});
    SetPaneFont(edit, dpi);
    RECT client;
    GetClientRect(&client);
    SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    SetTextInsets(edit, ScaleRect(insets, oldDpi, dpi));
}

LRESULT ComposeView::OnSetFocus(UINT, WPARAM, LPARAM, bool&)
{
    edit.SetSel(0, 0);
    edit.SetFocus();
    return 0;
}

LRESULT ComposeView::OnContextMenu(UINT, WPARAM wParam, LPARAM lParam, bool&)
{
    CHARRANGE selection = {0, 0};
    edit.GetSel(&selection);
    const bool empty = selection.cpMin == selection.cpMax;
    const MenuGreying rules[] = {
        {copyCommand, empty},
        {cutCommand, empty},
        {deleteCommand, empty},
        {pasteCommand, !edit.CanPaste(CF_TEXT)},
    };
    ShowPopupMenu(handle, composeMenuResource, lParam, reinterpret_cast<HWND>(wParam) == edit.handle, rules,
                  sizeof rules / sizeof rules[0]);
    return 0;
}

LRESULT ComposeView::OnSend(UINT, WPARAM, LPARAM, bool&)
{
    SendStatus();
    return 0;
}

LRESULT ComposeView::OnEditCommand(UINT, WPARAM wParam, LPARAM, bool&)
{
    switch (LOWORD(wParam)) {
    case cutCommand:
        edit.Cut();
        break;
    case copyCommand:
        edit.Copy();
        break;
    case pasteCommand:
        edit.Paste();
        break;
    case deleteCommand:
        edit.Clear();
        break;
    case selectAllCommand:
        // Positions 0 to 256, not an open end.
        edit.SetSel(0, selectAllEnd);
        break;
    }
    return 0;
}

LRESULT ComposeView::OnChange(UINT, WPARAM, LPARAM, bool&)
{
    UpdateCounter();
    return 0;
}

LRESULT ComposeView::OnLink(UINT, WPARAM, LPARAM lParam, bool&)
{
    return OpenLink(edit, *reinterpret_cast<const ENLINK*>(lParam), webAddressRule);
}

void ComposeView::UpdateCounter()
{
    char text[counterTextSize] = "";
    edit.GetWindowText(text, sizeof text);
    // Once the text no longer begins with the @name, it answers nobody.
    if (replyId[0] != 0 && !StartsWithMention(text, replyName)) {
        replyId[0] = 0;
        replyName[0] = 0;
    }
    char left[16];
    std::snprintf(left, sizeof left, "%d", CharactersLeft(text));
    counter.SetWindowText(left);
    edit.SetBackgroundColor(IsDirectMessageText(text) ? directMessageColour : white);
}

void ComposeView::GiveBack(const char* text, const char* inReplyTo)
{
    // The name the reply began with is the one the text begins with.
    const auto isNameByte = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    };
    int nameLength = 0;
    if (text[0] == '@') {
        while (nameLength + 1 < static_cast<int>(sizeof replyName) && isNameByte(text[1 + nameLength]))
            ++nameLength;
    }
    ::lstrcpynA(replyName, text + (nameLength > 0 ? 1 : 0), nameLength + 1);
    ::lstrcpynA(replyId, nameLength > 0 ? inReplyTo : "", sizeof replyId);
    edit.SetWindowText(text);
    GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    const LONG end = static_cast<LONG>(edit.SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length)));
    edit.SetSel(end, end);
    UpdateCounter();
}

std::string ComposeView::Text() const
{
    // The length may count characters: two bytes each at most.
    std::vector<char> text(static_cast<size_t>(edit.GetWindowTextLength()) * 2 + 1, 0);
    edit.GetWindowText(text.data(), static_cast<int>(text.size()));
    return text.data();
}

void ComposeView::StartReply(const char* statusId, const char* screenName)
{
    char text[300];
    std::snprintf(text, sizeof text, "@%s ", screenName);
    edit.SetWindowText(text);
    ::lstrcpynA(replyName, screenName, sizeof replyName);
    ::lstrcpynA(replyId, statusId, sizeof replyId);
    const LONG end = CountCharacters(text);
    edit.SetSel(end, end);
    edit.SetFocus();
    UpdateCounter();
}

void ComposeView::SendStatus()
{
    // Read whole, so the post is cut between characters rather than where
    // the control's copy into a short buffer stops (a text put in from the
    // menu may be longer than typing allows).
    if (!StartStatusPost(Text().c_str(), replyId))
        return;
    replyId[0] = 0;
    replyName[0] = 0;
    ::Sleep(sendPause);
    edit.SetWindowText("");
}
