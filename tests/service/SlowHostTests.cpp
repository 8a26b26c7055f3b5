#include "ServiceSession.h"
#include "ServiceTesting.h"
#include "SiteControl.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

using namespace ServiceTesting;

// Seconds one fetch cycle takes.
double TimedCycle()
{
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_TRUE(RunFetchCycle(90000));
    return static_cast<double>(::GetTickCount64() - start) / 1000;
}

// A host that answers a byte every 2 s from the status line on, too large a
// picture, a page whose body stalls: each ends its request by its deadline,
// and a picture that failed is not asked for again at the next reloads.
TEST(SlowHosts, EveryRequestEndsAndFailedPicturesWait)
{
    FreshStart();
    // The sign-in's answer trickles: the cycle ends after the form's 30 s,
    // quietly (no answer is no wrong password), and the next one signs in.
    ASSERT_TRUE(SiteControl::Route("path=/sessions&count=1&slow=2000"));
    const double signIn = TimedCycle();
    EXPECT_GE(signIn, 29.0);
    EXPECT_LT(signIn, 36.0);
    EXPECT_EQ(LoginReady, serviceSession.loginState.load());
    ASSERT_TRUE(RunFetchCycle());
    ASSERT_TRUE(serviceSession.HasToken());

    // A trickling picture holds its cycle 20 s at most; a 2 MiB one fails at
    // once. Neither is asked for again by the cycles after.
    ASSERT_TRUE(AddStatus("33000000001", "slowpoke", "a slow picture", "/images/slow/44x44.png"));
    ASSERT_TRUE(AddStatus("33000000002", "bigpic", "a huge picture", "/images/huge/45x45.png"));
    ASSERT_TRUE(SiteControl::Route("path=/images/slow/44x44.png&slow=2000"));
    ASSERT_TRUE(SiteControl::Route("path=/images/huge/45x45.png&size=2097152&type=image%2Fpng"));
    const double pictures = TimedCycle();
    EXPECT_GE(pictures, 19.0);
    EXPECT_LT(pictures, 26.0);
    // Asked for again, the slow one would hold a cycle for 20 s more (the
    // site logs it only once it is answered in full, which it never is).
    for (int reload = 0; reload < 3; ++reload)
        EXPECT_LT(TimedCycle(), 5.0) << reload;
    EXPECT_EQ(1, SiteControl::CountInLog("GET /images/huge/45x45.png "));

    // A page body that stalls is no page: no statuses from it.
    ASSERT_TRUE(AddStatus("33000000003", "stalled", "behind a stalled page"));
    ASSERT_TRUE(SiteControl::Route("path=/&count=1&stall=1500"));
    const int before = StoreCount();
    TimedCycle();
    EXPECT_EQ(before, StoreCount());
    TimelineEntry entry;
    EXPECT_FALSE(FindEntry("33000000003", entry));
    ASSERT_TRUE(RunFetchCycle());
    EXPECT_TRUE(FindEntry("33000000003", entry));
}

} // namespace
