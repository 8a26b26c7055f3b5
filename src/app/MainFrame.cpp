#include "MainFrame.h"

#include "FrameBars.h"
#include "IconCache.h"
#include "ResourceIds.h"
#include "ServiceSession.h"
#include "SettingsDialog.h"
#include "Drafts.h"
#include "FetchCycle.h"
#include "StatusPosts.h"
#include "TimelineModel.h"

#include <cstring>

namespace {

const CUpdateUIBase::Entry updateUIMap[] = {
    {autoReloadCommand, CUpdateUIBase::toolBarElement},
};

const UINT timelineListId = 0xE900;
const int detailMinimum = 80;
const int composeMinimum = 48;
const int innerBarStart = 500;
// The toolbar's pictures at 24 and 32 pixels, beside the 16-pixel bitmap of
// its resource: 150 % and 200 % take them whole.
const ToolBarStrip toolBarStrips[] = {{24, toolBar24Resource}, {32, toolBar32Resource}};
const int toolBarStripCount = sizeof toolBarStrips / sizeof toolBarStrips[0];

const DWORD barStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;

} // namespace

MainFrame::MainFrame() : CUpdateUIBase(updateUIMap, sizeof updateUIMap / sizeof updateUIMap[0])
{
    GetIniPath(iniPath);
}

MainFrame::~MainFrame()
{
    if (CMessageLoop* loop = appModule.GetMessageLoop()) {
        loop->RemoveMessageFilter(this);
        loop->RemoveIdleHandler(this);
    }
}

HWND MainFrame::CreateFrame(const RECT& rect)
{
    return CreateEx(mainFrameResource, nullptr, rect, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                    WS_EX_APPWINDOW | WS_EX_WINDOWEDGE);
}

bool MainFrame::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    static const MessageMapEntry<MainFrame> messageMap[] = {
        OnMessage<MainFrame>(WM_CREATE, &MainFrame::OnCreate),
        OnMessage<MainFrame>(WM_TIMER, &MainFrame::OnTimer),
        OnMessage<MainFrame>(WM_DPICHANGED, &MainFrame::OnDpiChanged),
        OnNotifyCode<MainFrame>(LVN_ITEMCHANGED, &MainFrame::OnItemChanged),
        OnCommand<MainFrame>(autoReloadCommand, &MainFrame::OnAutoReload),
        OnCommand<MainFrame>(settingsCommand, &MainFrame::OnSettings),
        OnCommand<MainFrame>(cutCommand, &MainFrame::OnEditCommand),
        OnCommand<MainFrame>(copyCommand, &MainFrame::OnEditCommand),
        OnCommand<MainFrame>(pasteCommand, &MainFrame::OnEditCommand),
        OnCommand<MainFrame>(undoCommand, &MainFrame::OnEditCommand),
        OnCommand<MainFrame>(sendCommand, &MainFrame::OnSend),
        OnCommand<MainFrame>(reloadKeyCommand, &MainFrame::OnIgnoredKey),
        OnCommand<MainFrame>(focusDetailCommand, &MainFrame::OnFocusDetail),
        OnCommand<MainFrame>(focusComposeCommand, &MainFrame::OnFocusCompose),
        OnCommand<MainFrame>(focusComposeHomeCommand, &MainFrame::OnFocusCompose),
        OnMessage<MainFrame>(WM_ACTIVATE, &MainFrame::OnActivate),
        OnMessage<MainFrame>(loginFailedMessage, &MainFrame::OnLoginFailed),
        OnMessage<MainFrame>(WM_DESTROY, &MainFrame::OnDestroy),
        OnCommand<MainFrame>(findCommand, &MainFrame::OnFind),
        OnCommand<MainFrame>(findNextCommand, &MainFrame::OnFindAgain),
        OnCommand<MainFrame>(findPreviousCommand, &MainFrame::OnFindAgain),
    };
    if (DispatchMessageMap(*this, messageMap, message, wParam, lParam, result))
        return true;
    if (ProcessFrameMessage(message, wParam, lParam, result))
        return true;
    if (ReflectNotifications(window, message, wParam, lParam, result))
        return true;
    // The row height of the owner-drawn list comes from this unreflected
    // request, which the list itself answers.
    if (message == WM_MEASUREITEM && reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_LISTVIEW)
        return timelineView.ProcessWindowMessage(timelineView, message, wParam, lParam, result);
    return false;
}

