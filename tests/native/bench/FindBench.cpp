// Figures for the timeline find at a million statuses: a find that matches
// nothing (one full pass) and one that lands on the last row, each beside a
// baseline search over the same statuses' bytes (text, display name, screen
// name) laid out contiguously in row order, in the same run. The baseline is
// written here, so the native and the Windows builds measure against the same
// code; natively the C library's memmem is shown too. Also the byte scan alone
// both ways, what filling the store cost and what it holds; then muting
// (MuteBench.cpp) on the same statuses. Prints only; never fails.

#include "BenchClock.h"
#include "MuteBench.h"
#include "SearchText.h"
#include "TimelineSnapshot.h"
#include "TimelineStore.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <string.h>
#endif

namespace {

struct Author {
    const char* screenName;
    const char* displayName; // as the page writes it, entities kept
};

// Pieces of the demo timeline's statuses in code page 932, links and tags
// with their markup as the scraper keeps it.
const char* const fragments[] = {
    "\x82\xa8\x82\xcd\x82\xe6\x82\xa4\x82\xb2\x82\xb4\x82\xa2\x82\xdc\x82\xb7\x81I",
    "\x8d\xa1\x93\xfa\x82\xe0\x82\xa2\x82\xa2\x93V\x8b""C\x82\xc5\x82\xb7\x82\xcb\x81""B",
    "\x92\xa9\x82\xcc\x83R\x81[\x83q\x81[\x82\xf0\x88\xf9\x82\xdd\x82\xc8\x82\xaa\x82\xe7 ",
    "#tokyo ",
    "\x82\xcc\x8b\xf3\x82\xf0\x92\xad\x82\xdf\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81""B",
    "Good morning! ",
    "Reading <a href=\"http://example.com/news\">http://example.com/news</a> before work. ",
    "Cheese & crackers for breakfast again... ",
    "\x81y\x91\xac\x95\xf1\x81z\x90V\x82\xb5\x82\xa2\x89w\x82\xaa\x8aJ\x8b\xc6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81""B",
    "\x8f\xda\x82\xb5\x82\xad\x82\xcd ",
    "\x82\xf0\x82\xb2\x97\x97\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81""B",
    "Fixed a bug where a < b was written as a > b. ",
    "Classic. ",
    "<a href=\"/search?q=%23programming\">#programming</a> ",
    "<a href=\"/hana_m\">@hana_m</a> ",
    "\x82\xa8\x92\x8b\x88\xea\x8f\x8f\x82\xc9\x82\xc7\x82\xa4\x81H",
    "12\x8e\x9e\x82\xc9\x89w\x91O\x82\xc5\x81""B",
    "\x82\xcd\x82\xb6\x82\xdf\x82\xc4\x82\xcc\x83""c\x83""C\x81[\x83g\x82\xc5\x82\xb7\x81""B",
    "\x82\xe6\x82\xeb\x82\xb5\x82\xad\x82\xa8\x8a\xe8\x82\xa2\x82\xb5\x82\xdc\x82\xb7\x81I",
    "He said \"that's impossible\" and then did it anyway. ",
    "Tea > coffee. ",
    "Fight me. ",
    "\x93V\x8b""C\x97\\\x95\xf1\x81""F\x8c\xdf\x8c\xe3\x82\xa9\x82\xe7\x89J\x81""B",
    "\x8eP\x82\xf0\x82\xa8\x96Y\x82\xea\x82\xc8\x82\xad\x81""B",
    "\x90V\x82\xb5\x82\xa2\x83J\x83t\x83""F\x82\xf0\x8c\xa9\x82\xc2\x82\xaf\x82\xdc\x82\xb5\x82\xbd\x81""B",
    "\x83P\x81[\x83L\x82\xaa\x94\xfc\x96\xa1\x82\xb5\x82\xa2\x81I",
    "Welcome to Tokyo! ",
    "\x93\x8c\x8b\x9e\x82\xd6\x82\xe6\x82\xa4\x82\xb1\x82\xbb\x81I",
    "Thanks! ",
    "\x82\xa0\x82\xe8\x82\xaa\x82\xc6\x82\xa4! ",
    "The trains are amazing. ",
    "\x8fT\x96\x96\x82\xcd\x94\xa0\x8d\xaa\x82\xc9\x8ds\x82\xab\x82\xdc\x82\xb7\x81""B",
    "\x82\xa8\x82\xb7\x82\xb7\x82\xdf\x82\xa0\x82\xe9\x81H",
    "Shopping list: eggs, milk & bread. ",
    "Released v1.2 of my tool: ",
    "Unicode is hard: \x93\xfa\x96{\x8c\xea & English in one string. ",
    "\x97[\x8f\xc4\x82\xaf\x82\xaa\x82\xab\x82\xea\x82\xa2\x81""B",
    "\x82\xa8\x82\xe2\x82\xb7\x82\xdd\x82\xc8\x82\xb3\x82\xa2\x81""B",
    "\x82\xdc\x82\xbd\x96\xbe\x93\xfa\x81I",
    "Just saw a cat on the train. ",
    "\x90V\x82\xb5\x82\xa2\x83L\x81[\x83{\x81[\x83h\x82\xf0\x94\x83\x82\xa2\x82\xdc\x82\xb5\x82\xbd\x81""B",
    "\x91\xc5\x82\xbf\x82\xe2\x82\xb7\x82\xa2\x81I",
    "Compile, test, repeat. ",
    "\x82\xa8\x92\x8b\x82\xcd\x83J\x83\x8c\x81[\x82\xc9\x82\xb5\x82\xe6\x82\xa4\x81""B",
};
const Author authors[] = {
    {"sakura_h", "\x8d\xf7\x88\xe4 \x82\xcd\x82\xe9\x82\xa9"},
    {"kenji_t", "\x93""c\x92\x86 \x8c\x92\x93\xf1"},
    {"alice_w", "Alice Walker"},
    {"tom_jerry", "Tom &amp; &quot;Jerry&quot;"},
    {"news_jp", "\x83j\x83\x85\x81[\x83X\x91\xac\x95\xf1 &lt;JP&gt;"},
    {"mike_dev", "Mike O'Neil"},
    {"hana_m", "\x90X \x89\xd4\x8eq"},
    {"demo", "\x83""f\x83\x82 \x83\x86\x81[\x83U\x81["},
};

const int statusCount = 1000000;
const int pageSize = 10000;
const char lastWord[] = "ptarmigan";

// Mostly short statuses, some long, a few at the 399-byte limit.
std::string StatusText(std::mt19937& random)
{
    std::uniform_int_distribution<int> pick(0, sizeof fragments / sizeof fragments[0] - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    const int roll = percent(random);
    const std::size_t target = roll < 60 ? 40 + roll * 2 : roll < 95 ? 160 + roll : 400;
    std::string text;
    while (text.size() < target)
        text += fragments[pick(random)];
    return text.substr(0, 399);
}

// Fills store with statusCount statuses, the oldest first (so it is the last
// row) and holding lastWord; contiguous receives their bytes in row order.
void Fill(TimelineStore& store, std::string& contiguous)
{
    std::mt19937 random(18);
    std::vector<std::string> rows(statusCount);
    for (int first = 0; first < statusCount; first += pageSize) {
        TimelineStore::Batch batch(store);
        for (int number = first; number < first + pageSize; ++number) {
            TimelineEntry entry = {};
            const Author& author = authors[random() % (sizeof authors / sizeof authors[0])];
            std::string text = StatusText(random);
            if (number == 0)
                text = std::string("The oldest one: ") + lastWord;
            std::snprintf(entry.statusId, sizeof entry.statusId, "%d", 10000000 + number);
            std::snprintf(entry.screenName, sizeof entry.screenName, "%s", author.screenName);
            std::snprintf(entry.displayName, sizeof entry.displayName, "%s", author.displayName);
            std::snprintf(entry.text, sizeof entry.text, "%s", text.c_str());
            entry.createdAtFileTime.dwLowDateTime = static_cast<DWORD>(number);
            batch.Add(entry);
            std::string& row = rows[static_cast<std::size_t>(statusCount - 1 - number)];
            row = entry.text;
            row += '\0';
            row += entry.displayName;
            row += '\0';
            row += entry.screenName;
            row += '\0';
        }
    }
    std::size_t size = 0;
    for (const std::string& row : rows)
        size += row.size();
    contiguous.reserve(size);
    for (const std::string& row : rows)
        contiguous += row;
}

// The baseline, a search of the kind C libraries use for memmem: Horspool's,
// shifting on the pair of bytes under the window's last two (hashed to one
// byte, so the table stays in the first-level cache). Most pairs of a text are
// in no pattern: those move the window by its length less one, a step that
// does not wait for the table, so such steps overlap. For patterns of two
// bytes or more.
const char* SearchBytes(const char* bytes, std::size_t size, const char* pattern, std::size_t length)
{
    // The shift for each hash of a pair: how far the window may move when the
    // pair stands under its last two bytes, the least over the pairs of that
    // hash; 0 for the pattern's last pair.
    std::uint8_t shifts[256];
    const auto hash = [](const char* at) {
        return static_cast<std::uint8_t>(static_cast<unsigned char>(at[0]) << 3 ^ static_cast<unsigned char>(at[1]));
    };
    const std::size_t last = length - 2;
    const std::size_t most = length - 1;
    std::memset(shifts, static_cast<int>(most), sizeof shifts);
    for (std::size_t index = 0; index < last; ++index)
        shifts[hash(pattern + index)] = static_cast<std::uint8_t>(last - index);
    // After a failed comparison: to the last pair's place before the end.
    const std::size_t again = shifts[hash(pattern + last)];
    shifts[hash(pattern + last)] = 0;
    for (std::size_t at = 0; at + length <= size;) {
        std::size_t shift = shifts[hash(bytes + at + last)];
        while (shift == most) {
            at += most;
            if (at + length > size)
                return nullptr;
            shift = shifts[hash(bytes + at + last)];
        }
        if (shift != 0) {
            at += shift;
            continue;
        }
        if (std::memcmp(bytes + at, pattern, length) == 0)
            return bytes + at;
        at += again;
    }
    return nullptr;
}

template <typename Search> double MedianMilliseconds(Search search)
{
    std::vector<double> times;
    for (int round = 0; round < 7; ++round) {
        const Clock::time_point start = Clock::now();
        search();
        times.push_back(MicrosecondsSince(start));
    }
    return Median(times) / 1000;
}

long OffsetIn(const std::string& bytes, const void* hit)
{
    return hit != nullptr ? static_cast<long>(static_cast<const char*>(hit) - bytes.data()) : -1;
}

void Report(const TimelineSnapshot& view, const std::string& bytes, const char* label, const char* text)
{
    SearchPattern pattern;
    MakeSearchPattern(text, pattern);
    TimelineSnapshot::FindResult result;
    const double find = MedianMilliseconds([&] { result = view.Find(pattern, -1, false); });
    const void* hit = nullptr;
    const double baseline
        = MedianMilliseconds([&] { hit = SearchBytes(bytes.data(), bytes.size(), text, std::strlen(text)); });
    std::printf("%-20s find %7.1f ms (row %d, %d of %d)   baseline %7.1f ms (offset %ld)   ratio %.2f", label, find,
                result.position, result.ordinal, result.total, baseline, OffsetIn(bytes, hit), find / baseline);
#if !defined(_WIN32)
    const double memmemTime
        = MedianMilliseconds([&] { hit = memmem(bytes.data(), bytes.size(), text, std::strlen(text)); });
    std::printf("   memmem %7.1f ms (offset %ld)   ratio %.2f", memmemTime, OffsetIn(bytes, hit), find / memmemTime);
#endif
    std::printf("\n");
}

// The byte scan alone over the contiguous bytes, the plain way and the wide
// way, as ScanForPattern picks on this processor.
void ReportScans(const std::string& bytes, const char* text)
{
    SearchPattern pattern;
    MakeSearchPattern(text, pattern);
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* found = nullptr;
    const double plain = MedianMilliseconds([&] { found = ScanForPatternPlain(begin, end, pattern); });
    std::printf("%-20s plain %7.1f ms (offset %ld)", "byte scan alone", plain, OffsetIn(bytes, found));
    if (const PatternScan wide = WidePatternScan()) {
        const double sse2 = MedianMilliseconds([&] { found = wide(begin, end, pattern); });
        std::printf("   SSE2 %7.1f ms (offset %ld)   ratio %.2f", sse2, OffsetIn(bytes, found), sse2 / plain);
    }
    std::printf("   (the find uses the %s scan)\n", WidePatternScan() != nullptr ? "SSE2" : "plain");
}

} // namespace

int main()
{
#if defined(__x86_64__)
    const char* const processor = "x86_64";
#elif defined(__i386__)
    const char* const processor = "i686";
#else
    const char* const processor = "other";
#endif
#if defined(_WIN32)
    std::printf("Windows build, %s\n", processor);
#else
    std::printf("native build, %s\n", processor);
#endif
    TimelineStore store;
    std::string contiguous;
    const Clock::time_point start = Clock::now();
    Fill(store, contiguous);
    const double fill = MicrosecondsSince(start) / 1e6;
    const TimelineSnapshot view = store.Snapshot();
    std::printf("%d statuses stored in %.1f s; store %.0f MB; contiguous bytes %.0f MB\n", view.GetCount(), fill,
                static_cast<double>(store.MemoryInUse()) / 1e6, static_cast<double>(contiguous.size()) / 1e6);
    Report(view, contiguous, "no match, ASCII", "snowman");
    // A word of two kanji that no status holds.
    Report(view, contiguous, "no match, kanji", "\x90\xe1\x8e\x52");
    Report(view, contiguous, "the last row", lastWord);
    ReportScans(contiguous, "snowman");
    ReportMute(store, contiguous);
    return 0;
}
