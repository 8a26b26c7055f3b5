#include "MainFrame.h"

#include "FetchCycle.h"
#include "IconCache.h"
#include "ResourceIds.h"
#include "ServiceSession.h"
#include "StatusPosts.h"
#include "TimelineModel.h"

#include <cstdio>
#include <cstring>

// The one place the window learns what the workers did: polled once a
// second, never told.
void MainFrame::OnReloadTick()
{
    ReportFailedLoginLater();
    if (!ScheduleFetch())
        RefreshWindow();
    ShowStatusLine();
    readingPlace.SaveMark(iniPath, false);
}

// A failed sign-in is reported by a message of its own, so that its box and
// dialog never run inside the timer. A modal loop still delivers the tick:
// never a box and a second settings dialog over a dialog of ours; the first
// tick after it closes reports the failure, if it still stands.
void MainFrame::ReportFailedLoginLater()
{
    if (serviceSession.loginState.load() != LoginFailed || loginReportPosted || dialogsOpen != 0
        || !UIGetCheck(autoReloadCommand))
        return;
    loginReportPosted = PostMessage(loginFailedMessage) != FALSE;
}

// Reported once: automatic reloading goes off before the box, and the ticks
// that arrive while the box or the dialog is open find it off.
LRESULT MainFrame::OnLoginFailed(UINT, WPARAM, LPARAM, bool&)
{
    loginReportPosted = false;
    if (serviceSession.loginState.load() != LoginFailed || !UIGetCheck(autoReloadCommand))
        return 0;
    UISetCheck(autoReloadCommand, false);
    ++dialogsOpen;
    ::MessageBoxA(handle, "Twitterアカウントにログインできませんでした。", StatusLine::loginErrorText,
                  MB_OK | MB_ICONINFORMATION);
    --dialogsOpen;
    statusLine.loginError = true;
    ShowStatusLine();
    SettingValues saved;
    if (ShowSettingsDialog(saved))
        ApplySavedSettings(saved);
    return 0;
}

// Every reload interval plus one second, while automatic reloading is on and
// no fetch runs, the next fetch starts; a fetch still running is not doubled.
// A pending fetch (a new account's) starts as soon as no fetch runs, whether
// reloading is on or off. While a failed sign-in stands, no fetch starts:
// the user answers first. True on the tick of a reload decision, which
// refreshes nothing.
bool MainFrame::ScheduleFetch()
{
    if (serviceSession.loginState.load() == LoginFailed)
        return false;
    const bool decision = tickCount > reloadInterval;
    if (decision) {
        if (UIGetCheck(autoReloadCommand))
            StartFetch();
        tickCount = 0;
    }
    if (fetchPending && serviceSession.fetchBusy.load() == 0) {
        StartFetch();
        tickCount = 0;
    }
    ++tickCount;
    return decision;
}

void MainFrame::StartFetch()
{
    if (!StartTimelineFetch())
        return;
    fetchPending = false;
    statusLine.loginError = false;
    statusLine.SetFindNotice("");
}

void MainFrame::RefreshWindow()
{
    TakeBackFailedPost();
    ShowArrivedPictures();
    RefreshList();
}

void MainFrame::ShowStatusLine()
{
    const char* const text = statusLine.Text(serviceSession.fetchBusy.load() != 0);
    if (std::strcmp(text, shownStatusText) == 0)
        return;
    ::lstrcpynA(shownStatusText, text, sizeof shownStatusText);
    statusBarCtrl.SetPaneText(CMultiPaneStatusBarCtrl::defaultPaneId, text);
}

// Nothing the user wrote is lost: the texts of failed posts come back one a
// tick, oldest first, whenever the box is empty, never over what the user
// typed since. Pane 0 says so while texts wait and until the user sends
// again; a post or a fetch that succeeds does not end it. No box, no retry:
// the user decides.
void MainFrame::TakeBackFailedPost()
{
    const unsigned sent = PostsStarted();
    if (sent != postsSentSeen) {
        postsSentSeen = sent;
        statusLine.postFailed = false;
    }
    const unsigned failed = PostsFailed();
    if (failed != postsFailedSeen) {
        postsFailedSeen = failed;
        statusLine.postFailed = true;
    }
    FailedPost post;
    if (composeView.IsEmpty() && TakeFailedPost(post)) {
        composeView.GiveBack(post.text.c_str(), post.inReplyTo.c_str());
        statusLine.postFailed = true;
    }
}

