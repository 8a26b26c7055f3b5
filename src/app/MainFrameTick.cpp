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
    ShowStatusLine();
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
        composeView.GiveBack(post.text.c_str());
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

// Brings a changed store into the list: a new view of the store, its count
// to the list, the selected status kept selected at its new row (or the top
// kept at the top), the detail pane and the count pane.
void MainFrame::RefreshList()
{
    if (TimelineReaderOf().GetCount() == shownCount || !timelineView.listRefreshEnabled)
        return;
    statusLine.refreshing = true;
    ShowStatusLine();

    // The status the user selected, as the list showed it until now.
    char selectedId[sizeof(TimelineEntry().statusId) + 1] = "";
    const int selected = timelineView.GetSelectedIndex();
    TimelineEntry entry;
    if (selected >= 0 && shownTimeline.GetEntry(selected, entry)) {
        std::memcpy(selectedId, entry.statusId, sizeof entry.statusId);
        selectedId[sizeof entry.statusId] = 0;
    }

    shownTimeline = TimelineSnapshotOf();
    const int count = shownTimeline.GetCount();
    timelineView.SetItemCountEx(count, LVSICF_NOINVALIDATEALL);
    timelineView.Invalidate(true);

    // The selection moves before the detail pane is filled, so the pane never
    // shows the status that now merely sits at the old row number.
    const int stillSelected = timelineView.GetSelectedIndex();
    if (stillSelected <= 0) {
        if (timelineView.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED))
            timelineView.EnsureVisible(0, false);
    } else {
        const int found = shownTimeline.IndexOf(selectedId);
        if (found >= 0) {
            timelineView.SetItemState(found, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            timelineView.EnsureVisible(found, false);
        }
    }
    ShowSelectedStatus();

    shownCount = count;
    char countText[64];
    std::snprintf(countText, sizeof countText, "ツイート %d 件", count);
    statusBarCtrl.SetPaneText(countPaneString, countText);
    statusLine.refreshing = false;
}

void MainFrame::ShowSelectedStatus()
{
    const int selected = timelineView.GetSelectedIndex();
    TimelineEntry entry;
    if (selected >= 0 && shownTimeline.GetEntry(selected, entry))
        detailView.ShowEntry(entry);
}
