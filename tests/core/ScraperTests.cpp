#include "PageBuilder.h"
#include "Scraper.h"
#include "TimelineStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct CursorCase {
    const char* source;
    const char* start;
    const char* end;
    int cursor;
    const char* expected;
    int cursorAfter;
};

TEST(ExtractBetweenTest, FollowsTheCursorRules)
{
    const CursorCase cases[] = {
        {"<a>x</a><a>y</a>", "<a>", "</a>", 0, "x", 4},
        {"<a>x</a><a>y</a>", "<a>", "</a>", 4, "y", 12},     // the next search starts at the end marker
        {"<a>x</a><a>y</a>", "<a>", "</a>", 12, "", -1},
        {"<a></a>", "<a>", "</a>", 0, "", 3},                 // empty content is still found
        {"<a>x", "<a>", "</a>", 0, "", -1},                   // no end marker
        {"x</a>", "<a>", "</a>", 0, "", -1},                  // no start marker
        {"<a>x</a>", "<a>", "</a>", -1, "", -1},
        {"<a>x</a>", "<a>", "</a>", -7, "", -1},
        {"<a>x</a>", "<a>", "</a>", 9, "", -1},               // past the end
        {"<a>x</a>", "<a>", "</a>", 8, "", -1},               // at the end
        {"ab", "ab", "", 0, "", 2},                           // empty end marker at the very end
        {"<a>\x95<a>z</a>", "<a>", "</a>", 0, "\x95<a>z", 8}, // '<' is never a trail byte
        {"\x95\x5cX\x5cY|", "\x5c", "|", 0, "Y", 5},          // the first 0x5C is a trail byte
        {"S\x82sX|s", "S", "s", 0, "\x82sX|", 5},            // the end search follows the same rules
    };
    for (const CursorCase& c : cases) {
        int cursor = c.cursor;
        const CString result = ExtractBetween(CString(c.source), c.start, c.end, cursor);
        EXPECT_STREQ(c.expected, result) << c.source << " from " << c.cursor;
        EXPECT_EQ(c.cursorAfter, cursor) << c.source << " from " << c.cursor;
    }
    EXPECT_STREQ("y", ExtractBetween(CString("<b>y</b><b>z</b>"), "<b>", "</b>"));
}

class ScraperTest : public ::testing::Test {
protected:
    void Scrape(const std::string& page)
    {
        // Each page's picture addresses come after its statuses are in.
        ScrapePage(CString(page.data(), static_cast<int>(page.size())), WebBaseAddress(), store, &pictures);
        countsSeen.push_back(store.GetCount());
    }

    TimelineEntry At(int index)
    {
        TimelineEntry entry = {};
        EXPECT_TRUE(store.GetEntry(index, entry)) << index;
        return entry;
    }

    TimelineEntry ById(const char* id)
    {
        const int index = store.IndexOf(id);
        EXPECT_GE(index, 0) << id;
        return At(index);
    }


    TimelineStore store;
    std::vector<std::string> pictures;
    std::vector<int> countsSeen;
};

// Statuses first, pictures after: every picture is asked for once the whole
// page is visible, in page order, once per block, and again for a page seen
// before.
TEST_F(ScraperTest, AsksForPicturesOnlyOnceThePageIsPublished)
{
    std::vector<PageStatus> statuses;
    for (int i = 1; i <= 3; ++i) {
        statuses.push_back(NumberedStatus(i));
        statuses.back().iconUrl = "http://img.example/u" + std::to_string(i) + "/face.png";
    }
    Scrape(TimelinePage(statuses));
    Scrape(TimelinePage(statuses));
    const std::vector<std::string> expected = {
        "http://img.example/u1/face.png", "http://img.example/u2/face.png", "http://img.example/u3/face.png",
        "http://img.example/u1/face.png", "http://img.example/u2/face.png", "http://img.example/u3/face.png"};
    EXPECT_EQ(expected, pictures);
    EXPECT_EQ(std::vector<int>(2, 3), countsSeen);
}

