#include "ServiceSession.h"
#include "ServiceTesting.h"
#include "SiteControl.h"
#include "WebAddress.h"
#include "StatusPosts.h"
#include "StatusUpdate.h"
#include "TimelineModel.h"
#include "TimelineReader.h"
#include "Waiting.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

using namespace ServiceTesting;

// A status block the scraper reads, for answers made up by a test.
std::string StatusBlock(const std::string& id, const std::string& text)
{
    return "<li class=\"hentry u-dave status\" id=\"status_" + id + "\"><img alt=\"Dave\" src=\"\" />"
        "<strong><a href=\"" + std::string(WebBaseAddress()) + "dave\">dave</a></strong>"
        "<span class=\"entry-content\">" + text + "</span>"
        "<span data=\"{time:'Mon Jan 04 09:05:07 +0000 2010'}\"><a href=\"/dave/status/" + id + "\">x</a></span>"
        "<ul><li>reply</li></ul></li>\n";
}

class Posting : public testing::Test {
protected:
    void SetUp() override
    {
        FreshStart();
        ASSERT_TRUE(RunFetchCycle()); // signs in
    }
};

TEST_F(Posting, TextArrivesExactly)
{
    const std::string texts[] = {
        "fish & chips = 2+2 at 100% off",
        u8"日本語のつぶやき、表示と能力 ソフト",
        "a  b\\c/d?e#f",
    };
    for (const std::string& utf8 : texts) {
        RunStatusPost(ToAnsi(utf8).c_str());
        EXPECT_EQ(utf8, SiteControl::Last("status"));
    }
}

TEST_F(Posting, GoodPostFeedsTheStore)
{
    const int before = StoreCount();
    RunStatusPost("posted from the test");
    EXPECT_EQ(before + 1, StoreCount());
    TimelineEntry entry;
    bool found = false;
    for (int i = 0; i < StoreCount() && !found; ++i)
        found = TimelineReaderOf().GetEntry(i, entry) && std::string(entry.text) == "posted from the test";
    ASSERT_TRUE(found);
    EXPECT_STREQ("alice", entry.screenName);
}

TEST_F(Posting, RejectedAnswersAreNotScraped)
{
    struct Case {
        const char* id;
        std::string marker;
    } cases[] = {
        {"20000000301", "<h1>403 Forbidden: The server understood the request</h1>"},
        {"20000000302", u8"<p>同じことをすでにツイートしています。</p>"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SiteControl::Route("path=/status/update&body="
                                       + SiteControl::Encode(c.marker + StatusBlock(c.id, "should not be stored"))));
        RunStatusPost("anything");
        TimelineEntry entry;
        EXPECT_FALSE(FindEntry(c.id, entry)) << c.marker;
    }
    // The same page without a marker is scraped.
    ASSERT_TRUE(SiteControl::Route("path=/status/update&body=" + SiteControl::Encode(StatusBlock("20000000303", "ok"))));
    RunStatusPost("anything");
    TimelineEntry entry;
    EXPECT_TRUE(FindEntry("20000000303", entry));
}

TEST_F(Posting, RealRefusalAndDuplicate)
{
    RunStatusPost("only once");
    const int afterFirst = StoreCount();
    RunStatusPost("only once");
    EXPECT_EQ(afterFirst, StoreCount());
    EXPECT_EQ("only once", SiteControl::Last("status"));
    EXPECT_EQ(2, SiteControl::CountInLog("POST /status/update 200"));

    serviceSession.SetToken("not-the-token");
    RunStatusPost("refused");
    EXPECT_EQ(afterFirst, StoreCount());
    EXPECT_EQ(1, SiteControl::CountInLog("POST /status/update 403"));
}

TEST_F(Posting, NothingIsScrapedWhileAFetchRuns)
{
    serviceSession.fetchBusy = 1;
    ASSERT_TRUE(SiteControl::Route("path=/status/update&body=" + SiteControl::Encode(StatusBlock("20000000401", "x"))));
    RunStatusPost("while busy");
    serviceSession.fetchBusy = 0;
    TimelineEntry entry;
    EXPECT_FALSE(FindEntry("20000000401", entry));
}

// Number of live heap blocks of the size of a status buffer.
int StatusBuffersAlive()
{
    int count = 0;
    HANDLE heap = GetProcessHeap();
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) && entry.cbData == static_cast<DWORD>(statusBufferSize))
            ++count;
    }
    HeapUnlock(heap);
    return count;
}

TEST_F(Posting, ThreadReleasesItsBufferOnEveryPath)
{
    const int before = StatusBuffersAlive();
    // A good post, a duplicate, a refusal and a post to a silent network.
    const char* const paths[] = {"buffer one", "buffer one", "refused", "offline"};
    for (const char* text : paths) {
        if (std::string(text) == "refused")
            serviceSession.SetToken("bad");
        if (std::string(text) == "offline") {
            ASSERT_TRUE(SiteControl::Route("path=/status/update&status=500&body="));
        }
        const int posted = SiteControl::CountInLog("POST /status/update ");
        ASSERT_TRUE(StartStatusPost(text));
        ASSERT_TRUE(WaitUntil([&] { return SiteControl::CountInLog("POST /status/update ") > posted; }, 15000));
    }
    // The threads end just after their request; give them a moment to free.
    EXPECT_TRUE(WaitUntil([&] { return StatusBuffersAlive() <= before; }, 5000))
        << StatusBuffersAlive() << " buffers alive, " << before << " before";
}

} // namespace
