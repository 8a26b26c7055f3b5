#ifndef LARKSPUR_APP_MAINFRAME_H
#define LARKSPUR_APP_MAINFRAME_H

#include "CFrameWindowImpl.h"
#include "CMessageLoop.h"
#include "CMultiPaneStatusBarCtrl.h"
#include "CSplitterImpl.h"
#include "CUpdateUIBase.h"
#include "ComposeView.h"
#include "DetailView.h"
#include "FindBox.h"
#include "ReadingPlace.h"
#include "MuteList.h"
#include "Settings.h"
#include "ShownTimeline.h"
#include "StatusLine.h"
#include "TimelineView.h"

#include <memory>

// The program's one top-level window: a rebar with the toolbar at the top, a
// two-pane status bar at the bottom and, between them, the detail pane above
// the timeline list above the compose pane, in two nested splitters. It reads
// the settings, starts the first fetch, and on its one-second timer brings
// what the workers did into the window (MainFrameTick.cpp).
//
// The list, the detail pane and the menus all read the timeline through one
// view of the store (shownTimeline), taken at each refresh and kept until the
// next, so nothing on screen changes between refreshes even while workers
// merge new pages.
class MainFrame : public CFrameWindowImpl<MainFrame>,
                  public CUpdateUIBase,
                  public CMessageFilter,
                  public CIdleHandler {
public:
    static const UINT_PTR reloadTimerId = 2010;
    // Polls a find running on a worker (MainFrameFind.cpp).
    static const UINT_PTR findTimerId = 2011;
    // Polls a mute list being applied on a worker (MainFrameMute.cpp).
    static const UINT_PTR muteTimerId = 2012;
    // Posted by the tick to report a failed sign-in outside the timer.
    static const UINT loginFailedMessage = WM_APP + 1;

    MainFrame();
    ~MainFrame();

    // Creates the window (480 x 610 at rect) from the frame resources.
    HWND CreateFrame(const RECT& rect);

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL PreTranslateMessage(MSG* message) override;
    BOOL OnIdle() override;

    // Shows the list's selected status in the detail pane; nothing selected
    // leaves the pane as it is.
    void ShowSelectedStatus();

    // The one-second tick: brings what the workers did into the window and
    // starts the next fetch when it is due (MainFrameTick.cpp).
    void OnReloadTick();

    // A find handed to a worker and its result (MainFrameFind.cpp).
    struct FindJob;
    // A mute list applied on a worker (MainFrameMute.cpp).
    struct MuteJob;

    DetailView detailView;
    ComposeView composeView;
    TimelineView timelineView;
    FindBox findBox;
    CSplitterImpl outerSplitter;
    CSplitterImpl innerSplitter;
    CMultiPaneStatusBarCtrl statusBarCtrl;
    char iniPath[iniPathSize];
    int reloadInterval = 10;
    // The DPI every size of the window is laid out for.
    UINT dpi = defaultDpi;

    // What the list shows, the record count it was last given, and the ticks
    // since the last reload decision.
    ShownTimeline shownTimeline;
    int shownCount = 0;
    int tickCount = 0;
    // What is unread, the read mark, the mentions of the account.
    ReadingPlace readingPlace{shownTimeline};

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnDpiChanged(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnItemChanged(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnAutoReload(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnSettings(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnEditCommand(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnSend(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnIgnoredKey(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnFocusDetail(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnFocusCompose(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnActivate(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnLoginFailed(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnFind(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnFindAgain(UINT, WPARAM, LPARAM, bool&);

    // Starts a find of the box's text (or the last text) from the selected
    // row, on a worker; the find timer brings its result to the window.
    void StartFind(bool backward);
    void OnFindTick();
    void ShowFindResult(const FindJob& job);

    void CreateBars();
    void CreateToolBar();
    void ShowToolBar();
    void RebuildToolBar();
    void SetBarsDpi();
    void CreatePanes();
    void TakeBackDrafts();
    // The one way saved settings take effect, whoever saved them (the first
    // start, the settings command, the dialog after a failed login): the
    // interval; a changed account's empty list and a fetch as soon as none
    // runs; the login state reset; reloading back on (MainFrameAccount.cpp).
    void ApplySavedSettings(const SettingValues& saved);
    // Shows the settings dialog, owned by the active window; true when the
    // user saved, and saved then holds what the user entered, whether or
    // not it reached the file.
    bool ShowSettingsDialog(SettingValues& saved);

    // The tick's parts (MainFrameTick.cpp): the report of a failed sign-in
    // posted to the frame, the reload decision and a pending fetch, and the
    // refresh of what the workers changed.
    void ReportFailedLoginLater();
    bool ScheduleFetch();
    void StartFetch();
    void RefreshWindow();
    void RefreshList();
    // The failed posts' texts back into the compose box, oldest first.
    void TakeBackFailedPost();
    // Repaints the rows and the detail picture once new pictures arrived:
    // statuses are shown before their pictures are downloaded.
    void ShowArrivedPictures();
    // Writes pane 0 from the status line, when its text changed.
    void ShowStatusLine();
    // Panes 1 and 2: "ツイート N 件" (the statuses shown) and "未読 N 件",
    // nothing when every status is read.
    void ShowCounts();
    // A mute list takes effect (MainFrameMute.cpp): at once for a small
    // list of statuses, from a worker for a large one.
    void ApplyMutes(const MuteList& list);
    void OnMuteTick();
    void ShowMutes(const MuteList& list, MutedArrivals muted);

    HWND toolBar = nullptr;
    CDpiFont toolBarFont;
    // The values this run uses; unsaved when the last save could not write
    // them, so the dialog shows them rather than the file's.
    SettingValues settings = {};
    bool settingsUnsaved = false;
    // Dialogs and boxes of the frame open now: the tick holds the sign-in
    // report while one is.
    int dialogsOpen = 0;
    // A report of a failed sign-in is on its way to the frame.
    bool loginReportPosted = false;
    // A fetch wanted as soon as none runs (a new account's).
    bool fetchPending = false;
    // The list is to be refreshed at the next tick whatever the store holds
    // (a new account, a new mute list).
    bool refreshWanted = false;
    // The mute list the list's rows are made with.
    MuteList shownMutes;
    StatusLine statusLine;
    char shownStatusText[64] = "";
    unsigned postsSentSeen = 0;
    unsigned postsFailedSeen = 0;
    // The control that had the focus when the window was deactivated.
    HWND focusBeforeDeactivation = nullptr;
    unsigned picturesSeen = 0;
    // The program itself moves the selection (the refresh): no status is
    // read by it.
    bool selectingByProgram = false;
    // The find under way and the text of the last one.
    std::shared_ptr<FindJob> findJob;
    std::shared_ptr<MuteJob> muteJob;
    char lastFindText[maxSearchLength + 1] = "";
};

#endif
