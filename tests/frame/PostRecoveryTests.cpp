#include "FrameHarness.h"
#include "ResourceIds.h"
#include "ServiceSession.h"
#include "SiteControl.h"
#include "StatusPosts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

// A frame signed in, its first fetch done.
bool StartSignedIn(FrameHarness& harness)
{
    SiteControl::Reset();
    FrameHarness::UseAccount("giveback");
    return harness.Create() && harness.Pump([&] { return PaneText(harness.Frame(), 0) == "Ready"; }, 20000);
}

// The text of a post that fails comes back into an empty compose box within
// two ticks, never over what the user typed since, and pane 0 says so until
// a post succeeds.
TEST(PostRecovery, FailedPostGivesItsTextBack)
{
    FrameHarness harness;
    ASSERT_TRUE(StartSignedIn(harness));
    MainFrame& frame = harness.Frame();

    const auto send = [&](const char* text) {
        frame.composeView.Edit().SetWindowText(text);
        frame.SendMessage(WM_COMMAND, sendCommand);
        EXPECT_EQ("", WindowText(frame.composeView.Edit()));
    };

    // The server down: the text returns, caret at its end, counter updated.
    ASSERT_TRUE(SiteControl::Post("offline", "ms=4000"));
    send("lost while offline");
    EXPECT_TRUE(harness.Pump([&] { return WindowText(frame.composeView.Edit()) == "lost while offline"; }, 2500));
    EXPECT_EQ("投稿できませんでした", PaneText(frame, 0));
    EXPECT_EQ("122", WindowText(frame.composeView.GetDlgItem(counterControl)));
    CHARRANGE caret = {};
    frame.composeView.Edit().GetSel(&caret);
    EXPECT_EQ(18, caret.cpMin);
    // The notice stays through the ticks that would say "Ready".
    harness.Pump([] { return false; }, 1500);
    EXPECT_EQ("投稿できませんでした", PaneText(frame, 0));

    // A failure while the user has typed something new leaves the box alone.
    ASSERT_TRUE(harness.Pump([] { return SiteControl::Get("/__control/log") == 200; }, 10000));
    ASSERT_TRUE(SiteControl::Route("path=/status/update&status=500&body=oops"));
    send("second failure");
    frame.composeView.Edit().SetWindowText("typed since");
    harness.Pump([] { return false; }, 2500);
    EXPECT_EQ("typed since", WindowText(frame.composeView.Edit()));

    EXPECT_EQ("投稿できませんでした", PaneText(frame, 0));
    // It waited: the box emptied, it comes back.
    frame.composeView.Edit().SetWindowText("");
    EXPECT_TRUE(harness.Pump([&] { return WindowText(frame.composeView.Edit()) == "second failure"; }, 2500));

    // Sending again ends the notice; a good post does not come back.
    ASSERT_TRUE(SiteControl::Post("route/clear"));
    send("posted fine");
    EXPECT_TRUE(harness.Pump([&] { return PaneText(frame, 0) == "Ready"; }, 3000));
    EXPECT_EQ("", WindowText(frame.composeView.Edit()));
    EXPECT_EQ("posted fine", SiteControl::Last("status"));
}

// Posts that end between two ticks: every failed text comes back, oldest
// first, one each time the box is empty; the success between them takes
// nothing away.
TEST(PostRecovery, EveryFailureOfOneTickComesBackInOrder)
{
    FrameHarness harness;
    ASSERT_TRUE(StartSignedIn(harness));
    MainFrame& frame = harness.Frame();

    // No message is handled between the three posts, so no tick either.
    ASSERT_TRUE(SiteControl::Route("path=/status/update&status=500&body=oops"));
    RunStatusPost("first failure");
    RunStatusPost("second failure");
    ASSERT_TRUE(SiteControl::Post("route/clear"));
    RunStatusPost("then a success");

    EXPECT_TRUE(harness.Pump([&] { return WindowText(frame.composeView.Edit()) == "first failure"; }, 2500));
    EXPECT_EQ("投稿できませんでした", PaneText(frame, 0));
    frame.composeView.Edit().SetWindowText("");
    EXPECT_TRUE(harness.Pump([&] { return WindowText(frame.composeView.Edit()) == "second failure"; }, 2500));
    EXPECT_EQ("投稿できませんでした", PaneText(frame, 0));
}

