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

// Appends statuses as one page, ids numbered on from the store's count.
void Add(TimelineStore& store, const std::vector<Status>& statuses)
{
    TimelineStore::Batch batch(store);
    const int first = store.Snapshot().ArrivalEnd();
    for (std::size_t index = 0; index < statuses.size(); ++index) {
        const Status& status = statuses[index];
        const int number = first + static_cast<int>(index);
        TimelineEntry entry = {};
        std::snprintf(entry.statusId, sizeof entry.statusId, "%d", number);
        std::snprintf(entry.text, sizeof entry.text, "%s", status.text.c_str());
        std::snprintf(entry.displayName, sizeof entry.displayName, "%s", status.displayName.c_str());
        std::snprintf(entry.screenName, sizeof entry.screenName, "%s", status.screenName.c_str());
        entry.createdAtFileTime.dwLowDateTime = status.time != 0 ? status.time : static_cast<DWORD>(number);
        batch.Add(entry);
    }
}

std::vector<std::string> Entries(const MuteList& list)
{
    std::vector<std::string> entries;
    for (int index = 0; index < list.GetCount(); ++index)
        entries.push_back(list.GetEntry(index));
    return entries;
}

TEST(MuteListTest, TakesOneTrimmedEntryALine)
{
    const std::string a253(253, 'a');
    const std::string a254(254, 'a');
    const std::string a255(255, 'a');
    const struct {
        std::string text;
        std::vector<std::string> entries;
    } cases[] = {
        {"tea\r\ncoffee\nmilk\rjuice", {"tea", "coffee", "milk", "juice"}},
        {"\r\n\n  tea  \r\r\n\t\n" WIDE_SPACE "\n", {"tea"}},
        {WIDE_SPACE " green tea\t" WIDE_SPACE, {"green tea"}},
        {"Tea\ntea\nTEA\n" KANA_A "\n" KANA_A, {"Tea", KANA_A}}, // the rule cannot tell them apart
        {"@\n@bob\n@Bob\nbob", {"@", "@bob", "bob"}},
        {"\x81\x81@", {"\x81\x81@"}}, // ends in the bytes of a full-width space, not in one
        {"  " + a255 + "a", {a255}},    // cut at 255 bytes after trimming
        {a254 + TOKYO, {a254}},         // never inside a character
        {a253 + TOKYO, {a253 + "\x93\x8c"}},
        {a254 + " b", {a254}},          // a cut that leaves a space trims it
        {"", {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text);
        const MuteList list(test.text.c_str());
        EXPECT_EQ(test.entries, Entries(list));
        EXPECT_EQ(list, MuteList(list.GetText().c_str())); // the field shows what it saved
    }
    EXPECT_EQ("tea\r\ncoffee", MuteList("tea\ncoffee\n").GetText());
}

TEST(MuteListTest, KeepsTheFirstTwoHundredEntries)
{
    std::string text;
    for (int number = 0; number < maxMuteEntries + 1; ++number)
        text += "w" + std::to_string(number) + (number == 100 ? "\nW0\n\n" : "\r\n");
    MuteList list(text.c_str());
    ASSERT_EQ(maxMuteEntries, list.GetCount());
    EXPECT_STREQ("w199", list.GetEntry(maxMuteEntries - 1));
    EXPECT_EQ(nullptr, list.GetEntry(maxMuteEntries));
    list.Add("more");
    EXPECT_EQ(maxMuteEntries, list.GetCount());

    // The settings file keeps one word a key: each is taken as a line.
    MuteList stored;
    for (const char* word : {"tea", " Tea ", "", "@bob", "coffee"})
        stored.Add(word);
    EXPECT_EQ((std::vector<std::string>{"tea", "@bob", "coffee"}), Entries(stored));
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
        {"@bob", {"hello", "Bob", "bob"}, true},
        {"@bob", {"hello", "", "BoB"}, true},
        {"@BOB", {"hello", "", "bob"}, true},
        {"@bob", {"hello", "", "bobby"}, false}, // not a prefix
        {"@bob", {"hello", "", "jimbob"}, false},
        {"@bob", {"hi @bob", "bob", "alice"}, false}, // names its author only
        {"bob", {"hello", "", "bobby"}, true},       // a word finds screen names too
        {"lover", {"hello", "Tea Lover", "t"}, true},
        {"@bob!", {"hey @bob!", "", "x"}, true},     // not a name: a word
        {"@", {"meet @ noon", "", "x"}, true},
        {"@", {"hello", "", "x"}, false},
        {KANA_XA "bob", {"hello", "", "bob"}, false}, // '@' as a trail byte starts nothing
        {"tea\n@carol\ncoffee", {"", "", "carol"}, true},
        {"tea\n@carol\ncoffee", {"iced coffee", "", "dave"}, true},
        {"tea\n@carol\ncoffee", {"milk", "Milk", "milk"}, false},
        {"", {"anything", "", "x"}, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.list) + " / " + test.status.text + " / " + test.status.screenName);
        TimelineStore store;
        Add(store, {{"first", "", "z"}, test.status});
        const TimelineSnapshot view = store.Snapshot();
        const MuteList list(test.list);
        EXPECT_EQ(test.muted, view.IsMuted(0, list));
        const MutedArrivals muted = view.MutedBy(list);
        EXPECT_EQ(test.muted, muted.Holds(view.ArrivalOf(0)));
        EXPECT_EQ(test.muted ? 1 : 0, muted.Count());
    }
}

