#include "TimelineSnapshot.h"
#include "TimelineStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

TimelineEntry MakeEntry(const std::string& id, std::uint64_t key, const char* text = "")
{
    TimelineEntry entry = {};
    std::snprintf(entry.statusId, sizeof entry.statusId, "%s", id.c_str());
    std::snprintf(entry.text, sizeof entry.text, "%s", text);
    entry.createdAtFileTime.dwLowDateTime = static_cast<DWORD>(key);
    entry.createdAtFileTime.dwHighDateTime = static_cast<DWORD>(key >> 32);
    return entry;
}

std::vector<TimelineEntry> ReadAll(const TimelineReader& store)
{
    std::vector<TimelineEntry> entries(static_cast<size_t>(store.GetCount()));
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_TRUE(store.GetEntry(static_cast<int>(i), entries[i]));
    return entries;
}

// Checks order, uniqueness and IndexOf for every entry.
void ExpectWellFormed(const TimelineReader& store)
{
    const std::vector<TimelineEntry> entries = ReadAll(store);
    std::set<std::string> ids;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) {
            EXPECT_FALSE(NewerFirst(entries[i], entries[i - 1])) << "position " << i;
        }
        EXPECT_TRUE(ids.insert(entries[i].statusId).second) << "duplicate " << entries[i].statusId;
        EXPECT_EQ(static_cast<int>(i), store.IndexOf(entries[i].statusId)) << entries[i].statusId;
    }
}

TEST(TimelineStoreTest, StartsEmpty)
{
    TimelineStore store;
    TimelineEntry entry = MakeEntry("x", 1);
    EXPECT_EQ(0, store.GetCount());
    EXPECT_FALSE(store.GetEntry(0, entry));
    EXPECT_STREQ("x", entry.statusId); // untouched on failure
    EXPECT_EQ(-1, store.IndexOf(""));
    EXPECT_EQ(-1, store.IndexOf(nullptr));
    { TimelineStore::Batch nothing(store); }
    EXPECT_EQ(0, store.GetCount());
}

TEST(TimelineStoreTest, AKnownIdDropsTheNewcomerWhateverItsOtherFields)
{
    TimelineStore store;
    {
        TimelineStore::Batch batch(store);
        EXPECT_TRUE(batch.Add(MakeEntry("100", 5, "first")));
        EXPECT_FALSE(batch.Add(MakeEntry("100", 9, "same page")));
        EXPECT_TRUE(batch.Add(MakeEntry("1000", 9, "longer id")));
        EXPECT_TRUE(batch.Add(MakeEntry("10", 9, "shorter id")));
        EXPECT_TRUE(batch.Add(MakeEntry("ABC", 9)));
        EXPECT_TRUE(batch.Add(MakeEntry("abc", 9)));
    }
    {
        TimelineStore::Batch batch(store);
        EXPECT_FALSE(batch.Add(MakeEntry("100", 99, "later page")));
    }
    ASSERT_EQ(5, store.GetCount());
    TimelineEntry entry;
    ASSERT_TRUE(store.GetEntry(store.IndexOf("100"), entry));
    EXPECT_STREQ("first", entry.text);
    EXPECT_EQ(5u, SortKey(entry.createdAtFileTime));
    EXPECT_EQ(-1, store.IndexOf("10000"));
    EXPECT_EQ(-1, store.IndexOf("1"));
    ExpectWellFormed(store);
}

TEST(TimelineStoreTest, TheEmptyIdKeepsTheFirstEntry)
{
    TimelineStore store;
    {
        TimelineStore::Batch batch(store);
        EXPECT_TRUE(batch.Add(MakeEntry("", 1, "first")));
        EXPECT_FALSE(batch.Add(MakeEntry("", 2, "second")));
    }
    ASSERT_EQ(1, store.GetCount());
    TimelineEntry entry;
    ASSERT_TRUE(store.GetEntry(store.IndexOf(""), entry));
    EXPECT_STREQ("first", entry.text);
}

