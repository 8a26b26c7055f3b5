// Figures for the timeline core, each against a baseline measured in the same
// run: scraping a page against one plain memmem pass over it, merging a page
// into a large store against the plain vector store (linear duplicate check,
// full sort of the records), the longest time a reader call took while
// merges ran, taking a snapshot and finding a status in it against the plain
// count call, and the memory a status takes against the fixed-record layout
// (StoreMemoryBench.cpp). Prints only; never fails on a number.

#include "BenchClock.h"
#include "PageBuilder.h"
#include "Scraper.h"
#include "StoreMemoryBench.h"
#include "TextFunctions.h"
#include "TimelineSnapshot.h"
#include "TimelineStore.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <string.h>

namespace {

std::vector<PageStatus> Statuses(std::uint64_t first, int count)
{
    std::vector<PageStatus> statuses;
    for (int i = 0; i < count; ++i)
        statuses.push_back(NumberedStatus(first + static_cast<std::uint64_t>(i)));
    return statuses;
}

// Entries as the scraper would make them, without the page text.
std::vector<TimelineEntry> Entries(std::uint64_t first, int count)
{
    std::vector<TimelineEntry> entries(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const PageStatus status = NumberedStatus(first + static_cast<std::uint64_t>(i));
        TimelineEntry& entry = entries[static_cast<size_t>(i)];
        std::snprintf(entry.statusId, sizeof entry.statusId, "%s", status.id.c_str());
        std::snprintf(entry.text, sizeof entry.text, "%s", status.text.c_str());
        SYSTEMTIME utc;
        ParseCreatedAt(status.createdAt.c_str(), utc);
        SetLocalCreationTime(utc, entry);
    }
    return entries;
}

double MemmemPass(const std::string& page, int& found)
{
    static const char marker[] = "<li class=\"hentry ";
    const Clock::time_point start = Clock::now();
    found = 0;
    const char* at = page.data();
    const char* const end = page.data() + page.size();
    while (const void* hit = memmem(at, static_cast<size_t>(end - at), marker, sizeof marker - 1)) {
        ++found;
        at = static_cast<const char*>(hit) + 1;
    }
    return MicrosecondsSince(start);
}

// Scrapes pages of 500 new statuses into one long-lived store (as the
// program does), then the last page again, when every status is known.
void BenchScrape()
{
    const int rounds = 30;
    std::vector<CString> pages;
    for (int round = 0; round < rounds; ++round)
        pages.push_back(CString(TimelinePage(Statuses(static_cast<std::uint64_t>(round) * 500, 500)).c_str()));
    const std::string last(pages.back().GetString());

    TimelineStore store;
    std::vector<double> fresh;
    std::vector<double> known;
    std::vector<double> scan;
    int blocks = 0;
    for (const CString& page : pages) {
        const Clock::time_point start = Clock::now();
        ScrapePage(page, WebBaseAddress(), store);
        fresh.push_back(MicrosecondsSince(start));
        scan.push_back(MemmemPass(last, blocks));
    }
    for (int round = 0; round < rounds; ++round) {
        const Clock::time_point start = Clock::now();
        ScrapePage(pages.back(), WebBaseAddress(), store);
        known.push_back(MicrosecondsSince(start));
    }
    const double scanMedian = Median(scan);
    std::printf("scrape 500-status page (%zu bytes, %d blocks): new statuses %.0f us, known statuses %.0f us; "
                "one memmem pass %.1f us; ratios %.0fx and %.0fx\n",
                last.size(), blocks, Median(fresh), Median(known), scanMedian, Median(fresh) / scanMedian,
                Median(known) / scanMedian);
}

// The plain store: one vector, linear duplicate check, full sort of records.
void PlainMerge(std::vector<TimelineEntry>& plain, const std::vector<TimelineEntry>& page)
{
    for (const TimelineEntry& entry : page) {
        bool known = false;
        for (const TimelineEntry& stored : plain) {
            if (std::strcmp(stored.statusId, entry.statusId) == 0) {
                known = true;
                break;
            }
        }
        if (!known)
            plain.push_back(entry);
    }
    std::sort(plain.begin(), plain.end(), NewerFirst);
}

void Fill(TimelineStore& store, int count)
{
    const int chunk = 1000;
    for (int done = 0; done < count; done += chunk) {
        const std::vector<TimelineEntry> entries = Entries(static_cast<std::uint64_t>(done), std::min(chunk, count - done));
        TimelineStore::Batch batch(store);
        for (const TimelineEntry& entry : entries)
            batch.Add(entry);
    }
}

void BenchMerge(int size)
{
    TimelineStore store;
    Fill(store, size);
    std::vector<TimelineEntry> plain = Entries(0, size);
    std::sort(plain.begin(), plain.end(), NewerFirst);

    // Each page: 15 new statuses, newer than everything, and 5 known ones.
    const int rounds = 40;
    std::vector<std::vector<TimelineEntry>> pages;
    for (int round = 0; round < rounds; ++round) {
        std::vector<TimelineEntry> page = Entries(static_cast<std::uint64_t>(size + round * 15), 15);
        const std::vector<TimelineEntry> known = Entries(static_cast<std::uint64_t>(size / 2 + round), 5);
        page.insert(page.end(), known.begin(), known.end());
        pages.push_back(page);
    }

    std::vector<double> ours;
    for (const std::vector<TimelineEntry>& page : pages) {
        const Clock::time_point start = Clock::now();
        {
            TimelineStore::Batch batch(store);
            for (const TimelineEntry& entry : page)
                batch.Add(entry);
        }
        ours.push_back(MicrosecondsSince(start));
    }
    std::vector<double> theirs;
    const int plainRounds = size >= 100000 ? 5 : 20;
    for (int round = 0; round < plainRounds; ++round) {
        const Clock::time_point start = Clock::now();
        PlainMerge(plain, pages[static_cast<size_t>(round)]);
        theirs.push_back(MicrosecondsSince(start));
    }
    const double oursMedian = Median(ours);
    const double theirsMedian = Median(theirs);
    std::printf("merge 20-status page into %6d entries: %8.1f us (max %7.1f); plain vector store: %9.1f us; %.0fx faster\n",
                size, oursMedian, *std::max_element(ours.begin(), ours.end()), theirsMedian, theirsMedian / oursMedian);
}

struct ReaderFigures {
    long calls = 0;
    double longest = 0;
    long overMillisecond = 0;
    std::vector<double> sampled;
};

// Reader calls as the window side makes them, timed one by one until done.
void ReadTimed(const TimelineStore& store, const std::atomic<bool>& done, ReaderFigures& figures)
{
    TimelineEntry entry;
    while (!done) {
        const Clock::time_point start = Clock::now();
        switch (figures.calls % 3) {
        case 0:
            store.GetCount();
            break;
        case 1:
            store.GetEntry(static_cast<int>(figures.calls % 1000), entry);
            break;
        default:
            store.IndexOf("50000");
            break;
        }
        const double wait = MicrosecondsSince(start);
        figures.longest = std::max(figures.longest, wait);
        figures.overMillisecond += wait > 1000 ? 1 : 0;
        if (figures.calls % 64 == 0)
            figures.sampled.push_back(wait);
        ++figures.calls;
    }
    std::sort(figures.sampled.begin(), figures.sampled.end());
}

void PrintReader(const char* what, const ReaderFigures& figures)
{
    std::printf("  %-26s %8ld calls, longest %7.1f us, over 1 ms %ld, 99.9th percentile %.1f us\n", what,
                figures.calls, figures.longest, figures.overMillisecond,
                figures.sampled[figures.sampled.size() * 999 / 1000]);
}

// The longest reader call while merges run, against the same reader beside a
// thread that only spins (the machine's own scheduling noise), for the same
// time.
void BenchReaderWait()
{
    TimelineStore store;
    Fill(store, 100000);
    const int merges = 300;
    std::vector<std::vector<TimelineEntry>> pages;
    for (int round = 0; round < merges; ++round)
        pages.push_back(Entries(static_cast<std::uint64_t>(100000 + round * 20), 20));

    std::atomic<bool> done(false);
    ReaderFigures during;
    std::thread reader(ReadTimed, std::cref(store), std::cref(done), std::ref(during));
    const Clock::time_point start = Clock::now();
    for (const std::vector<TimelineEntry>& page : pages) {
        TimelineStore::Batch batch(store);
        for (const TimelineEntry& entry : page)
            batch.Add(entry);
    }
    const double mergeTime = MicrosecondsSince(start);
    done = true;
    reader.join();

    // The baseline keeps the second core just as busy, with a thread that
    // never touches the store, so scheduling delays show in both figures.
    done = false;
    ReaderFigures alone;
    std::thread quiet(ReadTimed, std::cref(store), std::cref(done), std::ref(alone));
    const Clock::time_point spinStart = Clock::now();
    volatile std::uint64_t spin = 0;
    while (MicrosecondsSince(spinStart) < mergeTime)
        spin = spin + 1;
    done = true;
    quiet.join();

    std::printf("reader calls (GetCount, GetEntry, IndexOf) on 100000+ entries:\n");
    PrintReader("during 300 merges:", during);
    PrintReader("beside a spinning thread:", alone);
}

// What a refresh costs the window side: taking a snapshot and finding the
// selected status in it by id, against the cheapest reader call (GetCount,
// itself a pin and an unpin) on the same 100,000-entry store, in ns per call.
void BenchSnapshot()
{
    const int size = 100000;
    TimelineStore store;
    Fill(store, size);
    std::vector<std::string> ids;
    for (int i = 0; i < 4096; ++i)
        ids.push_back(std::to_string(static_cast<unsigned>(i) * 7919u % size));

    const int rounds = 30;
    const int calls = 20000;
    std::vector<double> count;
    std::vector<double> take;
    std::vector<double> find;
    long found = 0;
    for (int round = 0; round < rounds; ++round) {
        Clock::time_point start = Clock::now();
        for (int i = 0; i < calls; ++i)
            found += store.GetCount() > 0 ? 1 : 0;
        count.push_back(MicrosecondsSince(start) * 1000 / calls);
        start = Clock::now();
        for (int i = 0; i < calls; ++i)
            found += store.Snapshot().GetCount() > 0 ? 1 : 0;
        take.push_back(MicrosecondsSince(start) * 1000 / calls);
        start = Clock::now();
        for (int i = 0; i < calls; ++i) {
            const TimelineSnapshot snapshot = store.Snapshot();
            found += snapshot.IndexOf(ids[static_cast<size_t>(i) % ids.size()].c_str()) >= 0 ? 1 : 0;
        }
        find.push_back(MicrosecondsSince(start) * 1000 / calls);
    }
    const double countMedian = Median(count);
    std::printf("snapshot of %d entries: take %.1f ns, take and IndexOf %.1f ns; GetCount %.1f ns; ratios %.1fx and %.1fx "
                "(%ld found)\n",
                size, Median(take), Median(find), countMedian, Median(take) / countMedian, Median(find) / countMedian,
                found);
}

} // namespace

// With an argument (memory, scrape, merge, reader, snapshot), runs that part alone.
int main(int argc, char** argv)
{
    const std::string only = argc > 1 ? argv[1] : "";
    // Memory first, while the heap is fresh: what the other parts free would
    // be taken again by the stores measured without the process growing.
    if (only.empty() || only == "memory") {
        for (int size : {100000, 1000000})
            BenchStoreMemory(size);
        BenchMemoryLimit();
    }
    if (only.empty() || only == "scrape")
        BenchScrape();
    if (only.empty() || only == "merge") {
        for (int size : {1000, 10000, 100000})
            BenchMerge(size);
    }
    if (only.empty() || only == "reader")
        BenchReaderWait();
    if (only.empty() || only == "snapshot")
        BenchSnapshot();
    return 0;
}
