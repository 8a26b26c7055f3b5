#include "ServiceSession.h"
#include "ServiceTesting.h"
#include "SiteControl.h"
#include "StatusPosts.h"
#include "WebAddress.h"
#include "Waiting.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

using namespace ServiceTesting;

bool SiteIsBack()
{
    return WaitUntil([] { return SiteControl::Get("/__control/log") == 200; }, 20000);
}

TEST(Recovery, EveryFailedPostKeepsItsText)
{
    FreshStart();
    ASSERT_TRUE(RunFetchCycle());
    struct Case {
        const char* name;
        std::string setUp; // a control verb and its form, or empty
        const char* text;
        bool failed;
        bool tokenKept;
    } cases[] = {
        {"good post", "", "recovery good post", false, true},
        {"duplicate", "", "recovery good post", false, true},
        {"server error", "route path=/status/update&status=500&body=oops", "recovery on error", true, true},
        {"sessions forgotten", "forget-sessions", "recovery refused", true, false},
        {"server down", "offline ms=3000", "recovery offline", true, true},
        // A site that answers a signed-out post with its front page.
        {"signed-out front page", "route path=/status/update&body="
                                      + SiteControl::Encode(std::string("<form action=\"") + SignInAddress() + "\">"),
         "recovery signed out", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(RunFetchCycle()); // signs in again where the case before emptied the token
        SiteControl::Post("route/clear");
        if (!c.setUp.empty()) {
            const size_t space = c.setUp.find(' ');
            ASSERT_TRUE(SiteControl::Post(c.setUp.substr(0, space), space == std::string::npos ? "" : c.setUp.substr(space + 1)));
        }
        RunStatusPost(c.text);
        FailedPost post;
        EXPECT_EQ(c.failed, TakeFailedPost(post));
        EXPECT_EQ(c.failed ? c.text : "", post.text);
        EXPECT_EQ(c.tokenKept, serviceSession.HasToken());
        // Taken once: the next look finds nothing new.
        EXPECT_FALSE(TakeFailedPost(post));
        ASSERT_TRUE(SiteIsBack());
    }
    SiteControl::Post("route/clear");

    // However many fail, every text is kept, in order.
    ASSERT_TRUE(SiteControl::Route("path=/status/update&status=500&body=oops"));
    for (int i = 0; i < 20; ++i)
        RunStatusPost(("kept " + std::to_string(i)).c_str());
    FailedPost post;
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(TakeFailedPost(post)) << i;
        EXPECT_EQ("kept " + std::to_string(i), post.text);
    }
    EXPECT_FALSE(TakeFailedPost(post));
    SiteControl::Post("route/clear");

    // Cut for its buffer between characters: 299 bytes end inside a kana.
    std::string kana;
    std::string posted; // what the service reads: UTF-8
    for (int i = 0; i < 200; ++i) {
        kana += "\x82\xa0";
        posted += i < 149 ? "\xe3\x81\x82" : "";
    }
    ASSERT_TRUE(StartStatusPost(kana.c_str()));
    EXPECT_TRUE(WaitUntil([&] { return SiteControl::Last("status") == posted; }, 10000));
}

TEST(Recovery, ForgottenSessionSignsInAgain)
{
    FreshStart();
    ASSERT_TRUE(RunFetchCycle());
    ASSERT_EQ(1, SiteControl::CountInLog("POST /sessions"));
    ASSERT_TRUE(AddStatus("31000000001", "bob", "before the restart"));
    ASSERT_TRUE(RunFetchCycle());
    TimelineEntry entry;
    ASSERT_TRUE(FindEntry("31000000001", entry));

    // The service forgets every session: the next cycle sees the front page
    // and lets the token go; the one after signs in and fetches again.
    ASSERT_TRUE(SiteControl::Post("forget-sessions"));
    ASSERT_TRUE(AddStatus("31000000002", "bob", "after the restart"));
    const unsigned fetched = serviceSession.timelinesFetched.load();
    ASSERT_TRUE(RunFetchCycle());
    EXPECT_FALSE(serviceSession.HasToken());
    EXPECT_FALSE(FindEntry("31000000002", entry));
    EXPECT_EQ(fetched, serviceSession.timelinesFetched.load());
    ASSERT_TRUE(RunFetchCycle());
    EXPECT_EQ(2, SiteControl::CountInLog("POST /sessions"));
    EXPECT_TRUE(FindEntry("31000000002", entry));
    EXPECT_EQ(LoginReady, serviceSession.loginState.load());
    EXPECT_EQ(fetched + 1, serviceSession.timelinesFetched.load());

    // With the password changed as well, signing in again fails the normal way.
    ASSERT_TRUE(SiteControl::Post("forget-sessions"));
    ASSERT_TRUE(SiteControl::Post("account", "user=alice&password=changed"));
    ASSERT_TRUE(RunFetchCycle());
    ASSERT_TRUE(RunFetchCycle());
    EXPECT_EQ(LoginFailed, serviceSession.loginState.load());
}

} // namespace