TEST(TimelineStoreTest, AnUnterminatedIdComparesByItsSixteenBytes)
{
    TimelineStore store;
    TimelineEntry full = MakeEntry("", 1);
    std::memcpy(full.statusId, "0123456789abcdef", 16);
    {
        TimelineStore::Batch batch(store);
        EXPECT_TRUE(batch.Add(full));
        EXPECT_FALSE(batch.Add(full));
        EXPECT_TRUE(batch.Add(MakeEntry("0123456789abcde", 1)));
    }
    EXPECT_EQ(2, store.GetCount());
    EXPECT_EQ(-1, store.IndexOf("0123456789abcdef0"));
    EXPECT_GE(store.IndexOf("0123456789abcdef"), 0);
}

TEST(TimelineStoreTest, ReadersSeeABatchOnlyWhenItIsCommitted)
{
    TimelineStore store;
    TimelineStore::Batch batch(store);
    batch.Add(MakeEntry("1", 1));
    batch.Add(MakeEntry("2", 2));
    EXPECT_EQ(0, store.GetCount());
    EXPECT_EQ(-1, store.IndexOf("1"));
    batch.Commit();
    EXPECT_EQ(2, store.GetCount());
    EXPECT_EQ(0, store.IndexOf("2"));
    batch.Add(MakeEntry("3", 3));
    EXPECT_EQ(-1, store.IndexOf("3"));
    batch.Commit();
    EXPECT_EQ(0, store.IndexOf("3"));
}

TEST(TimelineStoreTest, EqualAndInvalidTimesAreAllKeptAndZeroSortsLast)
{
    TimelineStore store;
    {
        TimelineStore::Batch batch(store);
        batch.Add(MakeEntry("zero-a", 0));
        batch.Add(MakeEntry("tie-a", 50));
        batch.Add(MakeEntry("tie-b", 50));
    }
    {
        TimelineStore::Batch batch(store);
        batch.Add(MakeEntry("tie-c", 50));
        batch.Add(MakeEntry("zero-b", 0));
        batch.Add(MakeEntry("high", 0xFFFFFFFF00000000ULL)); // the high half decides first
        batch.Add(MakeEntry("low", 0x00000000FFFFFFFFULL));
    }
    ExpectWellFormed(store);
    const std::vector<TimelineEntry> entries = ReadAll(store);
    ASSERT_EQ(7u, entries.size());
    EXPECT_STREQ("high", entries[0].statusId);
    EXPECT_STREQ("low", entries[1].statusId);
    std::set<std::string> ties;
    for (size_t i = 2; i < 5; ++i)
        ties.insert(entries[i].statusId);
    EXPECT_EQ((std::set<std::string>{"tie-a", "tie-b", "tie-c"}), ties);
    EXPECT_EQ(0u, SortKey(entries[5].createdAtFileTime));
    EXPECT_EQ(0u, SortKey(entries[6].createdAtFileTime));
}

// Random pages against a plain model (every id kept once, first version
// wins) over enough entries to grow the id index and several chunks.
TEST(TimelineStoreTest, StaysNewestFirstAndUniqueAfterEveryBatch)
{
    TimelineStore store;
    std::mt19937 random(2010);
    std::set<std::string> model;
    for (int page = 0; page < 60; ++page) {
        const int size = static_cast<int>(random() % 200);
        {
            TimelineStore::Batch batch(store);
            for (int i = 0; i < size; ++i) {
                const std::string id = std::to_string(random() % 6000);
                const std::uint64_t key = random() % 50 == 0 ? 0 : static_cast<std::uint64_t>(random() % 400) << (random() % 40);
                EXPECT_EQ(model.insert(id).second, batch.Add(MakeEntry(id, key)));
            }
        }
        ASSERT_EQ(static_cast<int>(model.size()), store.GetCount());
        if (page % 10 == 9 || page < 3)
            ExpectWellFormed(store);
    }
    for (const std::string& id : model)
        EXPECT_GE(store.IndexOf(id.c_str()), 0) << id;
}

