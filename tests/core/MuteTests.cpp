#include "MuteList.h"
#include "TimelineSnapshot.h"
#include "TimelineStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

#define KANA_A "\x83\x41"        // katakana a, trail 'A'
#define KANA_XA "\x83\x40"       // small katakana a, trail '@'
#define TOKYO "\x93\x8c\x8b\x9e" // two kanji
#define WIDE_SPACE "\x81\x40"

struct Status {
    std::string text;
    std::string displayName;
    std::string screenName;
    unsigned time = 0; // newer is larger; 0: the order of adding
};

// Appends statuses as one page, ids numbered on from the store's slots.
void Add(TimelineStore& store, const std::vector<Status>& statuses)
{
    TimelineStore::Batch batch(store);
    int number = store.Snapshot().ArrivalEnd();
    for (const Status& status : statuses) {
        TimelineEntry entry = {};
        std::snprintf(entry.statusId, sizeof entry.statusId, "%d", number);
        std::snprintf(entry.text, sizeof entry.text, "%s", status.text.c_str());
        std::snprintf(entry.displayName, sizeof entry.displayName, "%s", status.displayName.c_str());
        std::snprintf(entry.screenName, sizeof entry.screenName, "%s", status.screenName.c_str());
        entry.createdAtFileTime.dwLowDateTime = status.time != 0 ? status.time : static_cast<DWORD>(number);
        batch.Add(entry);
        ++number;
    }
}

TEST(MuteListTest, TakesOneTrimmedEntryALineUpToTwoHundred)
{
    const std::string a253(253, 'a'), a254(254, 'a'), a255(255, 'a');
    const struct {
        std::string text;
        std::string entries; // as the field shows them
    } cases[] = {
        {"tea\r\ncoffee\nmilk\rjuice\n", "tea\r\ncoffee\r\nmilk\r\njuice"},
        {"\r\n\n  tea  \r\r\n\t\n" WIDE_SPACE "\n", "tea"},
        {WIDE_SPACE " green tea\t" WIDE_SPACE, "green tea"},
        {"Tea\ntea\nTEA\n" KANA_A "\n" KANA_A, "Tea\r\n" KANA_A}, // the rule cannot tell them apart
        {"@\n@bob\n@Bob\nbob", "@\r\n@bob\r\nbob"},
        {"\x81\x81@", "\x81\x81@"}, // ends in the bytes of a full-width space, not in one
        {"  " + a255 + "a", a255},    // cut at 255 bytes after trimming
        {a254 + TOKYO, a254},         // never inside a character
        {a253 + TOKYO, a253 + "\x93\x8c"},
        {a254 + " b", a254}, // a cut that leaves a space trims it
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text);
        const MuteList list(test.text.c_str());
        EXPECT_EQ(test.entries, list.GetText());
        EXPECT_EQ(list, MuteList(list.GetText().c_str())); // the field shows what it saved
    }

    std::string text;
    for (int number = 0; number <= maxMuteEntries; ++number)
        text += "w" + std::to_string(number) + (number == 100 ? "\nW0\n\n" : "\r\n");
    MuteList list(text.c_str());
    list.Add("more");
    ASSERT_EQ(maxMuteEntries, list.GetCount());
    EXPECT_STREQ("w199", list.GetEntry(maxMuteEntries - 1));

    // The settings file keeps one word a key: each is taken as a line.
    MuteList stored;
    for (const char* word : {"tea", " Tea ", "", "@bob", "coffee"})
        stored.Add(word);
    EXPECT_EQ("tea\r\n@bob\r\ncoffee", stored.GetText());
}

// A word mutes where the find finds it, an author by the whole screen name;
// the status decision and the whole view's scan agree on each.
TEST(MuteTest, WordsMatchShownTextAndNamesAuthorsTheWholeScreenName)
{
    const struct {
        const char* list;
        Status status;
        bool muted;
    } cases[] = {
        {"@BOB", {"hello", "", "BoB"}, true},
        {"@bob", {"hello", "", "bobby"}, false}, // not a prefix
        {"@bob", {"hi @bob", "bob", "alice"}, false}, // names its author only
        {"bob", {"hello", "", "bobby"}, true},       // a word finds screen names too
        {"lover", {"hello", "Tea Lover", "t"}, true},
        {"@bob!", {"hey @bob!", "", "x"}, true}, // not a name: a word
        {"@", {"meet @ noon", "", "x"}, true},
        {KANA_XA "bob", {"hello", "", "bob"}, false}, // '@' as a trail byte starts nothing
        {"tea\n@carol\ncoffee", {"", "", "carol"}, true},
        {"tea\n@carol\ncoffee", {"milk", "Milk", "milk"}, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.list) + " / " + test.status.text + " / " + test.status.screenName);
        TimelineStore store;
        Add(store, {{"first", "", "z"}, test.status});
        const TimelineSnapshot view = store.Snapshot();
        const MuteList list(test.list);
        EXPECT_EQ(test.muted, view.IsMuted(0, list));
        EXPECT_EQ(test.muted, view.MutedBy(list).Holds(view.ArrivalOf(0)));
    }
}