BOOL MainFrame::PreTranslateMessage(MSG* message)
{
    // The find box's keys are its own (Ctrl+C copies its text), but for F3
    // and Ctrl+F.
    if (findBox.PreTranslate(message))
        return TRUE;
    return accelerators != nullptr && ::TranslateAcceleratorA(handle, accelerators, message);
}

BOOL MainFrame::OnIdle()
{
    UIUpdateToolBar();
    return FALSE;
}

LRESULT MainFrame::OnCreate(UINT, WPARAM, LPARAM, bool&)
{
    const HMENU menu = GetMenu();
    SetMenu(nullptr);
    if (menu != nullptr)
        ::DestroyMenu(menu);

    serviceSession.SetToken("");
    // Posts of the process before this window are not its to report.
    postsSentSeen = PostsStarted();
    postsFailedSeen = PostsFailed();
    // A missing settings file (or none at all) gives the defaults.
    SettingValues saved;
    ReadSettingValues(iniPath, saved);
    readingPlace.LoadMark(iniPath);
    ApplySavedSettings(saved);
    if ((saved.user[0] == 0 || saved.password[0] == 0) && ShowSettingsDialog(saved))
        ApplySavedSettings(saved);

    dpi = WindowDpi(handle);
    CreateBars();
    CreatePanes();

    UIAddToolBar(toolBar);
    if (CMessageLoop* loop = appModule.GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }

    TakeBackDrafts();
    timelineView.listRefreshEnabled = 1;
    fetchPending = true;
    StartFetch();
    ShowStatusLine();

    SetTimer(reloadTimerId, 1000);
    detailView.ClearLabels();
    return 0;
}

// Steps of creation that build the toolbar in its rebar and the status bar.
void MainFrame::CreateBars()
{
    CreateToolBar();
    CreateSimpleReBarCtrl(barStyle | RBS_VARHEIGHT | RBS_BANDBORDERS | RBS_AUTOSIZE | CCS_NODIVIDER);
    ShowToolBar();

    UISetCheck(autoReloadCommand, true);

    statusBar = statusBarCtrl.Create(handle, readyString, barStyle | SBARS_SIZEGRIP, statusBarId);
    statusBarCtrl.SetDpi(dpi);
    const int panes[] = {CMultiPaneStatusBarCtrl::defaultPaneId, countPaneString, unreadPaneString};
    statusBarCtrl.SetPanes(panes, 3);
    statusBarCtrl.SetPaneText(CMultiPaneStatusBarCtrl::defaultPaneId, StatusLine::readyText);
    statusBarCtrl.SetPaneText(countPaneString, "");
}

// The toolbar at the frame's DPI: the strip of pictures nearest it, the
// toolbar's font scaled to it, and buttons sized for both.
void MainFrame::CreateToolBar()
{
    toolBar = CreateSimpleToolBarCtrl(mainFrameResource,
                                      barStyle | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_TOOLTIPS
                                          | TBSTYLE_FLAT | TBSTYLE_LIST,
                                      topBarId, toolBarStrips, toolBarStripCount, dpi);
    // The toolbar's own font is made for the system DPI.
    toolBarFont.Attach(toolBar, SystemDpi());
    toolBarFont.SetDpi(dpi);
    FitToolBarButtons(toolBar, dpi);
}

// The toolbar in a band of the rebar, with the buttons that show text.
void MainFrame::ShowToolBar()
{
    AddSimpleReBarBand(toolBar, true);
    const UINT textButtons[] = {settingsCommand, autoReloadCommand, findCommand};
    ShowButtonTexts(appModule.GetResourceInstance(), toolBar, textButtons, 3);
    FitToolBarBand(topBar, toolBar);
}

// A toolbar takes the size of its pictures only before it has any, so a new
// one made at the new DPI takes the old one's place; the command-UI table
// gives it the checked states at once.
void MainFrame::RebuildToolBar()
{
    UIRemoveToolBar(toolBar);
    RemoveToolBarBand(topBar, toolBar);
    ::DestroyWindow(toolBar);
    CreateToolBar();
    ShowToolBar();
    UIAddToolBar(toolBar);
    UIUpdateToolBar();
}

// The bars at a new DPI: the toolbar made anew, the status bar's font and
// panes, the splitters' bars. The frame lays them out when it is sized.
void MainFrame::SetBarsDpi()
{
    RebuildToolBar();
    statusBarCtrl.SetDpi(dpi);
    outerSplitter.SetDpi(dpi);
    innerSplitter.SetDpi(dpi);
}

