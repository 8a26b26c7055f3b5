// Figures for muting, on the find benchmark's million statuses: a changed
// list of 50 words and 5 authors applied to the whole view (the set a worker
// makes when the settings are saved), beside the plain passes over the same
// bytes measured in the same run (a find of a word that no status holds,
// which is one scan of every record, and memchr over the contiguous bytes),
// and beside the same words found one whole pass each. Then what a page of
// arrivals costs to decide. Prints only; never fails.

#include "MuteBench.h"

#include "BenchClock.h"
#include "MuteList.h"
#include "SearchText.h"
#include "TimelineSnapshot.h"

#include <cstdio>
#include <cstring>
#include <cstddef>
#include <string>
#include <vector>

namespace {

// A list as a user makes it: words the demo texts do not hold, but for two
// ("classic" and umbrella, which a third of the statuses hold between them),
// so that nearly every word scans every record to its end, the costly case.
const char* const fewWords[] = {
    "snowman", "giraffe", "zebra", "umbrella", "volcano", "penguin", "saxophone", "quantum", "tornado",
    "lighthouse", "marathon", "origami", "pancake", "walrus", "blizzard", "hammock", "jigsaw", "kayak", "lantern",
    "meteor", "nebula", "orchid", "pyramid", "ptarmigan", "classic",
    // baseball, election, earthquake, typhoon, ramen, sushi, cat, meeting,
    // deadline, cherry-blossom viewing, hot spring, bullet train, Mt Fuji,
    // library, film, music, exam, homework, travel, autumn leaves, snow,
    // cherry, festival, fireworks, umbrella
    "\x96\xec\x8b\x85", "\x91\x49\x8b\x93", "\x92\x6e\x90\x6b", "\x91\xe4\x95\x97",
    "\x83\x89\x81\x5b\x83\x81\x83\x93", "\x8e\xf5\x8e\x69", "\x94\x4c", "\x89\xef\x8b\x63",
    "\x92\xf7\x82\xdf\x90\xd8\x82\xe8", "\x89\xd4\x8c\xa9", "\x89\xb7\x90\xf2", "\x90\x56\x8a\xb2\x90\xfc",
    "\x95\x78\x8e\x6d\x8e\x52", "\x90\x7d\x8f\x91\x8a\xd9", "\x89\x66\x89\xe6", "\x89\xb9\x8a\x79",
    "\x8e\x8e\x8c\xb1", "\x8f\x68\x91\xe8", "\x97\xb7\x8d\x73", "\x8d\x67\x97\x74", "\x90\xe1", "\x8d\xf7",
    "\x8d\xd5\x82\xe8", "\x89\xd4\x89\xce", "\x8e\x50",
};
// Words of the demo texts themselves (coffee, train, morning, Tokyo,
// weather, news flash, cafe, cake...): nearly every status is muted, and
// later words read little, since records already muted are passed over.
const char* const commonWords[] = {
    "snowman", "ptarmigan", "coffee", "breakfast", "impossible", "amazing", "keyboard", "bug", "release",
    "unicode", "shopping", "bread", "zebra", "eggs", "cat", "train", "fight", "classic", "thanks", "welcome",
    "reading", "compile", "repeat", "morning", "giraffe",
    "\x93\x8c\x8b\x9e", "\x93\x56\x8b\x43", "\x91\xac\x95\xf1", "\x89\x4a", "\x8e\x50",
    "\x90\x56\x82\xb5\x82\xa2\x89\x77", "\x83\x4a\x83\x74\x83\x46", "\x83\x50\x81\x5b\x83\x4c",
    "\x94\xa0\x8d\xaa", "\x97\x5b\x8f\xc4\x82\xaf", "\x83\x4a\x83\x8c\x81\x5b", "\x92\x8b",
    "\x83\x52\x81\x5b\x83\x71\x81\x5b", "\x83\x4c\x81\x5b\x83\x7b\x81\x5b\x83\x68", "\x96\xec\x8b\x85",
    "\x91\x49\x8b\x93", "\x92\x6e\x90\x6b", "\x91\xe4\x95\x97", "\x83\x89\x81\x5b\x83\x81\x83\x93",
    "\x8e\xf5\x8e\x69", "\x94\x4c", "\x89\xef\x8b\x63", "\x92\xf7\x82\xdf\x90\xd8\x82\xe8",
    "\x89\xd4\x8c\xa9", "\x89\xb7\x90\xf2",
};
// Two of the demo's eight authors, and three nobody is.
const char* const authorEntries[] = {"@news_jp", "@TOM_JERRY", "@nobody", "@demo2", "@alice"};

const int pageSize = 20;

template <typename Work> double MedianMilliseconds(int rounds, Work work)
{
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        const Clock::time_point start = Clock::now();
        work();
        times.push_back(MicrosecondsSince(start));
    }
    return Median(times) / 1000;
}

