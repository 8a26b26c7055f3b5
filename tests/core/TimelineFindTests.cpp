#include "SearchText.h"
#include "TimelineSnapshot.h"
#include "TimelineStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// Code page 932 characters the rule must keep apart from ASCII: each is a
// lead byte and a trail byte that reads as an ASCII character alone.
#define KANA_A "\x83\x41"        // katakana a, trail 'A'
#define KANA_DI "\x83\x61"       // katakana di, trail 'a'
#define KANA_SO "\x83\x5c"       // katakana so, trail '\'
#define WIDE_A "\x82\x60"        // full-width A
#define WIDE_B "\x82\x61"        // full-width B, trail 'a'
#define TOKYO "\x93\x8c\x8b\x9e" // two kanji, every byte a possible lead byte

struct Status {
    std::string id;
    std::string text;
    std::string displayName;
    std::string screenName;
};

void Add(TimelineStore& store, const std::vector<Status>& statuses)
{
    TimelineStore::Batch batch(store);
    for (const Status& status : statuses) {
        TimelineEntry entry = {};
        std::snprintf(entry.statusId, sizeof entry.statusId, "%s", status.id.c_str());
        std::snprintf(entry.text, sizeof entry.text, "%s", status.text.c_str());
        std::snprintf(entry.displayName, sizeof entry.displayName, "%s", status.displayName.c_str());
        std::snprintf(entry.screenName, sizeof entry.screenName, "%s", status.screenName.c_str());
        // Newer by id, so position = count - 1 - index of adding.
        entry.createdAtFileTime.dwLowDateTime = static_cast<DWORD>(std::stoul(status.id));
        batch.Add(entry);
    }
}

TEST(TimelineFindTest, MatchesShownTextAndNamesByTheCharacterRule)
{
    struct Case {
        Status status;
        const char* pattern;
        int field; // -1: no match
        int offset;
    };
    const Case cases[] = {
        {{"1", "Good Morning", "", "u"}, "morning", SearchTexts::textField, 5}, // ASCII either case
        {{"1", "good morning", "", "u"}, "MORN", SearchTexts::textField, 5},
        {{"1", "<a href=\"x\">link</a> here", "", "u"}, "href", -1, 0},      // tags are not shown
        {{"1", "<a href=\"x\">link</a> here", "", "u"}, "link here", SearchTexts::textField, 0},
        {{"1", "a < b", "", "u"}, "< b", -1, 0},                            // stripped as the pane does
        {{"1", "x", "Tom &amp; &quot;J&quot;", "tom"}, "m & \"j\"", SearchTexts::displayNameField, 2},
        {{"1", "x", "Tom &amp; Jerry", "tom"}, "&amp;", -1, 0},            // names as shown, decoded
        {{"1", "hello", "Hello World", "alice_W"}, "ALICE_w", SearchTexts::screenNameField, 0},
        {{"1", "hello", "", "u"}, "", -1, 0},
        {{"1", KANA_DI, "", "u"}, "a", -1, 0},                             // never on a trail byte
        {{"1", KANA_DI "a", "", "u"}, "A", SearchTexts::textField, 2},
        {{"1", KANA_A, "", "u"}, KANA_DI, -1, 0},                          // trail bytes are not folded
        {{"1", KANA_A, "", "u"}, KANA_A, SearchTexts::textField, 0},
        {{"1", KANA_SO "\\", "", "u"}, "\\", SearchTexts::textField, 2},
        {{"1", WIDE_B, "", "u"}, "b", -1, 0},                              // full-width is not half-width
        {{"1", WIDE_A, "", "u"}, "a", -1, 0},
        {{"1", "A", "", "u"}, WIDE_A, -1, 0},
        {{"1", WIDE_A WIDE_B, "", "u"}, WIDE_B, SearchTexts::textField, 2},
        {{"1", KANA_A, "", "u"}, "\x83", -1, 0},                           // a match ends between characters
        // In a run of possible lead bytes the pairs depend on where it starts.
        {{"1", "\x81" TOKYO, "", "u"}, "\x8c\x8b", SearchTexts::textField, 2},
        {{"1", "\x81" TOKYO, "", "u"}, "\x8b\x9e", -1, 0},
        {{"1", "x " TOKYO, "", "u"}, "\x8b\x9e", SearchTexts::textField, 4},
        {{"1", "x " TOKYO, "", "u"}, "\x8c\x8b", -1, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.status.text + " / " + test.pattern);
        TimelineStore store;
        Add(store, {test.status});
        SearchPattern pattern;
        MakeSearchPattern(test.pattern, pattern);
        const TimelineSnapshot::FindResult result = store.Snapshot().Find(pattern, -1, false);
        EXPECT_EQ(test.field < 0 ? -1 : 0, result.position);
        EXPECT_EQ(test.field < 0 ? 0 : 1, result.total);
        EXPECT_EQ(test.field < 0 ? 0 : test.field, result.field);
        EXPECT_EQ(test.field < 0 ? 0 : test.offset, result.offset);
    }
}

