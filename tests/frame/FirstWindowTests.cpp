#include "FrameHarness.h"
#include "ResourceIds.h"
#include "SiteControl.h"
#include "WindowPlacement.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int HeightOf(HWND window)
{
    RECT rect;
    ::GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

class FirstWindow : public testing::Test {
protected:
    void SetUp() override
    {
        SiteControl::Reset();
        SiteControl::Post("account", "user=frameuser&password=secret");
        FrameHarness::WriteAccount("frameuser", "secret");
        ASSERT_TRUE(harness.Create());
        toolBar = ::GetDlgItem(Frame().topBar, topBarId);
    }

    void TearDown() override { FrameHarness::WriteSettings(""); }

    MainFrame& Frame() { return harness.Frame(); }

    void Resize(int width, int height)
    {
        RECT rect;
        Frame().GetWindowRect(&rect);
        Frame().SetWindowPos(nullptr, RECT{rect.left, rect.top, rect.left + width, rect.top + height}, SWP_NOZORDER);
        harness.PumpPending();
    }

    // Drags a splitter's bar by distance pixels with mouse messages.
    static void DragBar(CSplitterImpl& splitter, int distance)
    {
        const int from = splitter.GetSplitterPos() + 1;
        splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, from));
        splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, from + distance));
        splitter.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, from + distance));
    }

    // The compose pane's share of the height the inner splitter's panes have.
    double ComposeShare()
    {
        RECT inner;
        Frame().innerSplitter.GetClientRect(&inner);
        return static_cast<double>(HeightOf(Frame().composeView)) / (inner.bottom - Frame().innerSplitter.GetBarThickness());
    }

    FrameHarness harness;
    HWND toolBar = nullptr;
};

