#include "PageBuilder.h"
#include "Scraper.h"
#include "TextFunctions.h"
#include "TimelineSnapshot.h"
#include "TimelineStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

const int pageSize = 20;

// True when entry is exactly what the scraper makes of NumberedStatus(its
// id): a torn or half-written copy fails here.
bool IsWholeEntry(const TimelineEntry& entry, std::string& why)
{
    const std::uint64_t number = std::strtoull(entry.statusId, nullptr, 10);
    const PageStatus status = NumberedStatus(number);
    CString text(status.text.c_str());
    DecodeEntities(text);
    const char* mismatch = nullptr;
    if (status.id != entry.statusId)
        mismatch = "statusId";
    else if (status.screenName != entry.screenName)
        mismatch = "screenName";
    else if (status.displayName != entry.displayName)
        mismatch = "displayName";
    else if (status.iconUrl != entry.iconUrl)
        mismatch = "iconUrl";
    else if (std::strcmp(text, entry.text) != 0)
        mismatch = "text";
    else if (status.createdAt != entry.createdAtText)
        mismatch = "createdAtText";
    if (mismatch == nullptr) {
        TimelineEntry expected = {};
        SYSTEMTIME utc;
        ParseCreatedAt(status.createdAt.c_str(), utc);
        SetLocalCreationTime(utc, expected);
        if (SortKey(expected.createdAtFileTime) != SortKey(entry.createdAtFileTime))
            mismatch = "createdAtFileTime";
    }
    if (mismatch != nullptr)
        why = std::string(mismatch) + " of " + entry.statusId;
    return mismatch == nullptr;
}

// Pages of pageSize statuses: each page brings new numbers, scattered in
// time, and repeats some seen before.
std::vector<std::string> MakePages(int count, std::uint64_t firstNumber, std::uint64_t step, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::string> pages;
    std::uint64_t next = firstNumber;
    for (int page = 0; page < count; ++page) {
        std::vector<PageStatus> statuses;
        for (int i = 0; i < pageSize; ++i) {
            statuses.push_back(NumberedStatus(next));
            next += step;
        }
        // Statuses from earlier pages come back in place of nothing: the
        // page stays pageSize new statuses plus a few known ones.
        for (int i = 0; i < 5 && next > firstNumber + pageSize * step; ++i)
            statuses.push_back(NumberedStatus(firstNumber + step * (random() % ((next - firstNumber) / step - pageSize))));
        std::shuffle(statuses.begin(), statuses.end(), random);
        pages.push_back(TimelinePage(statuses));
    }
    return pages;
}

struct ReaderReport {
    long iterations = 0;
    long wholeStates = 0;
    std::string failure;
};

// Reads without pause until `done`: counts never go down and stay whole pages,
// every entry is whole, and a window of entries read while the count stayed
// the same (hence from one state) is newest first with IndexOf agreeing.
void ReadUntilDone(const TimelineStore& store, const std::atomic<bool>& done, ReaderReport& report)
{
    std::mt19937 random(7);
    int lastCount = 0;
    while (report.failure.empty() && (!done || report.iterations < 1000)) {
        ++report.iterations;
        const int count = store.GetCount();
        if (count < lastCount || count % pageSize != 0) {
            report.failure = "count " + std::to_string(count) + " after " + std::to_string(lastCount);
            break;
        }
        lastCount = count;
        if (count == 0)
            continue;
        const int window = 8;
        const int first = static_cast<int>(random() % static_cast<unsigned>(count));
        std::vector<TimelineEntry> entries;
        std::vector<int> indexes;
        for (int i = first; i < first + window; ++i) {
            TimelineEntry entry;
            if (!store.GetEntry(i, entry))
                break;
            std::string why;
            if (!IsWholeEntry(entry, why)) {
                report.failure = "torn entry: " + why;
                return;
            }
            const int index = store.IndexOf(entry.statusId);
            // Entries only move back as newer ones arrive.
            if (index < i) {
                report.failure = "IndexOf " + std::string(entry.statusId) + " gave " + std::to_string(index)
                    + " after GetEntry " + std::to_string(i);
                return;
            }
            entries.push_back(entry);
            indexes.push_back(index);
        }
        if (store.GetCount() != count)
            continue;
        // Counts only grow, so an unchanged count means every read above came
        // from the same state.
        ++report.wholeStates;
        for (size_t k = 0; k < entries.size(); ++k) {
            if (indexes[k] != first + static_cast<int>(k)) {
                report.failure = "IndexOf disagrees with GetEntry in one state";
                return;
            }
            if (k > 0 && NewerFirst(entries[k], entries[k - 1])) {
                report.failure = "order broken at " + std::to_string(first + static_cast<int>(k));
                return;
            }
        }
    }
}