TEST(TimelineStoreTest, ASecondBatchWaitsForTheFirst)
{
    TimelineStore store;
    std::atomic<bool> secondStarted(false);
    std::atomic<bool> secondDone(false);
    std::thread second;
    {
        TimelineStore::Batch first(store);
        first.Add(MakeEntry("first", 1));
        second = std::thread([&] {
            secondStarted = true;
            TimelineStore::Batch batch(store);
            // The first batch has been committed by the time this one runs.
            EXPECT_EQ(1, store.GetCount());
            EXPECT_FALSE(batch.Add(MakeEntry("first", 2)));
            batch.Add(MakeEntry("second", 2));
            secondDone = true;
        });
        while (!secondStarted)
            std::this_thread::yield();
        // The second batch must still be waiting: give it time to get it wrong.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(secondDone);
    }
    second.join();
    EXPECT_TRUE(secondDone);
    EXPECT_EQ(2, store.GetCount());
    EXPECT_EQ(0, store.IndexOf("second"));
}

void AddBatch(TimelineStore& store, const std::vector<TimelineEntry>& entries)
{
    TimelineStore::Batch batch(store);
    for (const TimelineEntry& entry : entries)
        batch.Add(entry);
}

// count entries with ids prefix0, prefix1, ... and keys first, first + step, ...
std::vector<TimelineEntry> MakeEntries(const char* prefix, int count, std::uint64_t first, std::uint64_t step)
{
    std::vector<TimelineEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back(MakeEntry(prefix + std::to_string(i), first + step * static_cast<std::uint64_t>(i), prefix));
    return entries;
}

// Every row of snapshot equals rows, byte for byte, and IndexOf finds each at
// its row.
void ExpectUnchanged(const TimelineSnapshot& snapshot, const std::vector<TimelineEntry>& rows)
{
    ASSERT_EQ(static_cast<int>(rows.size()), snapshot.GetCount());
    for (size_t i = 0; i < rows.size(); ++i) {
        TimelineEntry entry;
        ASSERT_TRUE(snapshot.GetEntry(static_cast<int>(i), entry));
        EXPECT_EQ(0, std::memcmp(&rows[i], &entry, sizeof entry)) << "row " << i;
        EXPECT_EQ(static_cast<int>(i), snapshot.IndexOf(rows[i].statusId)) << rows[i].statusId;
    }
}

TEST(TimelineSnapshotTest, KeepsItsStateWhileLaterBatchesMerge)
{
    TimelineStore store;
    AddBatch(store, MakeEntries("mid", 100, 100000, 10));
    const TimelineSnapshot snapshot = store.Snapshot();
    const std::vector<TimelineEntry> rows = ReadAll(snapshot);
    ASSERT_EQ(100u, rows.size());
    ExpectWellFormed(snapshot);

    // Newer, older and interleaved entries; 1,200 of them, so the id index is
    // replaced by larger copies twice while the snapshot holds the first.
    const std::vector<TimelineEntry> batches[] = {
        MakeEntries("new", 300, 200000, 1),
        MakeEntries("old", 300, 1, 1),
        MakeEntries("between", 300, 100005, 10),
        MakeEntries("more", 300, 300000, 1),
    };
    for (const std::vector<TimelineEntry>& batch : batches) {
        AddBatch(store, batch);
        ExpectUnchanged(snapshot, rows);
        EXPECT_EQ(-1, snapshot.IndexOf(batch.front().statusId));
        EXPECT_EQ(-1, snapshot.IndexOf(batch.back().statusId));
        TimelineEntry beyond;
        EXPECT_FALSE(snapshot.GetEntry(100, beyond));
    }
    ASSERT_EQ(1300, store.GetCount());
    // The live store has moved the same entries on: the newest "mid" entry
    // now follows 801 newer ones, the oldest 999.
    EXPECT_EQ(801, store.IndexOf(rows.front().statusId));
    EXPECT_EQ(999, store.IndexOf(rows.back().statusId));

    const TimelineSnapshot later = store.Snapshot();
    EXPECT_EQ(1300, later.GetCount());
    EXPECT_EQ(0, later.IndexOf("more299"));
    ExpectWellFormed(later);
    // The current state, the held one and one spare for the next batch.
    EXPECT_LE(store.StateCount(), 3);
}