TEST_F(FirstWindow, OpensSignedInWithItsPanes)
{
    MainFrame& frame = Frame();
    char text[64] = "";
    frame.GetWindowText(text, sizeof text);
    EXPECT_STREQ("Larkspur", text);
    RECT rect;
    frame.GetWindowRect(&rect);
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - 480) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - 610) / 2;
    EXPECT_EQ((std::vector<LONG>{left, top, left + 480, top + 610}),
              (std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}));
    EXPECT_EQ("タイムライン受信中 ...", PaneText(frame, 0));
    EXPECT_EQ("", PaneText(frame, countPaneString));

    // The button shows the check state the idle handler pushed; only three
    // buttons show their text.
    EXPECT_NE(0, ::SendMessageA(toolBar, TB_ISBUTTONCHECKED, autoReloadCommand, 0));
    std::vector<std::string> texts;
    for (int i = 0; i < ::SendMessageA(toolBar, TB_BUTTONCOUNT, 0, 0); ++i) {
        TBBUTTON button = {};
        ::SendMessageA(toolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        text[0] = 0;
        if (button.fsStyle & BTNS_SHOWTEXT)
            ::SendMessageA(toolBar, TB_GETBUTTONTEXTA, button.idCommand, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    EXPECT_EQ((std::vector<std::string>{"自動更新", "", "", "", "", "", "設定", "検索"}), texts);

    // "Name" keeps 150; "Tweet" takes the rest but for the edges and a
    // scroll bar, shown or not.
    EXPECT_EQ(150, frame.timelineView.GetColumnWidth(0));
    frame.timelineView.GetWindowRect(&rect);
    const int chrome = 2 * ::GetSystemMetrics(SM_CXEDGE) + ::GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(rect.right - rect.left - chrome - 150, frame.timelineView.GetColumnWidth(1));
    for (int label : {nameLabelControl, timeLabelControl}) {
        ::GetDlgItemTextA(frame.detailView, label, text, sizeof text);
        EXPECT_STREQ("", text);
    }
    EXPECT_EQ(80, HeightOf(frame.detailView));
    EXPECT_EQ(48, HeightOf(frame.composeView));

    EXPECT_TRUE(harness.Pump([&] { return PaneText(frame, 0) == "Ready"; }, 20000));
    EXPECT_EQ(-1, harness.QuitCode());
    harness.Close();
    EXPECT_EQ(1, harness.QuitCode());
}

std::vector<LONG> Corners(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// The 125 % laptop: 1366 x 768 with a 40-pixel taskbar, where the 600 x 763
// window once opened with its caption above the screen.
TEST_F(FirstWindow, OpensInsideTheWorkArea)
{
    struct Case {
        const char* name;
        SIZE screen;
        RECT workArea;
        SIZE wanted;
        RECT expected;
    };
    const Case cases[] = {
        {"fits: centred", {1280, 1024}, {0, 0, 1280, 984}, {480, 610}, {400, 207, 880, 817}},
        {"fits the width exactly", {1280, 1024}, {0, 0, 1280, 984}, {1280, 610}, {0, 207, 1280, 817}},
        {"centred over the taskbar: moved up", {1024, 768}, {0, 0, 1024, 728}, {600, 720}, {212, 8, 812, 728}},
        {"too tall", {1366, 768}, {0, 0, 1366, 728}, {600, 763}, {383, 0, 983, 728}},
        {"too wide", {800, 600}, {0, 0, 800, 560}, {960, 400}, {0, 100, 800, 500}},
        {"both", {800, 600}, {0, 0, 800, 560}, {960, 1220}, {0, 0, 800, 560}},
        {"taskbar at the top", {1366, 768}, {0, 40, 1366, 768}, {600, 763}, {383, 40, 983, 768}},
        {"taskbar at the left, too wide", {1024, 768}, {62, 0, 1024, 768}, {1100, 600}, {62, 84, 1024, 684}},
        {"taskbar at the left, centred across it", {800, 600}, {200, 0, 800, 600}, {500, 300}, {200, 150, 700, 450}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Corners(c.expected), Corners(PlaceInWorkArea(c.screen, c.workArea, c.wanted))) << c.name;

    // The real frame, asked for more than the screen holds, comes out
    // inside the work area of its monitor, caption and all.
    harness.Close();
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    ASSERT_TRUE(harness.Create(600, screenHeight + 200));
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(::GetMonitorInfoA(::MonitorFromWindow(Frame(), MONITOR_DEFAULTTONEAREST), &monitor));
    RECT rect;
    Frame().GetWindowRect(&rect);
    const RECT& work = monitor.rcWork;
    EXPECT_TRUE(rect.left >= work.left && rect.top >= work.top && rect.right <= work.right && rect.bottom <= work.bottom)
        << rect.left << "," << rect.top << " " << rect.right << "," << rect.bottom;
    EXPECT_EQ(work.bottom - work.top, rect.bottom - rect.top);
}

TEST_F(FirstWindow, ToolbarTipsAndChevron)
{
    MainFrame& frame = Frame();
    const std::pair<UINT, const char*> tips[] = {{settingsCommand, "設定"}, {cutCommand, "切り取り"},
                                                  {copyCommand, "コピー"},  {pasteCommand, "貼り付け"},
                                                  {findCommand, "検索"},    {autoReloadCommand, ""}};
    for (const auto& tip : tips) {
        NMTTDISPINFOA info = {};
        info.hdr = {toolBar, tip.first, static_cast<UINT>(TTN_GETDISPINFOA)};
        frame.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ(tip.second, info.szText) << tip.first;
    }

    // The chevron lists what the band cannot show; the band is narrowed to
    // just past the last button that stays visible.
    std::vector<std::string> items;
    const ModalWatcher menus("#32768", nullptr, [&](HWND menu) {
        const HMENU shown = reinterpret_cast<HMENU>(::SendMessageA(menu, MN_GETHMENU, 0, 0));
        for (int i = 0; i < ::GetMenuItemCount(shown); ++i) {
            char text[64] = "";
            ::GetMenuStringA(shown, i, text, sizeof text, MF_BYPOSITION);
            items.push_back((::GetMenuState(shown, i, MF_BYPOSITION) & MF_SEPARATOR) ? "-" : text);
        }
        ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    const std::pair<int, std::vector<std::string>> cases[] = {
        {0, {"切り取り", "コピー", "貼り付け", "-", "設定", "検索"}},
        {4, {"設定", "検索"}},
        {6, {"検索"}},
        {7, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        RECT button = {};
        ::SendMessageA(toolBar, TB_GETITEMRECT, c.first, reinterpret_cast<LPARAM>(&button));
        // The band's share of the width changes once the chevron shows: aim
        // again until the toolbar is as wide as wanted.
        const int wanted = button.right + 4;
        for (int attempt = 0; attempt < 4; ++attempt) {
            RECT visible;
            RECT window;
            ::GetClientRect(toolBar, &visible);
            frame.GetWindowRect(&window);
            if (visible.right != wanted)
                Resize(window.right - window.left + wanted - visible.right, 610);
        }
        const int seen = menus.Seen();
        items.clear();
        NMREBARCHEVRON chevron = {};
        chevron.hdr = {frame.topBar, topBarId, static_cast<UINT>(RBN_CHEVRONPUSHED)};
        ::SendMessageA(frame.topBar, RB_GETRECT, 0, reinterpret_cast<LPARAM>(&chevron.rc));
        frame.SendMessage(WM_NOTIFY, topBarId, reinterpret_cast<LPARAM>(&chevron));
        EXPECT_EQ(!c.second.empty(), harness.Pump([&] { return menus.Seen() > seen; }, c.second.empty() ? 300 : 5000));
        EXPECT_EQ(c.second, items);
    }
}

TEST_F(FirstWindow, ResizingKeepsColumnsAndPanes)
{
    MainFrame& frame = Frame();
    const int tweetWidth = frame.timelineView.GetColumnWidth(1);
    const double share = ComposeShare();
    Resize(680, 810);
    EXPECT_EQ(150, frame.timelineView.GetColumnWidth(0));
    EXPECT_EQ(tweetWidth + 200, frame.timelineView.GetColumnWidth(1));
    EXPECT_EQ(80, HeightOf(frame.detailView));
    EXPECT_GT(HeightOf(frame.composeView), 48);
    EXPECT_NEAR(share, ComposeShare(), 0.01);

    // A dragged bar keeps its new proportion through the next resize.
    const int compose = HeightOf(frame.composeView);
    DragBar(frame.innerSplitter, -100);
    EXPECT_EQ(compose + 100, HeightOf(frame.composeView));
    const double dragged = ComposeShare();
    Resize(680, 610);
    EXPECT_NEAR(dragged, ComposeShare(), 0.01);

    // No pane goes below its splitter's minimum, dragged or squeezed. The
    // outer bar at its lowest leaves the inner splitter 80 pixels, too few
    // for two panes of 48: the compose pane keeps its minimum then.
    struct Case {
        CSplitterImpl* splitter;
        int distance;
        int frameHeight;
        int listMinimum;
    };
    const Case cases[] = {
        {&frame.outerSplitter, -2000, 610, 48}, {&frame.outerSplitter, 2000, 610, 28},
        {&frame.innerSplitter, -2000, 610, 48}, {&frame.innerSplitter, 2000, 610, 48},
        {&frame.innerSplitter, 2000, 330, 48},  {&frame.innerSplitter, -2000, 330, 48},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.splitter == &frame.outerSplitter ? "outer " : "inner ") << c.distance
                                        << " in " << c.frameHeight);
        Resize(680, 610);
        DragBar(frame.outerSplitter, -2000);
        DragBar(*c.splitter, c.distance);
        Resize(680, c.frameHeight);
        EXPECT_GE(HeightOf(frame.detailView), 80);
        EXPECT_GE(HeightOf(frame.innerSplitter), 80);
        EXPECT_GE(HeightOf(frame.timelineView), c.listMinimum);
        EXPECT_GE(HeightOf(frame.composeView), 48);
    }
}

TEST_F(FirstWindow, SystemMenuPromptsInTheStatusBar)
{
    MainFrame& frame = Frame();
    const HMENU systemMenu = ::GetSystemMenu(frame, FALSE);
    const std::string paneText = PaneText(frame, 0);
    const std::pair<UINT, const char*> prompts[] = {
        {SC_SIZE, "Change the window size"},
        {SC_MOVE, "Change the window position"},
        {SC_MINIMIZE, "Reduce the window to an icon"},
        {SC_MAXIMIZE, "Enlarge the window to full size"},
        {SC_CLOSE, "Close the active window and prompts to save the documents"},
        {SC_RESTORE, "Restore the window to normal size"},
    };
    for (const auto& prompt : prompts) {
        frame.SendMessage(WM_MENUSELECT, MAKEWPARAM(prompt.first, MF_SYSMENU), reinterpret_cast<LPARAM>(systemMenu));
        EXPECT_NE(0, ::SendMessageA(frame.statusBar, SB_ISSIMPLE, 0, 0));
        char text[256] = "";
        ::SendMessageA(frame.statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(prompt.second, text);
    }
    // The menu closing brings the panes back.
    frame.SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(0, ::SendMessageA(frame.statusBar, SB_ISSIMPLE, 0, 0));
    EXPECT_EQ(paneText, PaneText(frame, 0));
}

} // namespace