// Every place where the bytes stand, from the buffer's start on, each scan
// resuming one byte after its last answer, as the find does. The buffer is
// exactly the text, so a read past its end shows under AddressSanitizer.
std::vector<int> ScanAll(PatternScan scan, const std::string& text, const SearchPattern& pattern)
{
    const std::unique_ptr<char[]> buffer(new char[text.size()]);
    text.copy(buffer.get(), text.size());
    const char* const end = buffer.get() + text.size();
    std::vector<int> places;
    for (const char* at = buffer.get(); (at = scan(at, end, pattern)) != nullptr; ++at)
        places.push_back(static_cast<int>(at - buffer.get()));
    return places;
}

// The plain scan and the wide one (where this processor has it) against a
// plain byte search, with patterns about the wide scan's sixteen-byte step,
// placed at every offset of two steps and at or near the buffer's end. The
// filler either holds nothing alike or near misses whose first and last bytes
// agree with the pattern's.
TEST(TimelineFindTest, BothScansFindTheSameBytes)
{
    const std::string source = "k" TOKYO KANA_DI "ab" WIDE_A KANA_SO "cdefghijklmnopqrstuvwxyz";
    std::vector<std::pair<std::string, std::string>> cases; // text, pattern
    for (const std::size_t length : {1, 2, 3, 15, 16, 17, 31, 32, 33}) {
        const std::string pattern = source.substr(0, length);
        // Too short to have a middle: the first byte alone.
        std::string nearMiss = length > 2 ? pattern : pattern.substr(0, 1) + ".";
        nearMiss[length > 2 ? length / 2 : 1] = '.';
        for (const std::string& unit : {std::string("."), nearMiss}) {
            std::string filler;
            while (filler.size() < 64)
                filler += unit;
            for (std::size_t offset = 0; offset < 32; ++offset)
                for (const std::size_t tail : {0, 1, 15, 16, 17}) {
                    cases.push_back({filler.substr(0, offset) + pattern + filler.substr(0, tail), pattern});
                    cases.push_back({filler.substr(0, offset + length + tail), pattern});
                }
        }
    }
    // Runs of double-byte characters, matched at byte level: the scans know
    // nothing of characters, StartsCharacter decides later.
    std::string tokyo;
    for (int count = 0; count < 12; ++count)
        tokyo += TOKYO KANA_A;
    for (const char* pattern : {"\x8b\x9e", "\x9e\x93", "\x8c\x8b\x9e\x83", "A" TOKYO, "\x83"})
        cases.push_back({tokyo, pattern});
    cases.push_back({"x", "xy"});

    const PatternScan wide = WidePatternScan();
#if defined(__x86_64__)
    ASSERT_NE(nullptr, wide) << "x86_64 always has SSE2";
#endif
    for (const auto& [text, patternText] : cases) {
        SCOPED_TRACE(text + " / " + patternText);
        SearchPattern pattern;
        pattern.length = static_cast<int>(patternText.size());
        patternText.copy(pattern.bytes, patternText.size());
        std::vector<int> expected;
        for (std::size_t at = text.find(patternText); at != std::string::npos; at = text.find(patternText, at + 1))
            expected.push_back(static_cast<int>(at));
        EXPECT_EQ(expected, ScanAll(ScanForPatternPlain, text, pattern));
        if (wide != nullptr) {
            EXPECT_EQ(expected, ScanAll(wide, text, pattern));
        }
    }
}