TEST_F(ScraperTest, FillsEveryFieldFromItsMarkers)
{
    PageStatus status;
    status.id = "12345";
    status.screenName = "alice";
    status.displayName = "Alice &quot;A&quot; &amp; co";
    status.iconUrl = "http://img.example/a/face_normal.png";
    status.text = "&lt;3 <a href=\"http://x.example/\">x</a> &amp;amp; \x82\xa0";
    status.createdAt = "Mon Jan 04 09:05:07 +0000 2010";
    Scrape(TimelinePage({status}));

    ASSERT_EQ(1, store.GetCount());
    const TimelineEntry entry = At(0);
    EXPECT_STREQ("12345", entry.statusId);
    EXPECT_STREQ("alice", entry.screenName);
    EXPECT_STREQ("Alice &quot;A&quot; &amp; co", entry.displayName); // only the text is decoded
    EXPECT_STREQ("http://img.example/a/face_normal.png", entry.iconUrl);
    EXPECT_STREQ("<3 <a href=\"http://x.example/\">x</a> &amp; \x82\xa0", entry.text);
    EXPECT_STREQ("Mon Jan 04 09:05:07 +0000 2010", entry.createdAtText);
    EXPECT_EQ(2010, entry.createdAt.wYear);
    EXPECT_NE(0u, SortKey(entry.createdAtFileTime));
    EXPECT_EQ(std::vector<std::string>{"http://img.example/a/face_normal.png"}, pictures);
}

TEST_F(ScraperTest, DropsALastBlockWithNoListItemAfterIt)
{
    PageStatus last = NumberedStatus(3);
    last.closed = false;
    Scrape(TimelinePage({NumberedStatus(1), NumberedStatus(2), last}));
    EXPECT_EQ(2, store.GetCount());
    EXPECT_EQ(-1, store.IndexOf("3"));
    EXPECT_EQ(2u, pictures.size());
}

TEST_F(ScraperTest, CutsLongFieldsAndTreatsIdsEqualInFifteenCharactersAsOne)
{
    PageStatus first = NumberedStatus(1);
    first.id = "1234567890123456789";
    first.text = std::string(398, 'a') + "\x82\xa0" + "tail";
    first.iconUrl = "http://img.example/" + std::string(300, 'p');
    PageStatus second = NumberedStatus(2);
    second.id = "123456789012345000";
    Scrape(TimelinePage({first, second}));

    ASSERT_EQ(1, store.GetCount());
    const TimelineEntry entry = At(0);
    EXPECT_STREQ("123456789012345", entry.statusId);
    EXPECT_EQ(399u, std::strlen(entry.text));
    EXPECT_EQ('\x82', entry.text[398]); // the cut may split a double-byte character
    EXPECT_EQ(255u, std::strlen(entry.iconUrl));
    EXPECT_EQ(-1, store.IndexOf("1234567890123456789")); // ids compare as whole strings
    EXPECT_EQ(0, store.IndexOf("123456789012345"));
    ASSERT_EQ(2u, pictures.size());
    EXPECT_EQ(255u, pictures[0].size()); // the icon source gets the cut copy
}

TEST_F(ScraperTest, ScreenNameNeedsTheNameBlockAndTheServiceAddress)
{
    PageStatus unnamed = NumberedStatus(1);
    unnamed.nameBlock = false;
    PageStatus foreign = NumberedStatus(2);
    foreign.authorBase = "http://elsewhere.example/";
    PageStatus secure = NumberedStatus(3);
    secure.authorBase = std::string("https://") + (WebBaseAddress() + std::strlen("http://"));
    Scrape(TimelinePage({unnamed, foreign, secure, NumberedStatus(4)}));

    ASSERT_EQ(4, store.GetCount());
    const TimelineEntry noName = ById("1");
    EXPECT_STREQ("", noName.screenName);
    EXPECT_STREQ(NumberedStatus(1).iconUrl.c_str(), noName.iconUrl);
    EXPECT_STRNE("", noName.text);
    EXPECT_STREQ("", ById("2").screenName);
    EXPECT_STREQ("", ById("3").screenName);
    EXPECT_STREQ(NumberedStatus(4).screenName.c_str(), ById("4").screenName);
}

