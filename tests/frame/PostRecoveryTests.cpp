#include "FrameHarness.h"
#include "ResourceIds.h"
#include "ServiceSession.h"
#include "SiteControl.h"
#include "StatusPosts.h"

#include <gtest/gtest.h>

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

} // namespace