// Rows 0..5 newest first; "word" stands in rows 1, 3 and 4.
TEST(TimelineFindTest, GoesOnAfterTheRowAndWrapsOnceEachWay)
{
    TimelineStore store;
    Add(store, {{"10", "word", "", "a"}, {"11", "words", "", "b"}, {"12", "none", "", "c"},
                {"13", "a word", "", "d"}, {"14", "none", "", "e"}, {"15", "none", "", "f"}});
    const TimelineSnapshot view = store.Snapshot();
    Add(store, {{"16", "word", "", "g"}}); // after the view was taken
    SearchPattern pattern;
    ASSERT_TRUE(MakeSearchPattern("WORD", pattern));
    struct Case {
        int after;
        bool backward;
        int position;
        int ordinal;
    };
    const Case cases[] = {
        {-1, false, 2, 1}, {2, false, 4, 2}, {4, false, 5, 3}, {5, false, 2, 1}, {0, false, 2, 1},
        {-1, true, 5, 3},  {5, true, 4, 2},  {2, true, 5, 3},  {3, true, 2, 1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::to_string(test.after) + (test.backward ? " backward" : " forward"));
        const TimelineSnapshot::FindResult result = view.Find(pattern, test.after, test.backward);
        EXPECT_EQ(test.position, result.position);
        EXPECT_EQ(test.ordinal, result.ordinal);
        EXPECT_EQ(3, result.total);
    }
    EXPECT_EQ(4, store.Snapshot().Find(pattern, -1, false).total);
}

// After the store starts over (a new account) a find sees the new rows
// alone: never the old account's statuses, whose slots lie before the new
// state's, neither when few rows match (each found by its slot) nor when
// many do (one walk over the order).
TEST(TimelineFindTest, AfterStartingOverFindsOnlyTheNewRows)
{
    TimelineStore store;
    std::vector<Status> old;
    for (int i = 0; i < 2000; ++i)
        old.push_back({std::to_string(100000 + i), "old word few many", "", "old"});
    Add(store, old);
    ASSERT_TRUE(store.StartOver());
    std::vector<Status> fresh;
    for (int i = 0; i < 300; ++i) {
        const bool few = i % 100 == 50;
        fresh.push_back({std::to_string(200000 + i), std::string(few ? "few " : "") + (i < 40 ? "many" : "x"), "", "n"});
    }
    Add(store, fresh);
    const TimelineSnapshot view = store.Snapshot();
    ASSERT_EQ(300, view.GetCount());
    struct Case {
        const char* pattern;
        bool backward;
        int total;
        int first; // the row found from the top (backward: from the bottom)
    };
    // Row = 299 - i: newer ids sit higher.
    const Case cases[] = {
        {"few", false, 3, 49}, {"few", true, 3, 249}, {"many", false, 40, 260},
        {"many", true, 40, 299}, {"old", false, 0, -1}, {"word", true, 0, -1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.pattern) + (test.backward ? " backward" : " forward"));
        SearchPattern pattern;
        ASSERT_TRUE(MakeSearchPattern(test.pattern, pattern));
        const TimelineSnapshot::FindResult result = view.Find(pattern, -1, test.backward);
        EXPECT_EQ(test.total, result.total);
        EXPECT_EQ(test.first, result.position);
        if (result.position >= 0) {
            TimelineEntry entry;
            ASSERT_TRUE(view.GetEntry(result.position, entry));
            EXPECT_NE(nullptr, std::strstr(entry.text, test.pattern));
        }
    }
}

// Finds run on views pinned while a writer goes on adding pages: each sees
// exactly the rows of its own view (under ThreadSanitizer, no read of a
// record the writer is still making).
TEST(TimelineFindTest, AViewFindsItsOwnRowsWhilePagesArrive)
{
    TimelineStore store;
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int page = 0; page < 200; ++page) {
            std::vector<Status> statuses;
            for (int number = page * 50; number < page * 50 + 50; ++number)
                statuses.push_back({std::to_string(number), number % 2 == 0 ? "even" : "odd", "", ""});
            Add(store, statuses);
        }
        writing = false;
    });
    SearchPattern pattern;
    ASSERT_TRUE(MakeSearchPattern("EVEN", pattern));
    int finds = 0;
    while (writing || finds == 0) {
        const TimelineSnapshot view = store.Snapshot();
        const TimelineSnapshot::FindResult result = view.Find(pattern, -1, false);
        ASSERT_EQ((view.GetCount() + 1) / 2, result.total);
        ++finds;
    }
    writer.join();
    // Many matches: rows come from one walk over the order, not one search
    // a match. Row r holds status 9999 - r, so the even ones sit in odd rows.
    const TimelineSnapshot view = store.Snapshot();
    int after = -1;
    for (int ordinal = 1; ordinal <= 3; ++ordinal) {
        const TimelineSnapshot::FindResult result = view.Find(pattern, after, false);
        EXPECT_EQ(2 * ordinal - 1, result.position);
        EXPECT_EQ(ordinal, result.ordinal);
        EXPECT_EQ(5000, result.total);
        after = result.position;
    }
    EXPECT_EQ(9999, view.Find(pattern, -1, true).position);
}

} // namespace
