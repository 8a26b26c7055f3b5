#include "TimelineSnapshot.h"
#include "TimelineStore.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A status of 100 to 250 bytes; later numbers are newer, except that every
// seventh is as old as status 0.
TimelineEntry NumberedEntry(int number)
{
    TimelineEntry entry = {};
    std::snprintf(entry.statusId, sizeof entry.statusId, "%d", number);
    std::snprintf(entry.screenName, sizeof entry.screenName, "user%d", number % 13);
    std::snprintf(entry.iconUrl, sizeof entry.iconUrl, "http://img.example/%d.png", number % 13);
    std::snprintf(entry.text, sizeof entry.text, "status %d %s", number, std::string(number % 150, 'x').c_str());
    std::snprintf(entry.createdAtText, sizeof entry.createdAtText, "Mon Jan 04 09:05:07 +0000 2010");
    entry.createdAt.wYear = 2010;
    entry.createdAtFileTime.dwLowDateTime = number % 7 == 0 ? 0 : static_cast<DWORD>(number);
    return entry;
}

// Readers see exactly the first `count` accepted entries, byte for byte,
// newest first and each at its IndexOf, and none of the accepted entries
// after them.
void ExpectPublished(const TimelineReader& store, const std::vector<TimelineEntry>& accepted, int count)
{
    ASSERT_EQ(count, store.GetCount());
    for (int i = 0; i < static_cast<int>(accepted.size()); ++i) {
        const int index = store.IndexOf(accepted[static_cast<size_t>(i)].statusId);
        if (i >= count) {
            EXPECT_EQ(-1, index) << accepted[static_cast<size_t>(i)].statusId << " is not published yet";
            continue;
        }
        TimelineEntry copy;
        ASSERT_TRUE(store.GetEntry(index, copy)) << accepted[static_cast<size_t>(i)].statusId;
        EXPECT_EQ(0, std::memcmp(&accepted[static_cast<size_t>(i)], &copy, sizeof copy)) << copy.statusId;
    }
    TimelineEntry newer = {};
    for (int i = 0; i < count; ++i) {
        TimelineEntry entry;
        ASSERT_TRUE(store.GetEntry(i, entry));
        EXPECT_FALSE(i > 0 && NewerFirst(entry, newer)) << "row " << i;
        newer = entry;
    }
}

// Under each limit, pages of 20 new statuses (and one known) until five
// pages after the first refusal. The limits run through every kind of block
// the store takes: the first id table, slot, record and find-text chunks, a
// larger id table, the published orders.
TEST(StoreOutOfMemoryTest, KeepsWhatItHadStaysWholeAndCountsEveryRefusal)
{
    long refusedEntries = 0;
    long refusedCommits = 0;
    for (size_t limit = 0; limit < 200000; limit += 997) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        TimelineStore store(limit);
        std::vector<TimelineEntry> accepted;
        int published = 0;
        int pagesAfterRefusal = 0;
        for (int number = 0; pagesAfterRefusal < 5; ++pagesAfterRefusal) {
            {
                TimelineStore::Batch batch(store);
                for (int i = 0; i < 20; ++i, ++number) {
                    const TimelineEntry entry = NumberedEntry(number);
                    const long failures = store.MemoryFailures();
                    const bool added = batch.Add(entry);
                    EXPECT_EQ(added ? failures : failures + 1, store.MemoryFailures());
                    if (added)
                        accepted.push_back(entry);
                    refusedEntries += added ? 0 : 1;
                }
                if (!accepted.empty()) {
                    const long failures = store.MemoryFailures();
                    EXPECT_FALSE(batch.Add(accepted[accepted.size() / 2]));
                    EXPECT_EQ(failures, store.MemoryFailures());
                }
                const long failures = store.MemoryFailures();
                batch.Commit();
                ASSERT_LE(store.MemoryFailures(), failures + 1);
                if (store.MemoryFailures() == failures)
                    published = static_cast<int>(accepted.size());
                else
                    ++refusedCommits;
            }
            ExpectPublished(store, accepted, published);
            if (store.MemoryFailures() == 0)
                pagesAfterRefusal = -1;
            ASSERT_LE(store.MemoryInUse(), limit);
        }
    }
    EXPECT_GT(refusedEntries, 0);
    EXPECT_GT(refusedCommits, 0);
}

// A commit refused for want of an order keeps the page aside: readers and
// snapshots go on with what they had, and the next commit that finds room
// publishes it.
TEST(StoreOutOfMemoryTest, ARefusedPageIsPublishedByTheNextCommitWithRoom)
{
    // Two snapshots pinned across two pages leave the writer no state to
    // reuse: the third page needs a new order. A first store, without a
    // limit, tells how much memory the store holds just before that.
    size_t beforeThirdOrder = 0;
    {
        TimelineStore measured;
        TimelineStore::Batch(measured).Add(NumberedEntry(1));
        const TimelineSnapshot first = measured.Snapshot();
        TimelineStore::Batch(measured).Add(NumberedEntry(2));
        const TimelineSnapshot second = measured.Snapshot();
        TimelineStore::Batch batch(measured);
        batch.Add(NumberedEntry(3));
        beforeThirdOrder = measured.MemoryInUse();
    }

    TimelineStore store(beforeThirdOrder);
    std::vector<TimelineEntry> accepted = {NumberedEntry(1), NumberedEntry(2), NumberedEntry(3)};
    TimelineStore::Batch(store).Add(accepted[0]);
    TimelineSnapshot first = store.Snapshot();
    TimelineStore::Batch(store).Add(accepted[1]);
    TimelineSnapshot second = store.Snapshot();
    {
        TimelineStore::Batch batch(store);
        EXPECT_TRUE(batch.Add(accepted[2]));
        batch.Commit();
        EXPECT_EQ(1, store.MemoryFailures());
        ExpectPublished(store, accepted, 2);
        ExpectPublished(first, accepted, 1);
        ExpectPublished(second, accepted, 2);

        first = TimelineSnapshot();
        second = TimelineSnapshot();
        batch.Commit();
    }
    EXPECT_EQ(1, store.MemoryFailures());
    ExpectPublished(store, accepted, 3);
}

} // namespace
