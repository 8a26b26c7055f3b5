#include "ServiceSession.h"
#include "ServiceTesting.h"
#include "SiteControl.h"
#include "FetchCycle.h"
#include "Waiting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace ServiceTesting;

class FetchCycle : public testing::Test {
protected:
    void SetUp() override { FreshStart(); }
};

TEST_F(FetchCycle, SignsInOnceThenReusesTheSession)
{
    ASSERT_TRUE(AddStatus("20000000001", "carol", "first of the cycle"));
    ASSERT_TRUE(RunFetchCycle());
    EXPECT_EQ(1, SiteControl::CountInLog("https POST /sessions "));
    // The sign-in's redirect and the download itself.
    const int downloads = SiteControl::CountInLog("GET / ");
    EXPECT_GE(downloads, 1);
    TimelineEntry entry;
    ASSERT_TRUE(FindEntry("20000000001", entry));
    EXPECT_STREQ("carol", entry.screenName);
    EXPECT_STREQ("first of the cycle", entry.text);

    ASSERT_TRUE(AddStatus("20000000002", "carol", "second of the cycle"));
    ASSERT_TRUE(RunFetchCycle());
    EXPECT_EQ(1, SiteControl::CountInLog("https POST /sessions "));
    EXPECT_EQ(downloads + 1, SiteControl::CountInLog("GET / "));
    EXPECT_TRUE(FindEntry("20000000002", entry));
    EXPECT_EQ(LoginReady, serviceSession.loginState.load());
}

TEST_F(FetchCycle, FailedLoginDownloadsNothing)
{
    serviceSession.SetPassword("not the password");
    ASSERT_TRUE(AddStatus("20000000101", "carol", "never fetched"));
    BoxWatcher watcher("エラー");
    ASSERT_TRUE(RunFetchCycle());
    EXPECT_EQ(LoginFailed, serviceSession.loginState.load());
    ServiceSession::Text token;
    serviceSession.GetToken(token);
    EXPECT_STREQ("", token);
    EXPECT_EQ(0, SiteControl::CountInLog("GET / "));
    TimelineEntry entry;
    EXPECT_FALSE(FindEntry("20000000101", entry));
    EXPECT_EQ(0, watcher.Answered());
}

// Plain HTTP works but every TLS handshake is refused: the sign-in post gets
// no answer at all. That is no wrong password: the cycle ends quietly and the
// next one signs in again, but the third such sign-in in a row is reported
// as a failed login, so a blocked site is still told.
TEST_F(FetchCycle, UnansweredSignInsAreReportedAtTheThird)
{
    ASSERT_TRUE(SiteControl::Post("tls", "refuse=1"));
    ASSERT_TRUE(AddStatus("20000000151", "carol", "behind the sign-in"));
    for (int cycle = 1; cycle <= 3; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_TRUE(RunFetchCycle());
        EXPECT_EQ(cycle < 3 ? LoginReady : LoginFailed, serviceSession.loginState.load());
        EXPECT_FALSE(serviceSession.HasToken());
    }
    EXPECT_EQ(0, SiteControl::CountInLog("https "));
    TimelineEntry entry;
    EXPECT_FALSE(FindEntry("20000000151", entry));

    // Once TLS gets through, the next cycle signs in and fetches.
    ASSERT_TRUE(SiteControl::Post("tls", "refuse=0"));
    serviceSession.loginState = LoginReady;
    ASSERT_TRUE(RunFetchCycle());
    EXPECT_EQ(LoginReady, serviceSession.loginState.load());
    EXPECT_TRUE(FindEntry("20000000151", entry));
}

TEST_F(FetchCycle, OverloadPageShowsOneBoxAndIsNotScraped)
{
    ASSERT_TRUE(AddStatus("20000000201", "carol", "hidden by the overload"));
    ASSERT_TRUE(SiteControl::Post("overload", "on=1"));
    BoxWatcher watcher("エラー");
    ASSERT_TRUE(RunFetchCycle());
    EXPECT_EQ(1, watcher.Answered());
    EXPECT_EQ("[ERROR] サーバがいっぱいです。", watcher.LastText());
    TimelineEntry entry;
    EXPECT_FALSE(FindEntry("20000000201", entry));

    // The next cycle goes on as usual.
    ASSERT_TRUE(SiteControl::Post("overload", "on=0"));
    ASSERT_TRUE(RunFetchCycle());
    EXPECT_TRUE(FindEntry("20000000201", entry));
    EXPECT_EQ(1, watcher.Answered());
}

TEST_F(FetchCycle, BusyStaysRaisedWhileTheBoxIsOpen)
{
    ASSERT_TRUE(SiteControl::Post("overload", "on=1"));
    {
        // Nobody answers yet: the worker waits on its box with the flag up.
        ASSERT_TRUE(StartTimelineFetch());
        ASSERT_TRUE(WaitUntil([] { return FindWindowA("#32770", "エラー") != nullptr; }, 15000));
        EXPECT_EQ(1, serviceSession.fetchBusy.load());
    }
    BoxWatcher watcher("エラー");
    EXPECT_TRUE(WaitUntil([] { return serviceSession.fetchBusy.load() == 0; }, 15000));
    EXPECT_EQ(1, watcher.Answered());
}

TEST_F(FetchCycle, ServerDownGivesAnEmptyPage)
{
    ASSERT_TRUE(RunFetchCycle()); // signed in
    const int before = StoreCount();
    // The simulator drops its connections and refuses new ones for a while.
    SiteControl::Post("offline", "ms=4000");
    ASSERT_TRUE(WaitUntil([] { return SiteControl::Get("/__control/log") == 0; }, 5000));
    EXPECT_TRUE(RunFetchCycle());
    EXPECT_EQ(before, StoreCount());
    EXPECT_EQ(LoginReady, serviceSession.loginState.load());

    ASSERT_TRUE(WaitUntil([] { return SiteControl::Get("/__control/log") == 200; }, 10000));
    ASSERT_TRUE(AddStatus("20000000501", "carol", "back again"));
    ASSERT_TRUE(RunFetchCycle());
    TimelineEntry entry;
    EXPECT_TRUE(FindEntry("20000000501", entry));
}

} // namespace
