#include "FrameHarness.h"
#include "ResourceIds.h"
#include "ServiceSession.h"
#include "SiteControl.h"

#include <gtest/gtest.h>

TEST(FirstWindow, OpensSignedInWithItsPanes)
{
    SiteControl::Reset();
    SiteControl::Post("account", "user=frameuser&password=secret");
    FrameHarness::WriteAccount("frameuser", "secret");
    FrameHarness harness;
    ASSERT_TRUE(harness.Create());
    MainFrame& frame = harness.Frame();
    char caption[64] = "";
    frame.GetWindowText(caption, sizeof caption);
    EXPECT_STREQ("Larkspur", caption);
    EXPECT_EQ("タイムライン受信中 ...", PaneText(frame, 0));
    EXPECT_TRUE(harness.Pump([&] { return PaneText(frame, 0) == "Ready"; }, 20000));
    EXPECT_EQ(0, harness.QuitCode() + 1);
    harness.Close();
    EXPECT_EQ(1, harness.QuitCode());
}