// Steps of creation that build the splitters and the three panes.
void MainFrame::CreatePanes()
{
    clientWindow = outerSplitter.Create(handle, barStyle);
    innerSplitter.Create(outerSplitter, barStyle);
    outerSplitter.SetDpi(dpi);
    innerSplitter.SetDpi(dpi);
    detailView.dpi = dpi;
    composeView.dpi = dpi;
    timelineView.dpi = dpi;
    findBox.dpi = dpi;
    Icons().SetImageSizes(ScaleToDpi(smallPictureSize, dpi), ScaleToDpi(largePictureSize, dpi));
    detailView.Create(outerSplitter);
    composeView.Create(innerSplitter);
    timelineView.Create(innerSplitter, timelineListId);

    outerSplitter.SetMinimumPaneSize(ScaleToDpi(detailMinimum, dpi));
    outerSplitter.SetSplitterPos(ScaleToDpi(detailMinimum, dpi));
    outerSplitter.SetSplitterPanes(detailView, innerSplitter);
    outerSplitter.SetDefaultActivePane(1);

    timelineView.Setup(Icons().SmallIcons(), &composeView, &shownTimeline, &readingPlace);

    UpdateLayout();

    innerSplitter.SetMinimumPaneSize(ScaleToDpi(composeMinimum, dpi));
    innerSplitter.SetSplitterPos(ScaleToDpi(innerBarStart, dpi));
    innerSplitter.SetSplitterPanes(timelineView, composeView);
}

bool MainFrame::ShowSettingsDialog(SettingValues& saved)
{
    SettingsDialog dialog(iniPath, settingsUnsaved ? &settings : nullptr);
    ++dialogsOpen;
    const bool done = dialog.DoModal(::GetActiveWindow()) == 1;
    --dialogsOpen;
    if (!done)
        return false;
    saved = dialog.Values();
    settingsUnsaved = !dialog.Stored();
    return true;
}

LRESULT MainFrame::OnTimer(UINT, WPARAM wParam, LPARAM, bool&)
{
    if (wParam == findTimerId) {
        OnFindTick();
        return 0;
    }
    if (wParam == muteTimerId) {
        OnMuteTick();
        return 0;
    }
    OnReloadTick();
    return 0;
}

// The window moved to a display of another DPI (or that display's scale
// changed): fonts, panes, bars and pictures are laid out anew at the new DPI,
// splitter bars keep their place in proportion, and the window takes the
// rectangle the system suggests. A find box already shown stays where it is.
LRESULT MainFrame::OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, bool&)
{
    const UINT oldDpi = dpi;
    dpi = HIWORD(wParam) != 0 ? HIWORD(wParam) : defaultDpi;
    // Read before the bars change height, which resizes the splitters.
    const int outer = ::MulDiv(outerSplitter.GetSplitterPos(), static_cast<int>(dpi), static_cast<int>(oldDpi));
    const int inner = ::MulDiv(innerSplitter.GetSplitterPos(), static_cast<int>(dpi), static_cast<int>(oldDpi));
    Icons().SetImageSizes(ScaleToDpi(smallPictureSize, dpi), ScaleToDpi(largePictureSize, dpi));
    detailView.SetDpi(dpi);
    composeView.SetDpi(dpi);
    timelineView.SetDpi(dpi);
    findBox.dpi = dpi;
    outerSplitter.SetMinimumPaneSize(ScaleToDpi(detailMinimum, dpi));
    innerSplitter.SetMinimumPaneSize(ScaleToDpi(composeMinimum, dpi));
    SetBarsDpi();
    const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(nullptr, suggested, SWP_NOZORDER | SWP_NOACTIVATE);
    // The bars' heights changed even where the window's size did not.
    UpdateLayout();
    outerSplitter.SetSplitterPos(outer);
    innerSplitter.SetSplitterPos(inner);
    ::RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return 0;
}

// A status the user selected (with the mouse, the keys, a find) is read;
// the refresh's own selection of the newest at the top reads nothing.
LRESULT MainFrame::OnItemChanged(UINT, WPARAM, LPARAM lParam, bool&)
{
    const NMLISTVIEW& change = *reinterpret_cast<const NMLISTVIEW*>(lParam);
    const bool selected = (change.uNewState & LVIS_SELECTED) != 0 && (change.uOldState & LVIS_SELECTED) == 0;
    if (selected && !selectingByProgram && change.hdr.hwndFrom == timelineView.handle
        && readingPlace.Read(change.iItem)) {
        timelineView.RedrawItems(change.iItem, change.iItem);
        ShowCounts();
    }
    ShowSelectedStatus();
    return 0;
}

