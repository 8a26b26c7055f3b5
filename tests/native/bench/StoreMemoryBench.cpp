#include "StoreMemoryBench.h"

#include "BenchClock.h"
#include "FixedRecordStore.h"
#include "PageBuilder.h"
#include "TextFunctions.h"
#include "TimelineSnapshot.h"
#include "TimelineStore.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const int pageSize = 20;

struct ProcessMemory {
    double resident; // pages in memory (/proc/self/statm)
    double heap;     // what the allocator has handed out (mallinfo2)
};

ProcessMemory MeasureProcess()
{
    ProcessMemory memory = {0, 0};
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        long size = 0;
        long resident = 0;
        if (std::fscanf(statm, "%ld %ld", &size, &resident) == 2)
            memory.resident = static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
        std::fclose(statm);
    }
    const struct mallinfo2 info = mallinfo2();
    memory.heap = static_cast<double>(info.uordblks + info.hblkhd);
    return memory;
}

template <size_t size>
size_t CopyField(char (&field)[size], const char* value)
{
    const size_t length = strnlen(value, size - 1);
    std::memcpy(field, value, length);
    return length;
}

// A status as the scraper makes it of NumberedStatus(number): every field
// filled, zero padding after. content grows by the bytes of text it holds.
void TypicalEntry(std::uint64_t number, TimelineEntry& entry, std::uint64_t& content)
{
    const PageStatus status = NumberedStatus(number);
    CString text(status.text.c_str());
    DecodeEntities(text);
    std::memset(&entry, 0, sizeof entry);
    content += CopyField(entry.statusId, status.id.c_str());
    content += CopyField(entry.screenName, status.screenName.c_str());
    content += CopyField(entry.displayName, status.displayName.c_str());
    content += CopyField(entry.iconUrl, status.iconUrl.c_str());
    content += CopyField(entry.text, text.GetString());
    content += CopyField(entry.createdAtText, status.createdAt.c_str());
    SYSTEMTIME utc;
    ParseCreatedAt(status.createdAt.c_str(), utc);
    SetLocalCreationTime(utc, entry);
}

class PackedLayout {
public:
    explicit PackedLayout(bool holdSnapshot) : holdSnapshot(holdSnapshot) {}

    void AddPage(const TimelineEntry* entries, int count)
    {
        {
            TimelineStore::Batch batch(store);
            for (int i = 0; i < count; ++i)
                batch.Add(entries[i]);
        }
        // The window side holds a snapshot from one refresh to the next; with
        // two pages between refreshes (a status post beside the fetch) the
        // held state keeps a third order alive beside the current one and the
        // spare.
        if (holdSnapshot && ++pages % 2 == 0)
            held = store.Snapshot();
    }

    const TimelineStore& Reader() const { return store; }
    double OwnBytes() const { return static_cast<double>(store.MemoryInUse()); }
    long Failures() const { return store.MemoryFailures(); }

private:
    TimelineStore store;
    TimelineSnapshot held;
    const bool holdSnapshot;
    int pages = 0;
};

class FixedLayout {
public:
    void AddPage(const TimelineEntry* entries, int count) { store.AddPage(entries, count); }
    const fixed::FixedRecordStore& Reader() const { return store; }
    double OwnBytes() const { return 0; }
    long Failures() const { return 0; }

private:
    fixed::FixedRecordStore store;
};

struct Figures {
    double resident;    // bytes per status
    double heap;        // bytes per status
    double own;         // bytes per status by the store's own count
    double content;     // bytes of text per status
    double fillSeconds; // making the entries included
    double mergeMedian; // us, 20 statuses
    double mergeMax;
    double getEntry;    // ns per call
    double indexOf;
    long failures;
    long missed;        // reader calls that found nothing: 0 unless broken
    int count;
};

// Fills a new layout with size typical statuses, 20 at a time, then times
// merges and reader calls on it.
template <typename Layout>
Figures Measure(Layout* (*make)(), int size)
{
    Figures figures = {};
    TimelineEntry page[pageSize];
    std::uint64_t content = 0;
    const ProcessMemory before = MeasureProcess();
    // Never freed: the child process ends after this.
    Layout* const layout = make();
    Clock::time_point start = Clock::now();
    for (int done = 0; done < size; done += pageSize) {
        const int count = std::min(pageSize, size - done);
        for (int i = 0; i < count; ++i)
            TypicalEntry(static_cast<std::uint64_t>(done + i), page[i], content);
        layout->AddPage(page, count);
    }
    figures.fillSeconds = MicrosecondsSince(start) / 1e6;
    const ProcessMemory after = MeasureProcess();
    figures.resident = (after.resident - before.resident) / size;
    figures.heap = (after.heap - before.heap) / size;
    figures.own = layout->OwnBytes() / size;
    figures.content = static_cast<double>(content) / size;

    std::vector<double> merges;
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < pageSize; ++i)
            TypicalEntry(static_cast<std::uint64_t>(size + round * pageSize + i), page[i], content);
        start = Clock::now();
        layout->AddPage(page, pageSize);
        merges.push_back(MicrosecondsSince(start));
    }
    figures.mergeMedian = Median(merges);
    figures.mergeMax = *std::max_element(merges.begin(), merges.end());

    const int calls = 100000;
    std::mt19937 random(10);
    std::vector<int> indexes;
    std::vector<std::string> ids;
    for (int i = 0; i < calls; ++i) {
        indexes.push_back(static_cast<int>(random() % static_cast<unsigned>(size)));
        ids.push_back(std::to_string(random() % static_cast<unsigned>(size)));
    }
    TimelineEntry entry;
    long found = 0;
    start = Clock::now();
    for (int index : indexes)
        found += layout->Reader().GetEntry(index, entry) ? 1 : 0;
    figures.getEntry = MicrosecondsSince(start) * 1000 / calls;
    start = Clock::now();
    for (const std::string& id : ids)
        found += layout->Reader().IndexOf(id.c_str()) >= 0 ? 1 : 0;
    figures.indexOf = MicrosecondsSince(start) * 1000 / calls;
    figures.failures = layout->Failures();
    figures.missed = 2L * calls - found;
    figures.count = layout->Reader().GetCount();
    return figures;
}