TEST_F(ScraperTest, MissingFieldsAreEmptyAndTheEmptyIdIsAKey)
{
    const std::string page = "<li class=\"hentry \">nothing here<li>"
                             "<li class=\"hentry \"><span class=\"entry-content\">second</span><li>"
                             "<li class=\"hentry x\">status/7\">third<li>";
    Scrape(page);
    ASSERT_EQ(2, store.GetCount());
    const TimelineEntry empty = ById("");
    EXPECT_STREQ("", empty.text); // the first block without a number wins
    EXPECT_STREQ("", empty.screenName);
    EXPECT_STREQ("", empty.createdAtText);
    EXPECT_EQ(0u, SortKey(empty.createdAtFileTime));
    EXPECT_EQ(3u, pictures.size());
    EXPECT_STREQ("", pictures[0].c_str());
}

TEST_F(ScraperTest, MarkersNeverMatchInsideADoubleByteCharacter)
{
    // 's' (0x73) can be the trail byte of 0x82, so "status/" right after
    // 0x82 is not a marker; the real number comes later in the block.
    PageStatus status = NumberedStatus(5);
    status.text = "\x82status/999\">";
    Scrape(TimelinePage({status}));
    ASSERT_EQ(1, store.GetCount());
    EXPECT_STREQ("5", At(0).statusId);
}

TEST_F(ScraperTest, TheSamePageTwiceChangesNothingButAsksForIconsAgain)
{
    std::vector<PageStatus> statuses;
    for (int i = 1; i <= 5; ++i)
        statuses.push_back(NumberedStatus(static_cast<std::uint64_t>(i)));
    const std::string page = TimelinePage(statuses);
    Scrape(page);
    std::vector<TimelineEntry> before;
    for (int i = 0; i < store.GetCount(); ++i)
        before.push_back(At(i));

    // The same statuses seen again with other details change nothing either.
    std::vector<PageStatus> changed = statuses;
    for (PageStatus& status : changed)
        status.text = "edited";
    Scrape(page);
    Scrape(TimelinePage(changed));

    ASSERT_EQ(5, store.GetCount());
    for (int i = 0; i < 5; ++i) {
        const TimelineEntry entry = At(i);
        EXPECT_EQ(0, std::memcmp(&before[static_cast<size_t>(i)], &entry, sizeof entry)) << i;
    }
    EXPECT_EQ(15u, pictures.size());
}

TEST_F(ScraperTest, APageWithoutStatusesAddsNothing)
{
    Scrape(TimelinePage({NumberedStatus(1)}));
    Scrape("");
    Scrape("<html><li>no status blocks</li><li class=\"hentry</html>");
    EXPECT_EQ(1, store.GetCount());
    EXPECT_EQ(1u, pictures.size());
    ScrapePage(CString(TimelinePage({NumberedStatus(2)}).c_str()), WebBaseAddress(), store);
    EXPECT_EQ(2, store.GetCount());
}

TEST_F(ScraperTest, KeepsTheStoreNewestFirstAcrossPages)
{
    // Numbers are scraped in a scattered order; later numbers are newer.
    const int pages[][4] = {{5, 1, 9, 3}, {2, 8, 4, 6}, {10, 7, 1, 0}};
    for (const auto& numbers : pages) {
        std::vector<PageStatus> statuses;
        for (int number : numbers)
            statuses.push_back(NumberedStatus(static_cast<std::uint64_t>(number)));
        Scrape(TimelinePage(statuses));
        for (int i = 0; i + 1 < store.GetCount(); ++i)
            EXPECT_FALSE(NewerFirst(At(i + 1), At(i))) << i;
    }
    ASSERT_EQ(11, store.GetCount());
    for (int i = 0; i <= 10; ++i)
        EXPECT_STREQ(std::to_string(10 - i).c_str(), At(i).statusId);
}

} // namespace