// What is kept at exit is written while the window still has it: the read
// mark, and what the user wrote and has not got onto the site (the compose
// box and the failed posts waiting), which the next start gives back.
LRESULT MainFrame::OnDestroy(UINT, WPARAM, LPARAM, bool& handled)
{
    readingPlace.SaveMark(iniPath, true);
    Drafts drafts;
    drafts.compose = {composeView.Text(), composeView.ReplyTo()};
    FailedPost post;
    while (TakeFailedPost(post))
        drafts.failed.push_back(post);
    if (!SaveDrafts(iniPath, drafts)) {
        for (auto failed = drafts.failed.rbegin(); failed != drafts.failed.rend(); ++failed)
            KeepFailedPost(*failed);
    }
    handled = false;
    return 0;
}

// What the last run kept: the box gets its text back at once, the failed
// posts come back through the queue, one a tick, as any failed post does.
void MainFrame::TakeBackDrafts()
{
    Drafts drafts;
    TakeDrafts(iniPath, drafts);
    if (!drafts.compose.text.empty())
        composeView.GiveBack(drafts.compose.text.c_str(), drafts.compose.inReplyTo.c_str());
    for (auto failed = drafts.failed.rbegin(); failed != drafts.failed.rend(); ++failed)
        KeepFailedPost(*failed);
}

LRESULT MainFrame::OnAutoReload(UINT, WPARAM, LPARAM, bool&)
{
    UISetCheck(autoReloadCommand, !UIGetCheck(autoReloadCommand));
    serviceSession.loginState = LoginReady;
    return 0;
}

// Saved values apply at once: the interval at the next reload decision, a
// new account at once.
LRESULT MainFrame::OnSettings(UINT, WPARAM, LPARAM, bool&)
{
    SettingValues saved;
    if (ShowSettingsDialog(saved))
        ApplySavedSettings(saved);
    return 0;
}

// Each acts on the edit control that has the focus: the detail pane, read
// only, takes copy alone; the compose box takes every one, and takes them
// too when the focus is anywhere else (the list).
LRESULT MainFrame::OnEditCommand(UINT, WPARAM wParam, LPARAM, bool&)
{
    static const UINT editMessages[][2] = {
        {cutCommand, WM_CUT}, {copyCommand, WM_COPY}, {pasteCommand, WM_PASTE}, {undoCommand, EM_UNDO}};
    const UINT command = LOWORD(wParam);
    const bool inDetail = ::GetFocus() == detailView.Edit().handle;
    if (inDetail && command != copyCommand)
        return 0;
    const CRichEditCtrl& target = inDetail ? detailView.Edit() : composeView.Edit();
    for (const auto& entry : editMessages) {
        if (command == entry[0])
            target.SendMessage(entry[1]);
    }
    return 0;
}

LRESULT MainFrame::OnSend(UINT, WPARAM, LPARAM, bool&)
{
    composeView.SendStatus();
    return 0;
}

LRESULT MainFrame::OnIgnoredKey(UINT, WPARAM, LPARAM, bool&)
{
    return 0;
}

LRESULT MainFrame::OnFocusDetail(UINT, WPARAM, LPARAM, bool&)
{
    ::SetFocus(detailView);
    return 0;
}

LRESULT MainFrame::OnFocusCompose(UINT, WPARAM, LPARAM, bool&)
{
    ::SetFocus(composeView);
    return 0;
}

// Left to the system, activation puts the focus on the frame, which hands it
// to the list: the control that had it gets it back instead.
LRESULT MainFrame::OnActivate(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    const HWND focus = ::GetFocus();
    if (LOWORD(wParam) == WA_INACTIVE) {
        if (focus != nullptr && ::IsChild(handle, focus))
            focusBeforeDeactivation = focus;
        handled = false;
        return 0;
    }
    if (HIWORD(wParam) != 0 || focusBeforeDeactivation == nullptr || !::IsChild(handle, focusBeforeDeactivation)) {
        handled = false;
        return 0;
    }
    ::SetFocus(focusBeforeDeactivation);
    return 0;
}