// Runs Measure in a child process and hands its figures back through a pipe.
template <typename Layout>
bool MeasureInChild(Layout* (*make)(), int size, Figures& figures)
{
    int ends[2];
    if (pipe(ends) != 0)
        return false;
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        const Figures measured = Measure(make, size);
        const ssize_t written = write(ends[1], &measured, sizeof measured);
        _exit(written == static_cast<ssize_t>(sizeof measured) ? 0 : 1);
    }
    close(ends[1]);
    const ssize_t got = child > 0 ? read(ends[0], &figures, sizeof figures) : 0;
    close(ends[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return got == static_cast<ssize_t>(sizeof figures);
}

void PrintFigures(const char* layout, const Figures& figures)
{
    std::printf("  %-30s %7.0f B/status resident, %7.0f B/status heap", layout, figures.resident, figures.heap);
    if (figures.own > 0)
        std::printf(", %5.0f B/status by its own count, %ld failures", figures.own, figures.failures);
    std::printf("\n  %-30s merge 20: %6.1f us (max %7.1f); GetEntry %5.0f ns, IndexOf %5.0f ns; %d entries, filled in %.1f s",
                "", figures.mergeMedian, figures.mergeMax, figures.getEntry, figures.indexOf, figures.count,
                figures.fillSeconds);
    if (figures.missed != 0)
        std::printf("; %ld READS MISSED", figures.missed);
    std::printf("\n");
}

PackedLayout* MakePacked()
{
    return new PackedLayout(false);
}

PackedLayout* MakePackedWithSnapshot()
{
    return new PackedLayout(true);
}

FixedLayout* MakeFixed()
{
    return new FixedLayout;
}

} // namespace

void BenchStoreMemory(int size)
{
    Figures packed;
    Figures held;
    Figures fixed;
    if (!MeasureInChild(MakePacked, size, packed) || !MeasureInChild(MakePackedWithSnapshot, size, held)
        || !MeasureInChild(MakeFixed, size, fixed)) {
        std::printf("memory at %d statuses: a measuring process failed\n", size);
        return;
    }
    std::printf("memory, %d typical statuses (%.0f bytes of text each) added 20 at a time:\n", size, packed.content);
    PrintFigures("packed records:", packed);
    PrintFigures("packed, snapshot held 2 pages:", held);
    PrintFigures("fixed records (before):", fixed);
    std::printf("  packed: %.1f%% of the fixed layout's growth (%.1f%% with a snapshot held); %.0f MB against %.0f MB\n",
                100 * packed.resident / fixed.resident, 100 * held.resident / fixed.resident,
                held.resident * size / 1048576, fixed.resident * size / 1048576);
}

void BenchMemoryLimit()
{
    const std::size_t limit = 8u << 20;
    TimelineStore store(limit);
    TimelineEntry page[pageSize];
    std::uint64_t content = 0;
    std::uint64_t number = 0;
    int pagesAfterFailure = 0;
    int countAtFailure = 0;
    while (pagesAfterFailure < 100) {
        for (TimelineEntry& entry : page)
            TypicalEntry(number++, entry, content);
        const long failuresBefore = store.MemoryFailures();
        TimelineStore::Batch batch(store);
        for (const TimelineEntry& entry : page)
            batch.Add(entry);
        batch.Commit();
        if (failuresBefore == 0 && store.MemoryFailures() > 0)
            countAtFailure = store.GetCount();
        if (store.MemoryFailures() > 0)
            ++pagesAfterFailure;
    }
    // Whole and newest first, each found at its own row.
    bool whole = true;
    TimelineEntry previous = {};
    for (int i = 0; i < store.GetCount() && whole; ++i) {
        TimelineEntry entry;
        whole = store.GetEntry(i, entry) && store.IndexOf(entry.statusId) == i && (i == 0 || !NewerFirst(entry, previous));
        previous = entry;
    }
    std::printf("store limited to %zu MB: first refusal at %d statuses; after 100 more pages it holds %d (%zu bytes in use), "
                "%ld failures counted; readers see a whole newest-first list: %s\n",
                limit >> 20, countAtFailure, store.GetCount(), store.MemoryInUse(), store.MemoryFailures(),
                whole ? "yes" : "NO");
}
