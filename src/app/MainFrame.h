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
#include "Settings.h"
#include "TimelineSnapshot.h"
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

    // The texts pane 0 shows.
    static constexpr char readyText[] = "Ready";
    static constexpr char receivingText[] = "タイムライン受信中 ...";
    static constexpr char postFailedText[] = "投稿できませんでした";
    static constexpr char loginErrorText[] = "ログインエラー";

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

    // The one-second tick: a failed sign-in, a reload decision or a refresh.
    void OnReloadTick();

    // A find handed to a worker and its result (MainFrameFind.cpp).
    struct FindJob;

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
    TimelineSnapshot shownTimeline;
    int shownCount = 0;
    int tickCount = 0;

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
    LRESULT OnFind(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnFindAgain(UINT, WPARAM, LPARAM, bool&);

    // Starts a find of the box's text (or the last text) from the selected
    // row, on a worker; the find timer brings its result to the window.
    void StartFind(bool backward);
    void OnFindTick();
    void ShowFindResult(const FindJob& job);

    void CreateBars();
    void CreatePanes();
    // The settings file's values into settings, then applied.
    void ReadSettings();
    // USER and PASS of settings into the session, RELOAD_TIMELINE into
    // reloadInterval.
    void ApplySettings();
    // Shows the settings dialog, owned by the active window; true when the
    // user saved, and settings then holds what the user entered, whether or
    // not it reached the file.
    bool ShowSettingsDialog();
    void SetStatusText(const char* text);

    void ReportFailedLogin();
    // After the settings command saved: a new account's empty list, and
    // reloading back on after a login error (MainFrameAccount.cpp).
    void ApplySavedSettings(bool accountChanged, bool loginFailed);
    void RefreshList();
    // The failed posts' texts back into the compose box, oldest first, and
    // the pane-0 notice (MainFrameTick.cpp).
    void TakeBackFailedPost();
    void SetReadyText();
    // Repaints the rows and the detail picture once new pictures arrived:
    // statuses are shown before their pictures are downloaded.
    void ShowArrivedPictures();

    HWND toolBar = nullptr;
    // The values this run uses; unsaved when the last save could not write
    // them, so the dialog shows them rather than the file's.
    SettingValues settings = {};
    bool settingsUnsaved = false;
    // Dialogs and boxes of the frame open now: the tick holds the sign-in
    // report while one is.
    int dialogsOpen = 0;
    // The pane-0 notice of a failed post shows until the user sends again.
    bool postNoticeShown = false;
    unsigned postsSentSeen = 0;
    unsigned postsFailedSeen = 0;
    // The control that had the focus when the window was deactivated.
    HWND focusBeforeDeactivation = nullptr;
    unsigned picturesSeen = 0;
    // The find under way, the text of the last one, and the notice pane 0
    // shows for it until the next fetch starts.
    std::shared_ptr<FindJob> findJob;
    char lastFindText[maxSearchLength + 1] = "";
    char findNotice[64] = "";
};

#endif