// Random statuses over several chunks of records, out of time order, added
// by a writer while a worker brings a set up to date on each view it takes
// (under ThreadSanitizer: no read of a record still being written). Each
// status's decision, the whole view's set and the page-by-page set agree,
// and after the store starts over the set begins at the new rows.
TEST(MuteTest, TheStatusTheViewAndEachPageAgreeWhilePagesArrive)
{
    const char* const tokens[] = {"tea", "Tea", "coffee", "@bob", "bob", KANA_A, KANA_XA, TOKYO, "a", "A",
                                  "\x8c\x8b", " ", "&amp;", "<b>", "@"};
    const char* const names[] = {"bob", "Bob", "bobby", "carol", "tea"};
    std::mt19937 random(7);
    const auto pick = [&random](const auto& pool) { return pool[random() % (sizeof pool / sizeof pool[0])]; };
    const auto phrase = [&](int most) {
        std::string text;
        for (int count = static_cast<int>(random() % most); count > 0; --count)
            text += pick(tokens);
        return text;
    };
    for (int round = 0; round < 8; ++round) {
        std::string field;
        for (int count = 0; count < 4; ++count)
            field += std::string(random() % 3 == 0 ? "@" : "") + phrase(3) + "\n";
        SCOPED_TRACE(field);
        const MuteList list(field.c_str());
        std::vector<std::vector<Status>> pages(8);
        for (std::vector<Status>& page : pages)
            for (int count = 0; count < 60; ++count)
                page.push_back({phrase(9), phrase(3), pick(names), 1 + static_cast<unsigned>(random() % 1000)});

        TimelineStore store;
        std::atomic<bool> writing{true};
        std::thread writer([&] {
            for (const std::vector<Status>& page : pages)
                Add(store, page);
            writing = false;
        });
        MutedArrivals paged;
        while (writing)
            store.Snapshot().UpdateMuted(list, paged);
        writer.join();
        const TimelineSnapshot view = store.Snapshot();
        view.UpdateMuted(list, paged);
        const MutedArrivals whole = view.MutedBy(list);
        int muted = 0;
        for (int position = 0; position < view.GetCount(); ++position) {
            const bool one = view.IsMuted(position, list);
            ASSERT_EQ(one, whole.Holds(view.ArrivalOf(position))) << position;
            ASSERT_EQ(one, paged.Holds(view.ArrivalOf(position))) << position;
            muted += one;
        }
        EXPECT_EQ(muted, whole.Count());
        EXPECT_EQ(muted, paged.Count());

        ASSERT_TRUE(store.StartOver());
        Add(store, pages[0]);
        const TimelineSnapshot fresh = store.Snapshot();
        fresh.UpdateMuted(list, paged);
        EXPECT_EQ(fresh.ArrivalBegin(), paged.Begin());
        EXPECT_EQ(fresh.MutedBy(list).Count(), paged.Count());
    }
}

// Rows 0..7 newest first; "tea" stands in rows 1, 2, 4, 5 and 7; rows 2 and
// 5 are muted (by author and by word), and so is row 6, which has no tea.
TEST(MuteTest, TheFindAndTheRowsPassOverMutedStatuses)
{
    TimelineStore store;
    Add(store, {{"tea", "", "a"}, {"milk", "", "a"}, {"tea, with milk", "", "a"}, {"tea", "", "a"},
                {"x", "", "a"}, {"tea", "", "bob"}, {"tea", "", "a"}, {"x", "", "a"}});
    const TimelineSnapshot view = store.Snapshot();
    const MutedArrivals muted = view.MutedBy(MuteList("@BOB\nmilk"));
    SearchPattern pattern;
    ASSERT_TRUE(MakeSearchPattern("tea", pattern));
    const struct {
        int after;
        bool backward;
        int position;
        int ordinal;
    } cases[] = {
        {-1, false, 1, 1}, {2, false, 4, 2}, {6, false, 7, 3}, {7, false, 1, 1}, // from muted rows, and round
        {-1, true, 7, 3},  {5, true, 4, 2},  {6, true, 4, 2},  {1, true, 7, 3},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::to_string(test.after) + (test.backward ? " backward" : " forward"));
        const TimelineSnapshot::FindResult result = view.Find(pattern, test.after, test.backward, &muted);
        EXPECT_EQ(test.position, result.position);
        EXPECT_EQ(test.ordinal, result.ordinal);
        EXPECT_EQ(3, result.total);
    }
    std::vector<int> shown;
    view.ShownPositions(muted, shown);
    EXPECT_EQ((std::vector<int>{0, 1, 3, 4, 7}), shown);
}

} // namespace
