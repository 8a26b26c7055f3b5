#include "FrameHarness.h"
#include "ResourceIds.h"
#include "ServiceSession.h"
#include "SiteControl.h"
#include "TimelineModel.h"
#include "TimelineReader.h"
#include "FetchCycle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace {

class Refresh : public testing::Test {
protected:
    void SetUp() override
    {
        SiteControl::Reset();
        SiteControl::Post("account", "user=reader&password=secret");
        FrameHarness::WriteAccount("reader", "secret", "30");
    }

    void TearDown() override { FrameHarness::WriteSettings(""); }

    MainFrame& Frame() { return harness.Frame(); }
    CListViewCtrl List() { return CListViewCtrl(Frame().timelineView); }

    // Adds statuses newer than all before; the last one added is newest.
    void AddStatuses(int count)
    {
        for (int i = 0; i < count; ++i) {
            const std::string text = "status " + std::to_string(texts.size() + 1) + " のテキスト";
            newest = AddNewestStatus("writer" + std::to_string(i % 3), text);
            ASSERT_FALSE(newest.empty());
            texts[newest] = text;
        }
    }

    void Start(int statuses)
    {
        AddStatuses(statuses);
        ASSERT_TRUE(harness.Create());
        ASSERT_TRUE(harness.PumpUntilShown(newest, 20000));
    }

    // The next tick is a reload decision; returns once its fetch is shown.
    void FetchNow()
    {
        const int fetches = SiteControl::CountInLog("GET / ");
        Frame().tickCount = Frame().reloadInterval + 1;
        ASSERT_TRUE(harness.Pump([&] { return SiteControl::CountInLog("GET / ") > fetches; }, 20000));
        ASSERT_TRUE(harness.PumpUntilShown(newest, 20000));
    }