// Random statuses over several chunks of records, out of time order, and a
// random list: each status's decision, the whole view's set, and a set
// brought up to date page by page all agree.
TEST(MuteTest, TheStatusDecisionTheViewAndEachPageAgree)
{
    const char* const tokens[] = {"tea", "Tea", "TEA", "coffee", "@bob", "bob", KANA_A, KANA_XA, TOKYO, "a", "A",
                                  "\x8c\x8b", " ", "&amp;", "<b>", "</b>", "@"};
    const char* const names[] = {"bob", "Bob", "bobby", "carol", "dave", "tea"};
    std::mt19937 random(7);
    const auto pick = [&random](const auto& pool) { return pool[random() % (sizeof pool / sizeof pool[0])]; };
    const auto phrase = [&](int most) {
        std::string text;
        for (int count = static_cast<int>(random() % most); count > 0; --count)
            text += pick(tokens);
        return text;
    };
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        std::string field;
        for (int count = 0; count < 4; ++count)
            field += std::string(random() % 3 == 0 ? "@" : "") + phrase(3) + "\n";
        const MuteList list(field.c_str());

        TimelineStore store;
        MutedArrivals paged;
        for (int page = 0; page < 8; ++page) {
            std::vector<Status> statuses;
            for (int count = 0; count < 60; ++count)
                statuses.push_back({phrase(9), phrase(3), pick(names), 1 + static_cast<unsigned>(random() % 1000)});
            Add(store, statuses);
            store.Snapshot().UpdateMuted(list, paged);
        }
        const TimelineSnapshot view = store.Snapshot();
        const MutedArrivals whole = view.MutedBy(list);
        int muted = 0;
        for (int position = 0; position < view.GetCount(); ++position) {
            const int arrival = view.ArrivalOf(position);
            const bool one = view.IsMuted(position, list);
            ASSERT_EQ(one, whole.Holds(arrival)) << position << " in " << field;
            ASSERT_EQ(one, paged.Holds(arrival)) << position << " in " << field;
            muted += one;
        }
        EXPECT_EQ(muted, whole.Count());
        EXPECT_EQ(muted, paged.Count());
        std::vector<int> shown;
        view.ShownPositions(whole, shown);
        EXPECT_EQ(static_cast<std::size_t>(view.GetCount() - muted), shown.size());
    }
}