// Nothing typed is lost when the window closes: what the box holds (a reply
// here) and every failed post still waiting are kept in the settings file
// and given back at the next start, the reply with them.
TEST(PostRecovery, TypedTextAndFailedPostsSurviveACloseAndAStart)
{
    std::string answered;
    std::string ini;
    {
        FrameHarness harness;
        ASSERT_TRUE(StartSignedIn(harness));
        MainFrame& frame = harness.Frame();
        answered = AddNewestStatus("bob", "what do you think?");
        frame.tickCount = frame.reloadInterval + 1;
        ASSERT_TRUE(harness.PumpUntilShown(answered, 20000));
        frame.composeView.StartReply(answered.c_str(), "bob");
        frame.composeView.Edit().SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("I agree"));
        // The box holds text: the failures wait in the queue.
        ASSERT_TRUE(SiteControl::Route("path=/status/update&status=500&body=oops"));
        RunStatusPost("first failure\r\nwith a second line \\ and \x83\x5c");
        RunStatusPost("second failure");
        harness.Close();
        std::ifstream file(FrameHarness::SettingsPath(), std::ios::binary);
        ini.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(std::string::npos, ini.find("[DRAFT]")) << ini;
    SiteControl::Post("route/clear");

    FrameHarness harness;
    ASSERT_TRUE(harness.Create());
    MainFrame& frame = harness.Frame();
    ASSERT_TRUE(harness.Pump([] { return serviceSession.fetchBusy.load() == 0; }, 20000));
    EXPECT_EQ("@bob I agree", WindowText(frame.composeView.Edit()));
    EXPECT_EQ(answered, frame.composeView.ReplyTo());
    frame.SendMessage(WM_COMMAND, sendCommand);
    EXPECT_TRUE(harness.Pump([] { return SiteControl::Last("status") == "@bob I agree"; }, 10000));
    EXPECT_EQ(answered, SiteControl::Last("reply-to"));
    for (const char* text : {"first failure\r\nwith a second line \\ and \x83\x5c", "second failure"}) {
        EXPECT_TRUE(harness.Pump([&] { return WindowText(frame.composeView.Edit()) == text; }, 5000))
            << WindowText(frame.composeView.Edit());
        frame.composeView.Edit().SetWindowText("");
    }
    harness.Close();
    // Given back once: the next start finds nothing.
    FrameHarness third;
    ASSERT_TRUE(third.Create());
    harness.Pump([] { return false; }, 1500);
    EXPECT_EQ("", WindowText(third.Frame().composeView.Edit()));
    third.Close();
    FrameHarness::WriteSettings("");
}

// A reply (the list's menu, or Ctrl+R) carries the status's id while the
// text begins with its @name; edited into an ordinary status, none.
TEST(PostRecovery, ReplyCarriesTheStatusIdUntilItsNameGoes)
{
    FrameHarness harness;
    ASSERT_TRUE(StartSignedIn(harness));
    MainFrame& frame = harness.Frame();
    const std::string answered = AddNewestStatus("carol", "a question");
    frame.tickCount = frame.reloadInterval + 1;
    ASSERT_TRUE(harness.PumpUntilShown(answered, 20000));
    const int row = frame.shownTimeline.IndexOf(answered.c_str());
    frame.timelineView.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SetFocus(frame.timelineView);
    ASSERT_TRUE(harness.Press({VK_CONTROL, 'R'}));
    EXPECT_EQ("@carol ", WindowText(frame.composeView.Edit()));
    EXPECT_EQ(frame.composeView.Edit().handle, ::GetFocus());
    ASSERT_TRUE(harness.Press({'Y', 'E', 'S'}));
    frame.SendMessage(WM_COMMAND, sendCommand);
    ASSERT_TRUE(harness.Pump([] { return SiteControl::Last("status") == "@carol yes"; }, 10000));
    EXPECT_EQ(answered, SiteControl::Last("reply-to"));

    frame.timelineView.PostMessage(WM_COMMAND, replyCommand);
    ASSERT_TRUE(harness.Pump([&] { return WindowText(frame.composeView.Edit()) == "@carol "; }, 3000));
    frame.composeView.Edit().SetWindowText("no longer a reply");
    frame.SendMessage(WM_COMMAND, sendCommand);
    ASSERT_TRUE(harness.Pump([] { return SiteControl::Last("status") == "no longer a reply"; }, 10000));
    EXPECT_EQ("", SiteControl::Last("reply-to"));
    harness.Close();
    FrameHarness::WriteSettings("");
}

} // namespace
