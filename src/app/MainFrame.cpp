#include "MainFrame.h"

#include "CToolBarCtrl.h"
#include "IconCache.h"
#include "ResourceIds.h"
#include "ServiceSession.h"
#include "SettingsDialog.h"
#include "TimelineModel.h"
#include "TimelineWorker.h"

#include <cstring>

namespace {

const CUpdateUIBase::Entry updateUIMap[] = {
    {autoReloadCommand, CUpdateUIBase::toolBarElement},
};

const UINT timelineListId = 0xE900;
const int detailMinimum = 80;
const int composeMinimum = 48;
const int innerBarStart = 500;

const char receivingText[] = "タイムライン受信中 ...";

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
        OnNotifyCode<MainFrame>(LVN_ITEMCHANGED, &MainFrame::OnItemChanged),
        OnCommand<MainFrame>(autoReloadCommand, &MainFrame::OnAutoReload),
        OnCommand<MainFrame>(settingsCommand, &MainFrame::OnSettings),
        OnCommand<MainFrame>(cutCommand, &MainFrame::OnEditCommand),
        OnCommand<MainFrame>(copyCommand, &MainFrame::OnEditCommand),
        OnCommand<MainFrame>(pasteCommand, &MainFrame::OnEditCommand),
        OnCommand<MainFrame>(sendCommand, &MainFrame::OnSend),
        OnCommand<MainFrame>(reloadKeyCommand, &MainFrame::OnIgnoredKey),
        OnCommand<MainFrame>(focusDetailCommand, &MainFrame::OnFocusDetail),
        OnCommand<MainFrame>(focusComposeCommand, &MainFrame::OnFocusCompose),
        OnCommand<MainFrame>(focusComposeHomeCommand, &MainFrame::OnFocusCompose),
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
    ReadSettings();
    ServiceSession::Text user;
    ServiceSession::Text password;
    serviceSession.GetUser(user);
    serviceSession.GetPassword(password);
    if (user[0] == 0 || password[0] == 0) {
        SettingsDialog dialog(iniPath);
        if (dialog.DoModal(::GetActiveWindow()) == 1)
            ReadSettings();
    }

    CreateBars();
    CreatePanes();

    UIAddToolBar(toolBar);
    if (CMessageLoop* loop = appModule.GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }

    timelineView.listRefreshEnabled = 1;
    serviceSession.loginState = LoginReady;
    serviceSession.fetchBusy = 1;
    SetStatusText(receivingText);
    StartTimelineFetch();

    SetTimer(reloadTimerId, 1000);
    detailView.ClearLabels();
    return 0;
}

// Steps of creation that build the toolbar in its rebar and the status bar.
void MainFrame::CreateBars()
{
    toolBar = CreateSimpleToolBarCtrl(mainFrameResource,
                                                 barStyle | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN
                                                     | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT | TBSTYLE_LIST);
    CreateSimpleReBarCtrl(barStyle | RBS_VARHEIGHT | RBS_BANDBORDERS | RBS_AUTOSIZE | CCS_NODIVIDER);
    AddSimpleReBarBand(toolBar, true);

    // Only the buttons given a show-text style show their text.
    const CToolBarCtrl buttons(toolBar);
    buttons.SetExtendedStyle(TBSTYLE_EX_MIXEDBUTTONS);
    for (UINT command : {settingsCommand, autoReloadCommand, findCommand}) {
        char text[64] = "";
        if (!LoadShortName(appModule.GetResourceInstance(), command, text, sizeof text - 1))
            ::LoadStringA(appModule.GetResourceInstance(), command, text, sizeof text - 1);
        text[std::strlen(text) + 1] = 0; // the string list ends with two NULs
        const int index = buttons.CommandToIndex(command);
        TBBUTTON button;
        if (index < 0 || !buttons.GetButton(index, &button))
            continue;
        button.iString = buttons.AddString(text);
        button.fsStyle |= BTNS_SHOWTEXT | BTNS_AUTOSIZE;
        buttons.DeleteButton(index);
        buttons.InsertButton(index, button);
    }
    FitToolBarBand(topBar, toolBar);

    UISetCheck(autoReloadCommand, true);

    statusBar = statusBarCtrl.Create(handle, readyString, barStyle | SBARS_SIZEGRIP, statusBarId);
    const int panes[] = {CMultiPaneStatusBarCtrl::defaultPaneId, countPaneString};
    statusBarCtrl.SetPanes(panes, 2);
    statusBarCtrl.SetPaneText(CMultiPaneStatusBarCtrl::defaultPaneId, "Ready");
    statusBarCtrl.SetPaneText(countPaneString, "");
}

