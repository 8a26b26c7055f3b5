#include "FrameHarness.h"
#include "ResourceIds.h"
#include "SiteControl.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Saves the settings dialog with mutes in its mute field.
class MuteField {
public:
    explicit MuteField(const std::string& mutes)
        : watcher("#32770", "設定", [mutes](HWND dialog) {
              ::SetDlgItemTextA(dialog, muteEditControl, mutes.c_str());
              ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
          })
    {
    }
    const ModalWatcher watcher;
};

// A muted word and a muted @name keep their statuses out of the list, the
// count and the find, at once, without a fetch; the selected status stays
// selected; unmuting brings them back; the list is kept in the settings
// file as [MUTE] WORDn.
TEST(Mute, MutedStatusesLeaveTheListCountAndFind)
{
    SiteControl::Reset();
    const std::string pie = AddNewestStatus("alice", "apple pie for all");
    const std::string tea = AddNewestStatus("bob", "I like Tea a lot");
    const std::string kept = AddNewestStatus("carol", "nothing to hide");
    const std::string last = AddNewestStatus("dave", "the newest one");
    FrameHarness::UseAccount("muter");
    FrameHarness harness;
    ASSERT_TRUE(harness.Create());
    MainFrame& frame = harness.Frame();
    ASSERT_TRUE(harness.PumpUntilShown(last, 20000));
    const int all = frame.shownCount;
    frame.timelineView.SetItemState(frame.shownTimeline.IndexOf(kept.c_str()), LVIS_SELECTED | LVIS_FOCUSED,
                                    LVIS_SELECTED | LVIS_FOCUSED);
    const int fetches = SiteControl::CountInLog("GET / ");

    {
        const MuteField field("TEA\r\n@Alice\r\n");
        frame.PostMessage(WM_COMMAND, settingsCommand);
        ASSERT_TRUE(harness.Pump([&] { return field.watcher.Seen() == 1 && frame.shownCount == all - 2; }, 10000));
    }
    EXPECT_EQ(-1, frame.shownTimeline.IndexOf(pie.c_str()));
    EXPECT_EQ(-1, frame.shownTimeline.IndexOf(tea.c_str()));
    EXPECT_EQ(frame.shownTimeline.IndexOf(kept.c_str()), frame.timelineView.GetSelectedIndex());
    EXPECT_EQ(all - 2, frame.timelineView.GetItemCount());
    EXPECT_EQ("ツイート " + std::to_string(all - 2) + " 件", PaneText(frame, countPaneString));
    EXPECT_EQ(fetches, SiteControl::CountInLog("GET / "));
    char stored[64] = "";
    ::GetPrivateProfileStringA("MUTE", "WORD2", "", stored, sizeof stored, FrameHarness::SettingsPath().c_str());
    EXPECT_STREQ("@Alice", stored);

    // The find passes over them.
    for (const char* text : {"apple", "like tea"}) {
        SCOPED_TRACE(text);
        frame.findBox.Open(frame);
        ::SetDlgItemTextA(frame.findBox, findTextControl, text);
        frame.findBox.SetState("");
        frame.SendMessage(WM_COMMAND, findNextCommand);
        ASSERT_TRUE(harness.Pump([&] { return WindowText(::GetDlgItem(frame.findBox, findStateControl)) == "見つかりません"; },
                                 5000));
    }

    {
        const MuteField field("");
        frame.PostMessage(WM_COMMAND, settingsCommand);
        ASSERT_TRUE(harness.Pump([&] { return field.watcher.Seen() == 1 && frame.shownCount == all; }, 10000));
    }
    EXPECT_GE(frame.shownTimeline.IndexOf(pie.c_str()), 0);
    EXPECT_EQ(frame.shownTimeline.IndexOf(kept.c_str()), frame.timelineView.GetSelectedIndex());
    harness.Close();
    FrameHarness::WriteSettings("");
}

} // namespace