TEST(MuteTest, AfterStartingOverTheSetBeginsAtTheNewRows)
{
    TimelineStore store;
    Add(store, {{"tea", "", "a"}, {"milk", "", "b"}});
    const MuteList list("tea");
    MutedArrivals muted = store.Snapshot().MutedBy(list);
    ASSERT_EQ(1, muted.Count());
    ASSERT_TRUE(store.StartOver());
    Add(store, {{"milk", "", "c"}, {"tea", "", "d"}, {"tea", "", "e"}});
    const TimelineSnapshot view = store.Snapshot();
    view.UpdateMuted(list, muted);
    EXPECT_EQ(view.ArrivalBegin(), muted.Begin());
    EXPECT_EQ(view.ArrivalEnd(), muted.End());
    EXPECT_EQ(2, muted.Count());
}

// Rows 0..7 newest first; "tea" stands in rows 1, 2, 4, 5 and 7; rows 2 and
// 5 are muted (by author and by word), and so is row 6, which has no tea.
TEST(MuteTest, TheFindPassesOverMutedRows)
{
    TimelineStore store;
    Add(store, {{"tea", "", "a"}, {"milk", "", "a"}, {"tea, with milk", "", "a"}, {"tea", "", "a"},
                {"x", "", "a"}, {"tea", "", "bob"}, {"tea", "", "a"}, {"x", "", "a"}});
    const TimelineSnapshot view = store.Snapshot();
    const MutedArrivals muted = view.MutedBy(MuteList("@BOB\nmilk"));
    ASSERT_EQ(3, muted.Count());
    SearchPattern pattern;
    ASSERT_TRUE(MakeSearchPattern("tea", pattern));
    const struct {
        int after;
        bool backward;
        int position;
        int ordinal;
    } cases[] = {
        {-1, false, 1, 1}, {1, false, 4, 2}, {2, false, 4, 2}, {4, false, 7, 3}, {7, false, 1, 1}, // wraps
        {5, false, 7, 3},  {6, false, 7, 3}, {-1, true, 7, 3}, {7, true, 4, 2},  {5, true, 4, 2},
        {6, true, 4, 2},   {4, true, 1, 1},  {1, true, 7, 3},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::to_string(test.after) + (test.backward ? " backward" : " forward"));
        const TimelineSnapshot::FindResult result = view.Find(pattern, test.after, test.backward, &muted);
        EXPECT_EQ(test.position, result.position);
        EXPECT_EQ(test.ordinal, result.ordinal);
        EXPECT_EQ(3, result.total);
    }
    EXPECT_EQ(5, view.Find(pattern, -1, false).total);
    SearchPattern milk;
    ASSERT_TRUE(MakeSearchPattern("milk", milk));
    EXPECT_EQ(-1, view.Find(milk, -1, false, &muted).position);
    std::vector<int> shown;
    view.ShownPositions(muted, shown);
    EXPECT_EQ((std::vector<int>{0, 1, 3, 4, 7}), shown);
}

// A worker makes the set on its own pinned view while the writer merges
// pages, as the window side runs it for a changed list (under
// ThreadSanitizer, no read of a record still being written).
TEST(MuteTest, AViewIsMutedOnAWorkerWhilePagesArrive)
{
    TimelineStore store;
    const MuteList list("even\n@Lucky");
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int page = 0; page < 100; ++page) {
            std::vector<Status> statuses;
            for (int number = page * 50; number < page * 50 + 50; ++number)
                statuses.push_back({number % 2 == 0 ? "EVEN" : "odd", "", number % 7 == 0 ? "lucky" : "luckyone"});
            Add(store, statuses);
        }
        writing = false;
    });
    MutedArrivals paged;
    int rounds = 0;
    while (writing || rounds == 0) {
        const TimelineSnapshot view = store.Snapshot();
        const MutedArrivals whole = view.MutedBy(list);
        view.UpdateMuted(list, paged);
        int expected = 0;
        for (int number = 0; number < view.ArrivalEnd(); ++number)
            expected += number % 2 == 0 || number % 7 == 0;
        EXPECT_EQ(expected, whole.Count());
        EXPECT_EQ(expected, paged.Count());
        if (HasFailure())
            break;
        ++rounds;
    }
    writer.join();
}

} // namespace
