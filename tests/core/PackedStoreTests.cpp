#include "PageBuilder.h"
#include "Scraper.h"
#include "TimelineSnapshot.h"
#include "TimelineStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// The statusId as the store compares it: up to its NUL or all 16 bytes.
std::string IdOf(const TimelineEntry& entry)
{
    return std::string(entry.statusId, strnlen(entry.statusId, sizeof entry.statusId));
}

// Fills a field of size bytes in one of the shapes a field can take: empty,
// short, full to its NUL, double-byte text cut on a lead byte, all bytes set
// (no NUL), or text followed by stray bytes after its NUL.
void FillField(char* field, size_t size, std::mt19937& random)
{
    std::memset(field, 0, size);
    const auto anyByte = [&random] { return static_cast<char>(1 + random() % 255); };
    switch (random() % 6) {
    case 0:
        break;
    case 1:
        for (size_t i = 0, length = random() % size; i < length; ++i)
            field[i] = anyByte();
        break;
    case 2:
        for (size_t i = 0; i + 1 < size; ++i)
            field[i] = anyByte();
        break;
    case 3:
        // Pairs of lead (0x81 to 0x9F) and trail (0x40 to 0xFC) bytes, cut so
        // that the last byte kept is a lead byte.
        for (size_t i = 0; i + 1 < size; ++i)
            field[i] = static_cast<char>(i % 2 == (size - 2) % 2 ? 0x81 + random() % 0x1F : 0x40 + random() % 0xBD);
        break;
    case 4:
        for (size_t i = 0; i < size; ++i)
            field[i] = anyByte();
        break;
    default:
        for (size_t i = 0, length = random() % size; i < size; ++i)
            field[i] = i == length ? 0 : random() % 3 == 0 ? 0 : anyByte();
        break;
    }
}

TimelineEntry RandomEntry(const std::string& id, std::mt19937& random)
{
    TimelineEntry entry;
    for (char* field : {entry.screenName, entry.displayName, entry.iconUrl, entry.createdAtText})
        FillField(field, 256, random);
    FillField(entry.text, sizeof entry.text, random);
    std::memset(entry.statusId, 0, sizeof entry.statusId);
    std::memcpy(entry.statusId, id.data(), std::min(id.size(), sizeof entry.statusId));
    WORD words[sizeof(SYSTEMTIME) / sizeof(WORD)];
    for (WORD& word : words)
        word = static_cast<WORD>(random() % 4 == 0 ? random() % 128 : random());
    std::memcpy(&entry.createdAt, words, sizeof words);
    // Few distinct keys, so that many entries tie, and positions among
    // equal keys must be found by slot.
    const std::uint64_t wide = (static_cast<std::uint64_t>(random()) << 32) | random();
    const std::uint64_t key = random() % 3 == 0 ? random() % 4 : wide;
    entry.createdAtFileTime.dwLowDateTime = static_cast<DWORD>(key);
    entry.createdAtFileTime.dwHighDateTime = static_cast<DWORD>(key >> 32);
    return entry;
}

// Ids of 1, 8, 15 and 16 bytes (the last without a NUL) that differ only in
// their last byte, and ids with stray bytes after their NUL.
std::vector<std::string> DistinctIds()
{
    std::vector<std::string> ids;
    for (size_t length : {1, 8, 15, 16}) {
        for (int last = 1; last < 256; last += 3)
            ids.push_back(std::string("9876543210987654").substr(0, length - 1) + static_cast<char>(last));
    }
    for (int i = 0; i < 40; ++i)
        ids.push_back("s" + std::to_string(i) + std::string(1, '\0') + "tail");
    return ids;
}

// Every entry comes back from GetEntry identical to what was added, in the
// live store and in a snapshot taken before later batches.
TEST(PackedStoreTest, EveryEntryComesBackByteForByte)
{
    std::mt19937 random(1464);
    std::vector<TimelineEntry> added;
    for (const std::string& id : DistinctIds())
        added.push_back(RandomEntry(id, random));
    std::shuffle(added.begin(), added.end(), random);

    TimelineStore store;
    TimelineSnapshot early;
    for (size_t done = 0; done < added.size();) {
        const size_t size = std::min(added.size() - done, static_cast<size_t>(1 + random() % 40));
        TimelineStore::Batch batch(store);
        for (size_t i = done; i < done + size; ++i)
            EXPECT_TRUE(batch.Add(added[i])) << i;
        batch.Commit();
        done += size;
        if (early.GetCount() == 0)
            early = store.Snapshot();
    }
    ASSERT_EQ(static_cast<int>(added.size()), store.GetCount());
    ASSERT_GT(early.GetCount(), 0);

    for (const TimelineEntry& entry : added) {
        const std::string id = IdOf(entry);
        const TimelineReader* const readers[] = {&store, &early};
        for (const TimelineReader* reader : readers) {
            const int index = reader->IndexOf(id.c_str());
            if (reader == &early && index < 0)
                continue; // added after the snapshot
            TimelineEntry copy;
            ASSERT_TRUE(reader->GetEntry(index, copy)) << id;
            EXPECT_EQ(0, std::memcmp(&entry, &copy, sizeof copy)) << "entry " << id;
        }
    }
    for (int i = 1; i < store.GetCount(); ++i) {
        TimelineEntry newer;
        TimelineEntry older;
        ASSERT_TRUE(store.GetEntry(i - 1, newer) && store.GetEntry(i, older));
        EXPECT_FALSE(NewerFirst(older, newer)) << i;
    }
}

// Statuses as a scraped page makes them take their text, a small fixed part
// and the find's folded copy of their shown text and names, not their
// 1,464-byte record.
TEST(PackedStoreTest, ATypicalStatusTakesAFractionOfItsRecord)
{
    TimelineStore store;
    for (std::uint64_t first = 0; first < 10000; first += 20) {
        std::vector<PageStatus> statuses;
        for (std::uint64_t number = first; number < first + 20; ++number)
            statuses.push_back(NumberedStatus(number));
        ScrapePage(CString(TimelinePage(statuses).c_str()), WebBaseAddress(), store);
    }
    ASSERT_EQ(10000, store.GetCount());
    EXPECT_LT(store.MemoryInUse() / 10000, 360u);
    EXPECT_EQ(0, store.MemoryFailures());
}

} // namespace
