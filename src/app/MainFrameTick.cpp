#include "MainFrame.h"

#include "ResourceIds.h"
#include "ServiceSession.h"
#include "SettingsDialog.h"
#include "IconCache.h"
#include "StatusUpdate.h"
#include "TimelineModel.h"
#include "TimelineWorker.h"

#include <cstdio>
#include <cstring>

// The one place the window learns what the workers did: polled once a
// second, never told.
void MainFrame::OnReloadTick()
{
    TakeBackFailedPost();
    ShowArrivedPictures();
    const bool autoReload = UIGetCheck(autoReloadCommand);
    if (serviceSession.loginState.load() == LoginFailed) {
        // A modal loop still delivers the tick: never a box and a second
        // settings dialog over a dialog of ours. The first tick after it
        // closes reports the failure, if it still stands.
        if (autoReload && dialogsOpen == 0)
            ReportFailedLogin();
        return;
    }
    if (tickCount > reloadInterval) {
        if (serviceSession.fetchBusy.load() == 0 && autoReload) {
            SetStatusText(receivingText);
            findNotice[0] = 0;
            StartTimelineFetch();
            // Time for the new worker to raise fetchBusy.
            ::Sleep(20);
        }
        tickCount = 0;
    } else {
        RefreshList();
        if (serviceSession.fetchBusy.load() == 0)
            SetReadyText();
    }
    ++tickCount;
}

// Nothing the user wrote is lost: the texts of failed posts come back one a
// tick, oldest first, whenever the box is empty, never over what the user
// typed since. Pane 0 says so instead of "Ready" while texts wait and until
// the user sends again; a post or a fetch that succeeds does not end it.
// No box, no retry: the user decides.
void MainFrame::TakeBackFailedPost()
{
    const unsigned sent = PostsStarted();
    if (sent != postsSentSeen) {
        postsSentSeen = sent;
        postNoticeShown = false;
    }
    const unsigned failed = PostsFailed();
    bool notice = failed != postsFailedSeen;
    postsFailedSeen = failed;
    char text[statusBufferSize];
    if (composeView.IsEmpty() && TakeFailedPost(text)) {
        composeView.GiveBack(text);
        notice = true;
    }
    if (!notice)
        return;
    postNoticeShown = true;
    if (serviceSession.loginState.load() != LoginFailed)
        SetStatusText(postFailedText);
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

void MainFrame::SetReadyText()
{
    SetStatusText(postNoticeShown ? postFailedText : findNotice[0] != 0 ? findNotice : readyText);
}

// Reported once: automatic reloading goes off before the box, and the ticks
// that arrive while the box or the dialog is open stop at the check above.
void MainFrame::ReportFailedLogin()
{
    UISetCheck(autoReloadCommand, false);
    ++dialogsOpen;
    ::MessageBoxA(handle, "Twitterアカウントにログインできませんでした。", loginErrorText, MB_OK | MB_ICONINFORMATION);
    --dialogsOpen;
    SetStatusText(loginErrorText);
    if (ShowSettingsDialog()) {
        ApplySettings();
        UISetCheck(autoReloadCommand, true);
    }
}

// Brings a changed store into the list: a new view of the store, its count
// to the list, the selected status kept selected at its new row (or the top
// kept at the top), the detail pane and the count pane.
void MainFrame::RefreshList()
{
    if (TimelineReaderOf().GetCount() == shownCount || !timelineView.listRefreshEnabled)
        return;
    SetStatusText("リスト更新中");

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
}

void MainFrame::ShowSelectedStatus()
{
    const int selected = timelineView.GetSelectedIndex();
    TimelineEntry entry;
    if (selected >= 0 && shownTimeline.GetEntry(selected, entry))
        detailView.ShowEntry(entry);
}