    // The status texts of the list's rows (any thread may ask).
    std::string RowText(int row)
    {
        char text[512] = "";
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = 1;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        List().GetItem(&item);
        return text;
    }

    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        for (int row = 0; row < List().GetItemCount(); ++row)
            rows.push_back(RowText(row));
        return rows;
    }

    std::string IdAt(int row)
    {
        TimelineEntry entry = {};
        return Frame().shownTimeline.GetEntry(row, entry) ? entry.statusId : "";
    }

    // The detail pane shows a status's text with a line break after it.
    std::string DetailText()
    {
        char text[512] = "";
        Frame().detailView.Edit().GetWindowText(text, sizeof text);
        return text;
    }

    std::vector<COLORREF> ListPixels()
    {
        List().Invalidate(true);
        List().UpdateWindow();
        RECT rect;
        List().GetClientRect(&rect);
        ::MapWindowPoints(List(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
        return harness.SettledPixels(rect);
    }

    FrameHarness harness;
    std::map<std::string, std::string> texts; // status id to text
    std::string newest;
};

TEST_F(Refresh, FirstFetchFillsTheListAndAnEmptyFetchChangesNothing)
{
    const int before = TimelineReaderOf().GetCount();
    Start(20);
    MainFrame& frame = Frame();
    EXPECT_EQ("ツイート " + std::to_string(before + 20) + " 件", PaneText(frame, countPaneString));
    EXPECT_EQ(before + 20, List().GetItemCount());
    EXPECT_EQ(0, List().GetSelectedIndex());
    EXPECT_EQ(newest, IdAt(0));
    EXPECT_EQ(texts[newest], RowText(0));
    EXPECT_EQ(texts[newest] + "\r\n", DetailText());

    List().SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    harness.PumpPending();
    const std::vector<std::string> rows = Rows();
    const std::string detail = DetailText();
    FetchNow();
    EXPECT_EQ("ツイート " + std::to_string(before + 20) + " 件", PaneText(frame, countPaneString));
    EXPECT_EQ(rows, Rows());
    EXPECT_EQ(3, List().GetSelectedIndex());
    EXPECT_EQ(detail, DetailText());
}

// The view holds still while statuses arrive: the status at its top keeps
// its place on the screen unless the view shows row 0, the selected status
// stays selected, and the view never scrolls to it by itself. Only at the
// top with row 0 selected (or nothing) does the newest become selected. The
// arrivals are unread, and pane 2 counts them.
TEST_F(Refresh, ViewHoldsStillWhileStatusesArrive)
{
    Start(30);
    MainFrame& frame = Frame();
    // Short enough that row 8 is out of view while row 0 is at the top.
    RECT rect;
    frame.GetWindowRect(&rect);
    frame.SetWindowPos(nullptr, RECT{rect.left, rect.top, rect.right, rect.top + 420}, SWP_NOZORDER);
    harness.PumpPending();
    ASSERT_LT(List().GetCountPerPage(), 8);

    struct Case {
        int top;      // the view's top row before
        int selected; // -1: the selection is cleared
        int arriving;
        int topAfter;
        int selectedAfter;
        bool newestSelected;
    };
    const Case cases[] = {
        {5, 0, 3, 8, 3, false}, // scrolled down: all holds still
        {0, 5, 3, 0, 8, false}, // at the top: the newest come into view
        {0, 0, 2, 0, 0, true},  // reading at the top: the newest selected
        {0, -1, 1, 0, 0, true},
        {4, -1, 2, 6, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.top) + " / " + std::to_string(c.selected));
        List().EnsureVisible(0, false);
        if (c.selected >= 0)
            List().SetItemState(c.selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        else
            List().SetItemState(-1, 0, LVIS_SELECTED);
        Frame().timelineView.ScrollTopTo(c.top);
        harness.PumpPending();
        ASSERT_EQ(c.top, List().GetTopIndex());
        const std::string topId = IdAt(c.top);
        const std::string chosen = c.selected >= 0 ? IdAt(c.selected) : "";

        // Selecting a row above read it, if it was unread.
        const int unread = Frame().readingPlace.UnreadCount() + c.arriving;
        AddStatuses(c.arriving);
        FetchNow();
        EXPECT_EQ(c.topAfter, List().GetTopIndex());
        EXPECT_EQ(c.newestSelected ? 0 : c.selectedAfter, List().GetSelectedIndex());
        if (c.top > 0) {
            EXPECT_EQ(topId, IdAt(c.topAfter));
        }
        if (c.selectedAfter >= 0) {
            EXPECT_EQ(c.newestSelected ? newest : chosen, IdAt(c.selectedAfter));
            EXPECT_EQ(texts[IdAt(c.selectedAfter)] + "\r\n", DetailText());
        }
        // The program's own selection reads nothing.
        EXPECT_EQ("未読 " + std::to_string(unread) + " 件", PaneText(frame, unreadPaneString));
    }
}

// The reading keys, while the list has the focus: Space selects the oldest
// unread status (and reads it), beeping when there is none; J the next
// older, K the next newer one. Typed into the compose box they are text.
TEST_F(Refresh, SpaceReadsTheOldestUnreadAndJAndKMoveByOne)
{
    Start(10);
    MainFrame& frame = Frame();
    AddStatuses(3);
    FetchNow();
    ASSERT_EQ("未読 3 件", PaneText(frame, unreadPaneString));
    List().SetFocus();
    ASSERT_TRUE(harness.Press({VK_SPACE}));
    EXPECT_EQ(2, List().GetSelectedIndex());
    EXPECT_EQ("未読 2 件", PaneText(frame, unreadPaneString));
    ASSERT_TRUE(harness.Press({'J'}));
    EXPECT_EQ(3, List().GetSelectedIndex());
    ASSERT_TRUE(harness.Press({'K'}));
    ASSERT_TRUE(harness.Press({'K'}));
    EXPECT_EQ(1, List().GetSelectedIndex());
    EXPECT_EQ("未読 1 件", PaneText(frame, unreadPaneString));
    ASSERT_TRUE(harness.Press({VK_SPACE}));
    ASSERT_TRUE(harness.Press({VK_SPACE})); // none left: a beep, nothing moves
    EXPECT_EQ(0, List().GetSelectedIndex());
    EXPECT_EQ("", PaneText(frame, unreadPaneString));

    ::SetFocus(frame.composeView.Edit().handle);
    ASSERT_TRUE(harness.Press({'J', VK_SPACE, 'K'}));
    EXPECT_EQ(0, List().GetSelectedIndex());
    EXPECT_EQ("j k", WindowText(frame.composeView.Edit().handle));
}

// The read mark (the newest status the user read) is kept in the settings
// file when the program ends; at the next start the statuses newer than it
// are unread. A value that is no status id is ignored.
TEST_F(Refresh, ReadMarkSurvivesARestart)
{
    Start(6);
    List().SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    const std::string read = IdAt(3);
    harness.Close();
    char mark[32] = "";
    ::GetPrivateProfileStringA("TWITTER", "LAST_READ", "", mark, sizeof mark, FrameHarness::SettingsPath().c_str());
    EXPECT_EQ(read, mark);

    AddStatuses(2);
    FrameHarness again;
    ASSERT_TRUE(again.Create());
    ASSERT_TRUE(again.PumpUntilShown(newest, 20000));
    EXPECT_EQ("未読 5 件", PaneText(again.Frame(), unreadPaneString)); // rows 0 to 4 are newer
    again.Close();

    ::WritePrivateProfileStringA("TWITTER", "LAST_READ", "12ab", FrameHarness::SettingsPath().c_str());
    FrameHarness third;
    ASSERT_TRUE(third.Create());
    ASSERT_TRUE(third.PumpUntilShown(newest, 20000));
    EXPECT_EQ("", PaneText(third.Frame(), unreadPaneString));
    third.Close();
}

// A status that mentions the account has a tint of its own; an unread row
// has a bar in the highlight colour along its left edge.
TEST_F(Refresh, MentionsAreTintedAndUnreadRowsMarked)
{
    Start(3);
    const std::string mention = AddNewestStatus("friend", "hello @READER, see this");
    texts[mention] = "hello @READER, see this";
    AddStatuses(1);
    FetchNow();
    ASSERT_EQ(mention, IdAt(1));
    const std::vector<COLORREF> pixels = ListPixels();
    RECT client;
    List().GetClientRect(&client);
    RECT row;
    List().GetItemRect(1, &row, LVIR_BOUNDS);
    const int width = client.right - client.left;
    const auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; };
    const int middle = (row.top + row.bottom) / 2;
    EXPECT_EQ(RGB(255, 240, 200), at(row.right - 20, middle)) << std::hex << at(row.right - 20, middle);
    // The bar's middle: the control draws the row a little in from the edge.
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), at(row.left + 3, middle));
    List().GetItemRect(3, &row, LVIR_BOUNDS);
    EXPECT_NE(::GetSysColor(COLOR_HIGHLIGHT), at(row.left + 3, (row.top + row.bottom) / 2)) << "read before";
    if (const char* folder = std::getenv("LARKSPUR_SCREENSHOTS")) {
        RECT window;
        Frame().GetWindowRect(&window);
        WriteBitmap(std::string(folder) + "\\unread-and-mention.bmp", harness.SettledPixels(window),
                    window.right - window.left, window.bottom - window.top);
    }
}

