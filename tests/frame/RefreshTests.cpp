#include "FrameHarness.h"
#include "ResourceIds.h"
#include "ServiceSession.h"
#include "SiteControl.h"
#include "TimelineModel.h"
#include "TimelineReader.h"
#include "FetchCycle.h"

#include <gtest/gtest.h>

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

TEST_F(Refresh, SelectedStatusStaysSelectedAndInView)
{
    Start(20);
    MainFrame& frame = Frame();
    // Short enough that row 8 is out of view while row 0 is at the top.
    RECT rect;
    frame.GetWindowRect(&rect);
    frame.SetWindowPos(nullptr, RECT{rect.left, rect.top, rect.right, rect.top + 420}, SWP_NOZORDER);
    harness.PumpPending();
    ASSERT_LT(List().GetCountPerPage(), 8);

    struct Case {
        int selected; // -1: the selection is cleared
        int arriving;
        int expected;
    };
    const Case cases[] = {{5, 3, 8}, {0, 2, 0}, {-1, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selected);
        List().EnsureVisible(0, false);
        const std::string detail = DetailText();
        if (c.selected >= 0) {
            List().SetItemState(c.selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        } else {
            List().SetItemState(-1, 0, LVIS_SELECTED);
        }
        harness.PumpPending();
        EXPECT_EQ(c.selected >= 0 ? texts[IdAt(c.selected)] + "\r\n" : detail, DetailText());
        const std::string chosen = c.selected > 0 ? IdAt(c.selected) : "";
        List().EnsureVisible(0, false);

        AddStatuses(c.arriving);
        FetchNow();
        ASSERT_EQ(c.expected, List().GetSelectedIndex());
        EXPECT_EQ(chosen.empty() ? newest : chosen, IdAt(c.expected));
        EXPECT_EQ(texts[IdAt(c.expected)] + "\r\n", DetailText());
        const int top = List().GetTopIndex();
        EXPECT_LE(top, c.expected);
        EXPECT_LT(c.expected, top + List().GetCountPerPage());
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
