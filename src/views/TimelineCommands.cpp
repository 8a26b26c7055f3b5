#include "TimelineView.h"

#include "CRichEditCtrl.h"
#include "ComposeView.h"
#include "LinkActions.h"
#include "LinkText.h"
#include "TextFunctions.h"
#include "ViewFormat.h"
#include "WebAddress.h"

#include <cstring>

// The timeline menu's commands. Each acts on the status the menu was opened
// on and writes into the compose box; the box's counter and colour follow
// from its change notification.

namespace {

const int composeTextSize = 512;
const int addressSize = 1024;

void FillCompose(HWND edit, const char* text, bool caretAtEnd)
{
    const CRichEditCtrl compose(edit);
    compose.SetWindowText(text);
    const LONG caret = caretAtEnd ? CountCharacters(text) : 0;
    compose.SetSel(caret, caret);
    compose.SetFocus();
}

} // namespace

LRESULT TimelineView::OnDirectMessage(UINT, WPARAM, LPARAM, bool&)
{
    if (!menuEntryValid)
        return 0;
    char text[composeTextSize];
    FormatDirectMessage(menuEntry.screenName, text, sizeof text);
    FillCompose(composeEdit, text, true);
    return 0;
}

LRESULT TimelineView::OnRetweet(UINT, WPARAM, LPARAM, bool&)
{
    if (!menuEntryValid)
        return 0;
    char stripped[strippedTextSize];
    StripTags(menuEntry.text, stripped);
    char text[composeTextSize];
    FormatRetweet(menuEntry.screenName, stripped, text, sizeof text);
    FillCompose(composeEdit, text, false);
    return 0;
}

LRESULT TimelineView::OnReply(UINT, WPARAM, LPARAM, bool&)
{
    if (!menuEntryValid || compose == nullptr)
        return 0;
    char statusId[sizeof menuEntry.statusId + 1] = "";
    std::memcpy(statusId, menuEntry.statusId, sizeof menuEntry.statusId);
    compose->StartReply(statusId, menuEntry.screenName);
    return 0;
}

LRESULT TimelineView::OnOpenHomePage(UINT, WPARAM, LPARAM, bool&)
{
    if (!menuEntryValid)
        return 0;
    char address[addressSize];
    if (ProfileAddress(menuEntry.screenName, WebBaseAddress(), address, sizeof address))
        OpenInBrowser(address);
    return 0;
}