TEST_F(Refresh, ListWaitsWhileItsMenuIsOpen)
{
    Start(5);
    const std::vector<std::string> rows = Rows();

    // While the menu is open: three statuses fetched, then two ticks seen
    // to pass (each sets pane 0 back to "Ready" over a mark).
    std::vector<std::string> rowsDuringMenu;
    int storedDuringMenu = 0;
    const HWND statusBar = Frame().statusBar;
    const ModalWatcher menu("#32768", nullptr, [&](HWND popup) {
        AddStatuses(3);
        serviceSession.fetchBusy = 1;
        RunTimelineFetch();
        for (int tick = 0; tick < 2; ++tick) {
            ::SendMessageA(statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("mark"));
            char text[64] = "";
            for (const ULONGLONG deadline = ::GetTickCount64() + 5000;
                 std::string(text) != "Ready" && ::GetTickCount64() < deadline; ::Sleep(10))
                ::SendMessageA(statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        }
        rowsDuringMenu = Rows();
        storedDuringMenu = TimelineReaderOf().GetCount();
        ::PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    List().SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List().handle), MAKELPARAM(-1, -1));
    ASSERT_TRUE(harness.Pump([&] { return menu.Seen() == 1; }, 5000));
    EXPECT_EQ(static_cast<int>(rows.size()) + 3, storedDuringMenu);
    EXPECT_EQ(rows, rowsDuringMenu);
    EXPECT_EQ(1, Frame().timelineView.listRefreshEnabled);
    // The first tick after the menu closed brings the new rows.
    EXPECT_TRUE(harness.Pump([&] { return List().GetItemCount() == static_cast<int>(rows.size()) + 3; }, 1500));
    EXPECT_EQ(texts[newest], RowText(0));
}

TEST_F(Refresh, ListFollowsItsViewUntilTheNextTick)
{
    Start(5);
    const std::vector<std::string> rows = Rows();
    const std::vector<COLORREF> painted = ListPixels();
    const int stored = TimelineReaderOf().GetCount();

    // A scrape on this thread: no tick runs until the messages are pumped.
    AddStatuses(2);
    serviceSession.fetchBusy = 1;
    RunTimelineFetch();
    ASSERT_EQ(stored + 2, TimelineReaderOf().GetCount());
    EXPECT_EQ(rows, Rows());
    EXPECT_TRUE(painted == ListPixels());

    ASSERT_TRUE(harness.Pump([&] { return List().GetItemCount() == stored + 2; }, 2000));
    EXPECT_EQ(texts[newest], RowText(0));
    EXPECT_EQ(rows[0], RowText(2));
}

} // namespace