void MainFrame::ShowArrivedPictures()
{
    const unsigned recorded = Icons().PicturesRecorded();
    if (recorded == picturesSeen)
        return;
    picturesSeen = recorded;
    timelineView.Invalidate(false);
    detailView.RefreshIcon();
}

// The status at row of the list as shown until now, "" for none.
static void IdAt(const TimelineReader& view, int row, char (&id)[sizeof TimelineEntry::statusId + 1])
{
    id[0] = 0;
    TimelineEntry entry;
    if (row >= 0 && view.GetEntry(row, entry)) {
        std::memcpy(id, entry.statusId, sizeof entry.statusId);
        id[sizeof entry.statusId] = 0;
    }
}

// Brings a changed store into the list: a new view of the store, its count
// to the list, the new statuses marked unread, the detail pane and the count
// panes. The view holds still: the status at its top keeps its place on the
// screen as statuses arrive above, unless the view shows row 0, where the
// newest come into view. The selected status stays selected and the view
// never scrolls to it by itself; only a user at the top (row 0 selected and
// in view, or nothing selected) gets the newest selected.
void MainFrame::RefreshList()
{
    if ((TimelineReaderOf().GetCount() == shownTimeline.View().GetCount() && !refreshWanted)
        || !timelineView.listRefreshEnabled)
        return;
    refreshWanted = false;
    statusLine.refreshing = true;
    ShowStatusLine();

    const int top = timelineView.GetTopIndex();
    const int selected = timelineView.GetSelectedIndex();
    char topId[sizeof TimelineEntry::statusId + 1];
    char selectedId[sizeof TimelineEntry::statusId + 1];
    IdAt(shownTimeline, top, topId);
    IdAt(shownTimeline, selected, selectedId);

    const TimelineSnapshot before = shownTimeline.View();
    shownTimeline.Show(TimelineSnapshotOf(), shownMutes);
    const bool mention = readingPlace.Arrived(before);
    timelineView.SetItemCountEx(shownTimeline.GetCount(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    timelineView.Invalidate(true);

    // The selection moves before the detail pane is filled, so the pane never
    // shows the status that now merely sits at the old row number.
    selectingByProgram = true;
    if (top <= 0 && selected <= 0) {
        timelineView.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    } else {
        const int found = shownTimeline.IndexOf(selectedId);
        if (found >= 0)
            timelineView.SetItemState(found, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    selectingByProgram = false;
    // Set after the count: some list controls scroll to the focused row when
    // their count changes, whatever they are told.
    const int topNow = top <= 0 ? 0 : shownTimeline.IndexOf(topId);
    if (topNow >= 0)
        timelineView.ScrollTopTo(topNow);
    ShowSelectedStatus();

    ShowCounts();
    statusLine.refreshing = false;
    // A mention while the window is in the background: the taskbar button
    // flashes until the window is brought up.
    if (mention && ::GetForegroundWindow() != handle) {
        FLASHWINFO flash = {sizeof flash, handle, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
        ::FlashWindowEx(&flash);
    }
}

void MainFrame::ShowCounts()
{
    shownCount = shownTimeline.GetCount();
    char text[64];
    std::snprintf(text, sizeof text, "ツイート %d 件", shownCount);
    statusBarCtrl.SetPaneText(countPaneString, text);
    text[0] = 0;
    if (readingPlace.UnreadCount() > 0)
        std::snprintf(text, sizeof text, "未読 %d 件", readingPlace.UnreadCount());
    statusBarCtrl.SetPaneText(unreadPaneString, text);
}

void MainFrame::ShowSelectedStatus()
{
    const int selected = timelineView.GetSelectedIndex();
    TimelineEntry entry;
    if (selected >= 0 && shownTimeline.GetEntry(selected, entry))
        detailView.ShowEntry(entry);
}
