#include "FrameHarness.h"
#include "ResourceIds.h"
#include "SiteControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Rows, newest first: "heron" stands in rows 4 and 6; row 5 holds a kana
// whose trail byte is 'a' before "zz", and row 7 "Jazz"; row 3's author is
// named "Kingfisher Club".
class Find : public testing::Test {
protected:
    void SetUp() override
    {
        SiteControl::Reset();
        std::string newest;
        for (const char* text : {"Jazz night at the station", "A HERON again, by the river", "ヂzz",
                                 "the heron landed", "morning tea", "lunch", "evening", "night"}) {
            const bool named = std::string(text) == "morning tea";
            newest = AddNewestStatus(named ? "kingfish" : "finder", text, named ? "Kingfisher Club" : "");
            ASSERT_FALSE(newest.empty());
        }
        FrameHarness::UseAccount("finder");
        ASSERT_TRUE(harness.Create());
        ASSERT_TRUE(harness.PumpUntilShown(newest, 30000));
        ::SetForegroundWindow(Frame());
        harness.PumpPending();
    }

    void TearDown() override { FrameHarness::WriteSettings(""); }

    MainFrame& Frame() { return harness.Frame(); }
    HWND BoxEdit() { return ::GetDlgItem(Frame().findBox, findTextControl); }
    std::string BoxState() { return WindowText(::GetDlgItem(Frame().findBox, findStateControl)); }

    void Press(const std::vector<WORD>& keys) { ASSERT_TRUE(harness.Press(keys)); }

    // Presses keys that start a find and waits until the box tells how it
    // went; returns pane 0 then.
    std::string FindWith(const std::vector<WORD>& keys)
    {
        Frame().findBox.SetState("");
        Press(keys);
        EXPECT_TRUE(harness.Pump([&] { return !BoxState().empty() && BoxState() != "検索中 ..."; }, 5000));
        EXPECT_EQ(BoxState(), PaneText(Frame(), 0));
        return PaneText(Frame(), 0);
    }

    void OpenAndType(const char* text)
    {
        Press({VK_CONTROL, 'F'});
        ASSERT_TRUE(Frame().findBox.IsOpen());
        ASSERT_EQ(BoxEdit(), ::GetFocus());
        ::SetWindowTextA(BoxEdit(), text);
    }

    // The detail pane's selection as "first-last".
    std::string DetailSelection()
    {
        CHARRANGE range = {};
        ::SendMessageA(Frame().detailView.Edit(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return std::to_string(range.cpMin) + "-" + std::to_string(range.cpMax);
    }

    FrameHarness harness;
};

TEST_F(Find, FindsRowsByTextAndNameWrapsAndNeverStartsOnATrailByte)
{
    MainFrame& frame = Frame();
    ::SetFocus(frame.composeView.Edit());
    OpenAndType("Heron");

    // Enter: the first match below the selected top row.
    EXPECT_EQ("1 件目 / 全 2 件", FindWith({VK_RETURN}));
    EXPECT_EQ(4, frame.timelineView.GetSelectedIndex());
    EXPECT_EQ(4, frame.timelineView.GetNextItem(-1, LVNI_FOCUSED));
    EXPECT_EQ("the heron landed\r\n", WindowText(frame.detailView.Edit()));
    EXPECT_EQ("4-9", DetailSelection());
    EXPECT_EQ(BoxEdit(), ::GetFocus());

    EXPECT_EQ("2 件目 / 全 2 件", FindWith({VK_F3}));
    EXPECT_EQ(6, frame.timelineView.GetSelectedIndex());
    EXPECT_EQ("2-7", DetailSelection());
    // Past the last match it goes round to the first.
    EXPECT_EQ("1 件目 / 全 2 件", FindWith({VK_F3}));
    EXPECT_EQ(4, frame.timelineView.GetSelectedIndex());
    // Shift+Enter goes back, round the top to the last match.
    EXPECT_EQ("2 件目 / 全 2 件", FindWith({VK_SHIFT, VK_RETURN}));
    EXPECT_EQ(6, frame.timelineView.GetSelectedIndex());

    // Esc: the box goes and the focus is where it was before it opened.
    Press({VK_ESCAPE});
    EXPECT_FALSE(frame.findBox.IsOpen());
    EXPECT_EQ(frame.composeView.Edit().handle, ::GetFocus());
    // F3 with the box closed finds the last text again; Shift+F3 goes back.
    EXPECT_EQ("1 件目 / 全 2 件", FindWith({VK_F3}));
    EXPECT_EQ(4, frame.timelineView.GetSelectedIndex());
    EXPECT_EQ("2 件目 / 全 2 件", FindWith({VK_SHIFT, VK_F3}));
    EXPECT_EQ(6, frame.timelineView.GetSelectedIndex());
    EXPECT_FALSE(frame.findBox.IsOpen());

    // A display name matches (going round the end from row 6).
    ::SetFocus(frame.timelineView);
    OpenAndType("kingfisher club");
    EXPECT_EQ("1 件目 / 全 1 件", FindWith({VK_RETURN}));
    EXPECT_EQ(3, frame.timelineView.GetSelectedIndex());
    EXPECT_EQ("morning tea\r\n", WindowText(frame.detailView.Edit()));

    // Row 5's bytes hold "azz" from the kana's trail byte on: only row 7's
    // "Jazz" is a match.
    ::SetWindowTextA(BoxEdit(), "AZZ");
    EXPECT_EQ("1 件目 / 全 1 件", FindWith({VK_RETURN}));
    EXPECT_EQ(7, frame.timelineView.GetSelectedIndex());
    EXPECT_EQ("1-4", DetailSelection());

    ::SetWindowTextA(BoxEdit(), "osprey");
    EXPECT_EQ("見つかりません", FindWith({VK_RETURN}));
    EXPECT_EQ(7, frame.timelineView.GetSelectedIndex());
    EXPECT_EQ("Jazz night at the station\r\n", WindowText(frame.detailView.Edit()));

    Press({VK_ESCAPE});
    EXPECT_EQ(frame.timelineView.handle, ::GetFocus());
}

} // namespace
