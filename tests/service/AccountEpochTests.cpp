#include "Account.h"
#include "FetchCycle.h"
#include "ServiceSession.h"
#include "ServiceTesting.h"
#include "SiteControl.h"
#include "StatusPosts.h"
#include "Waiting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace ServiceTesting;

// A fetch cycle and a status post that were under way when the account
// changed bring nothing of the old account into the new list: neither its
// statuses, nor its token, nor a failed login.
TEST(AccountEpoch, WorkForTheOldAccountIsDropped)
{
    FreshStart();
    ASSERT_TRUE(RunFetchCycle()); // signed in as alice
    ASSERT_TRUE(AddStatus("32000000001", "alice", "seen by the old account only"));
    SiteControl::Post("account", "user=bob&password=builder");

    // A slow home page: the site has made it (its token tells) when the
    // account changes, and it arrives after.
    ASSERT_TRUE(SiteControl::Post("token", "mode=fixed&value=pageMade"));
    ASSERT_TRUE(SiteControl::Route("path=/&count=1&delay=2000"));
    ASSERT_TRUE(StartTimelineFetch());
    ASSERT_TRUE(WaitUntil([] { return SiteControl::Last("front-token") == "pageMade"; }, 5000));
    ASSERT_TRUE(ChangeAccount("bob", "builder"));
    ASSERT_TRUE(WaitUntil([] { return serviceSession.fetchBusy.load() == 0; }, 15000));
    EXPECT_EQ(0, StoreCount());
    ASSERT_TRUE(SiteControl::Post("token", "mode=normal"));

    // A slow post's answer page.
    ASSERT_TRUE(RunFetchCycle()); // bob signs in
    ASSERT_GT(StoreCount(), 0);
    ASSERT_TRUE(SiteControl::Route("path=/status/update&count=1&delay=2000"));
    ASSERT_TRUE(StartStatusPost("posted before the change"));
    ASSERT_TRUE(WaitUntil([] { return SiteControl::Last("status") == "posted before the change"; }, 5000));
    ASSERT_TRUE(ChangeAccount("alice", "not the password"));
    ASSERT_TRUE(WaitUntil([] { return SiteControl::CountInLog("POST /status/update 200") > 0; }, 10000));
    // Nothing may arrive: the post's thread has a moment to scrape, were it
    // to scrape.
    WaitUntil([] { return StoreCount() > 0; }, 1000);
    EXPECT_EQ(0, StoreCount());

    // A sign-in refused for the old password reports nothing once the user
    // has saved another one, and leaves no token.
    ASSERT_TRUE(SiteControl::Route("path=/sessions&count=1&delay=2000"));
    ASSERT_TRUE(StartTimelineFetch());
    ASSERT_TRUE(WaitUntil(
        [] { return SiteControl::Last("login-form").find("password%5D=not+the+password") != std::string::npos; },
        5000));
    ASSERT_TRUE(ChangeAccount("alice", "wonderland"));
    ASSERT_TRUE(WaitUntil([] { return serviceSession.fetchBusy.load() == 0; }, 15000));
    EXPECT_EQ(LoginReady, serviceSession.loginState.load());
    EXPECT_FALSE(serviceSession.HasToken());
    ASSERT_TRUE(RunFetchCycle());
    EXPECT_EQ(LoginReady, serviceSession.loginState.load());
    EXPECT_GT(StoreCount(), 0);
}

} // namespace