template <std::size_t size> std::string Lines(const char* const (&entries)[size])
{
    std::string text;
    for (const char* entry : entries)
        text += std::string(entry) + "\n";
    return text;
}

void AddPage(TimelineStore& store)
{
    TimelineStore::Batch batch(store);
    for (int number = 0; number < pageSize; ++number) {
        TimelineEntry entry = {};
        std::snprintf(entry.statusId, sizeof entry.statusId, "%d", 90000000 + number);
        std::snprintf(entry.screenName, sizeof entry.screenName, "%s", number % 4 == 0 ? "news_jp" : "kenji_t");
        std::snprintf(entry.displayName, sizeof entry.displayName, "Kenji");
        std::snprintf(entry.text, sizeof entry.text,
                      "A new status, number %d, about nothing much: good morning and a walk in the park.", number);
        entry.createdAtFileTime.dwLowDateTime = static_cast<DWORD>(50000000 + number);
        batch.Add(entry);
    }
}

} // namespace

void ReportMute(TimelineStore& store, const std::string& contiguous)
{
    const MuteList few(Lines(fewWords).c_str());
    const MuteList list((Lines(fewWords) + Lines(authorEntries)).c_str());
    const MuteList common((Lines(commonWords) + Lines(authorEntries)).c_str());
    const MuteList authors(Lines(authorEntries).c_str());
    const TimelineSnapshot view = store.Snapshot();
    const int rows = view.GetCount();

    // The plain passes.
    SearchPattern nowhere;
    MakeSearchPattern("snowman", nowhere);
    const double pass = MedianMilliseconds(7, [&] { view.Find(nowhere, -1, false); });
    // No status holds a byte 1.
    const void* hit = nullptr;
    const double bytePass = MedianMilliseconds(7, [&] { hit = std::memchr(contiguous.data(), 1, contiguous.size()); });
    std::printf("mute: plain passes   one find pass %.1f ms, memchr over %.0f MB %.1f ms (offset %ld)\n", pass,
                static_cast<double>(contiguous.size()) / 1e6, bytePass,
                hit != nullptr ? static_cast<long>(static_cast<const char*>(hit) - contiguous.data()) : -1L);

    MutedArrivals muted;
    const auto apply = [&](const char* label, const MuteList& applied, int rounds) {
        const double time = MedianMilliseconds(rounds, [&] { muted = view.MutedBy(applied); });
        const int wordCount = static_cast<int>(applied.Words().size());
        std::printf("mute: %-15s %2d words, %3d authors: %7.1f ms (%d of %d muted)   ratio to one find pass %.2f, "
                    "to memchr %.2f",
                    label, wordCount, applied.GetCount() - wordCount, time, muted.Count(), rows, time / pass,
                    time / bytePass);
        if (wordCount > 0)
            std::printf(", per word to one find pass %.2f", time / wordCount / pass);
        std::printf("\n");
    };
    apply("list", list, 5);
    apply("words alone", few, 5);
    apply("authors alone", authors, 7);
    apply("common words", common, 5);

    // The same 50 words as 50 finds, each a whole pass from memory.
    const double oneByOne = MedianMilliseconds(3, [&] {
        for (const SearchPattern& word : few.Words())
            view.Find(word, -1, false);
    });
    std::printf("mute: the 50 words as 50 finds %.1f ms; the list applied costs %.2f of that\n", oneByOne,
                MedianMilliseconds(5, [&] { view.MutedBy(few); }) / oneByOne);

    // Arrivals: a page comes in after the list was applied.
    const MutedArrivals before = view.MutedBy(list);
    AddPage(store);
    const TimelineSnapshot later = store.Snapshot();
    MutedArrivals updated;
    std::vector<double> times;
    for (int round = 0; round < 21; ++round) {
        updated = before;
        const Clock::time_point start = Clock::now();
        later.UpdateMuted(list, updated);
        times.push_back(MicrosecondsSince(start));
    }
    const double page = Median(times);
    int newlyMuted = 0;
    for (int arrival = before.End(); arrival < updated.End(); ++arrival)
        newlyMuted += updated.Holds(arrival);
    bool agree = true;
    const double single = MedianMilliseconds(21, [&] {
        for (int position = 0; position < pageSize; ++position)
            agree = agree && later.IsMuted(position, list) == updated.Holds(later.ArrivalOf(position));
    }) * 1000 / pageSize;
    const double oldest = MedianMilliseconds(21, [&] { later.IsMuted(later.GetCount() - 1, list); }) * 1000;
    std::printf("mute: a page of %d arrivals   brought up to date %.1f us (%.2f us a status, %d muted); "
                "one status decided alone %.1f us (the newest), %.1f us (the oldest)%s\n",
                pageSize, page, page / pageSize, newlyMuted, single, oldest, agree ? "" : "   DISAGREE");
}