// Checks every row of snapshot: whole, newest first, found by IndexOf at its
// own row; and, when rows holds an earlier reading of the same snapshot,
// unchanged byte for byte. Fills rows on the first reading.
bool CheckEveryRow(const TimelineSnapshot& snapshot, std::vector<TimelineEntry>& rows, std::string& failure)
{
    const bool first = rows.empty();
    const int count = snapshot.GetCount();
    if (!first && count != static_cast<int>(rows.size())) {
        failure = "snapshot count went from " + std::to_string(rows.size()) + " to " + std::to_string(count);
        return false;
    }
    rows.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        TimelineEntry entry;
        if (!snapshot.GetEntry(i, entry)) {
            failure = "snapshot lost row " + std::to_string(i);
            return false;
        }
        TimelineEntry& row = rows[static_cast<size_t>(i)];
        if (!first && std::memcmp(&row, &entry, sizeof entry) != 0) {
            failure = "snapshot row " + std::to_string(i) + " changed";
            return false;
        }
        std::string why;
        if (first && !IsWholeEntry(entry, why)) {
            failure = "torn entry in a snapshot: " + why;
            return false;
        }
        if (snapshot.IndexOf(entry.statusId) != i) {
            failure = "snapshot IndexOf " + std::string(entry.statusId) + " is not " + std::to_string(i);
            return false;
        }
        if (i > 0 && NewerFirst(entry, rows[static_cast<size_t>(i) - 1])) {
            failure = "snapshot order broken at " + std::to_string(i);
            return false;
        }
        row = entry;
    }
    return true;
}

// Holds a snapshot across merges and re-takes it, as the window side does at
// each refresh: the held one must still read as it did when it was taken,
// the new one must be whole and never smaller.
void HoldSnapshotsUntilDone(const TimelineStore& store, const std::atomic<bool>& done, ReaderReport& report)
{
    TimelineSnapshot held;
    std::vector<TimelineEntry> rows;
    while (report.failure.empty() && (!done || report.iterations < 20)) {
        ++report.iterations;
        if (store.GetCount() != held.GetCount())
            ++report.wholeStates; // the store moved on while this one was held
        if (!CheckEveryRow(held, rows, report.failure))
            return;
        const int heldCount = held.GetCount();
        held = store.Snapshot();
        if (held.GetCount() < heldCount || held.GetCount() % pageSize != 0) {
            report.failure = "snapshot count " + std::to_string(held.GetCount()) + " after " + std::to_string(heldCount);
            return;
        }
        rows.clear();
        if (!CheckEveryRow(held, rows, report.failure))
            return;
    }
}

TEST(StoreStressTest, ReadersOnlyEverSeeWholeStatesWhileTwoWritersScrape)
{
    // Two writers with numbers of their own (even and odd), like the fetch
    // worker and a status post scraping at the same time.
    const int pagesPerWriter = 150;
    const std::vector<std::string> evenPages = MakePages(pagesPerWriter, 0, 2, 1);
    const std::vector<std::string> oddPages = MakePages(pagesPerWriter, 1, 2, 2);

    TimelineStore store;
    std::atomic<bool> done(false);
    ReaderReport report;
    std::thread reader(ReadUntilDone, std::cref(store), std::cref(done), std::ref(report));
    ReaderReport snapshotReport;
    std::thread snapshots(HoldSnapshotsUntilDone, std::cref(store), std::cref(done), std::ref(snapshotReport));
    auto write = [&store](const std::vector<std::string>& pages) {
        for (const std::string& page : pages)
            ScrapePage(CString(page.c_str()), WebBaseAddress(), store);
    };
    std::thread even(write, std::cref(evenPages));
    std::thread odd(write, std::cref(oddPages));
    even.join();
    odd.join();
    done = true;
    reader.join();
    snapshots.join();

    EXPECT_EQ("", report.failure);
    EXPECT_GE(report.iterations, 1000);
    EXPECT_GT(report.wholeStates, 0);
    EXPECT_EQ("", snapshotReport.failure);
    EXPECT_GT(snapshotReport.wholeStates, 0);
    // Two plus the most pins held at once: one reader call, and the held
    // snapshot beside the one replacing it.
    EXPECT_LE(store.StateCount(), 5);
    ASSERT_EQ(2 * pagesPerWriter * pageSize, store.GetCount());
    for (int i = 0; i < store.GetCount(); ++i) {
        TimelineEntry entry;
        ASSERT_TRUE(store.GetEntry(i, entry));
        // Every number from 0 up is there once, newest (largest) first.
        ASSERT_STREQ(std::to_string(store.GetCount() - 1 - i).c_str(), entry.statusId);
    }
}

} // namespace