TEST(TimelineSnapshotTest, CopiesPinAgainAndMovedFromSnapshotsAreEmpty)
{
    TimelineStore store;
    const TimelineSnapshot empty;
    TimelineEntry entry = MakeEntry("x", 1);
    EXPECT_EQ(0, empty.GetCount());
    EXPECT_FALSE(empty.GetEntry(0, entry));
    EXPECT_EQ(-1, empty.IndexOf("x"));

    AddBatch(store, MakeEntries("a", 10, 100, 1));
    TimelineSnapshot copy;
    TimelineSnapshot moved;
    {
        const TimelineSnapshot original = store.Snapshot();
        copy = original;
        TimelineSnapshot source = original;
        moved = std::move(source);
        EXPECT_EQ(0, source.GetCount());
        EXPECT_EQ(-1, source.IndexOf("a0"));
        TimelineSnapshot constructed(std::move(moved));
        EXPECT_EQ(0, moved.GetCount());
        moved = std::move(constructed);
    }
    const std::vector<TimelineEntry> rows = ReadAll(copy);
    ASSERT_EQ(10u, rows.size());
    // Enough batches for the writer to reuse every state nobody pins.
    for (int round = 0; round < 4; ++round) {
        AddBatch(store, MakeEntries(("b" + std::to_string(round) + "-").c_str(), 5, 1000 + round, 0));
        ExpectUnchanged(copy, rows);
        ExpectUnchanged(moved, rows);
    }
    copy = TimelineSnapshot();
    EXPECT_EQ(0, copy.GetCount());

    // Snapshots taken, copied, moved and dropped every round give back their
    // pins: the writer keeps reusing the same few states.
    for (int round = 0; round < 50; ++round) {
        TimelineSnapshot taken = store.Snapshot();
        taken = store.Snapshot();
        TimelineSnapshot other(taken);
        moved = std::move(other);
        AddBatch(store, MakeEntries(("c" + std::to_string(round) + "-").c_str(), 2, 2000 + round, 0));
    }
    EXPECT_EQ(130, store.GetCount());
    EXPECT_LE(store.StateCount(), 4);
}

// A new account: the store starts over. What a reader holds stays as it was;
// the live store is empty and takes the same ids again.
TEST(TimelineSnapshotTest, StartingOverEmptiesTheStoreButNotHeldSnapshots)
{
    TimelineStore store;
    AddBatch(store, MakeEntries("old", 1500, 1000, 2));
    const TimelineSnapshot held = store.Snapshot();
    const std::vector<TimelineEntry> rows = ReadAll(held);

    ASSERT_TRUE(store.StartOver());
    EXPECT_EQ(0, store.GetCount());
    EXPECT_EQ(-1, store.IndexOf("old0"));
    ExpectUnchanged(held, rows);

    // The new account's statuses, one of them seen before, older and newer.
    std::vector<TimelineEntry> fresh = MakeEntries("new", 700, 1001, 2);
    fresh.push_back(MakeEntry("old7", 1014));
    AddBatch(store, fresh);
    AddBatch(store, MakeEntries("newer", 10, 9000, 1));
    EXPECT_EQ(711, store.GetCount());
    ExpectWellFormed(store);
    EXPECT_EQ(0, store.IndexOf("newer9"));
    EXPECT_EQ(-1, store.IndexOf("old8"));
    ExpectUnchanged(held, rows);
    EXPECT_LE(store.StateCount(), 3);
}

} // namespace