// Steps of creation that build the splitters and the three panes.
void MainFrame::CreatePanes()
{
    clientWindow = outerSplitter.Create(handle, barStyle);
    innerSplitter.Create(outerSplitter, barStyle);
    detailView.Create(outerSplitter);
    composeView.Create(innerSplitter);
    timelineView.Create(innerSplitter, timelineListId);

    outerSplitter.SetMinimumPaneSize(detailMinimum);
    outerSplitter.SetSplitterPos(detailMinimum);
    outerSplitter.SetSplitterPanes(detailView, innerSplitter);
    outerSplitter.SetDefaultActivePane(1);

    timelineView.Setup(Icons().SmallIcons(), composeView.Edit(), &shownTimeline);

    UpdateLayout();

    innerSplitter.SetMinimumPaneSize(composeMinimum);
    innerSplitter.SetSplitterPos(innerBarStart);
    innerSplitter.SetSplitterPanes(timelineView, composeView);
}

void MainFrame::ReadSettings()
{
    // A missing settings file (or none at all) gives the defaults.
    char user[256] = "";
    char password[256] = "";
    char interval[256] = "30";
    ReadSetting(iniPath, accountSection, userKey, "", user, sizeof user);
    ReadSetting(iniPath, accountSection, passwordKey, "", password, sizeof password);
    ReadSetting(iniPath, reloadSection, reloadIntervalKey, defaultReloadInterval, interval, sizeof interval);
    serviceSession.SetUser(user);
    serviceSession.SetPassword(password);
    reloadInterval = ReloadIntervalFrom(interval);
}

void MainFrame::SetStatusText(const char* text)
{
    statusBarCtrl.SetPaneText(CMultiPaneStatusBarCtrl::defaultPaneId, text);
}

LRESULT MainFrame::OnTimer(UINT, WPARAM wParam, LPARAM, bool&)
{
    if (wParam == findTimerId) {
        OnFindTick();
        return 0;
    }
    OnReloadTick();
    return 0;
}

LRESULT MainFrame::OnItemChanged(UINT, WPARAM, LPARAM, bool&)
{
    ShowSelectedStatus();
    return 0;
}

LRESULT MainFrame::OnAutoReload(UINT, WPARAM, LPARAM, bool&)
{
    UISetCheck(autoReloadCommand, !UIGetCheck(autoReloadCommand));
    serviceSession.loginState = LoginReady;
    return 0;
}

LRESULT MainFrame::OnSettings(UINT, WPARAM, LPARAM, bool&)
{
    SettingsDialog dialog(iniPath);
    if (dialog.DoModal(::GetActiveWindow()) != 1)
        return 0;
    // Saved values apply at once: the interval at the next reload decision,
    // a new account at the next fetch, which signs in anew.
    ServiceSession::Text oldUser;
    ServiceSession::Text oldPassword;
    serviceSession.GetUser(oldUser);
    serviceSession.GetPassword(oldPassword);
    ReadSettings();
    ServiceSession::Text user;
    ServiceSession::Text password;
    serviceSession.GetUser(user);
    serviceSession.GetPassword(password);
    if (std::strcmp(user, oldUser) != 0 || std::strcmp(password, oldPassword) != 0)
        serviceSession.SetToken("");
    return 0;
}

LRESULT MainFrame::OnEditCommand(UINT, WPARAM wParam, LPARAM, bool&)
{
    static const UINT editMessages[][2] = {{cutCommand, WM_CUT}, {copyCommand, WM_COPY}, {pasteCommand, WM_PASTE}};
    for (const auto& entry : editMessages) {
        if (LOWORD(wParam) == entry[0])
            composeView.Edit().SendMessage(entry[1]);
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
