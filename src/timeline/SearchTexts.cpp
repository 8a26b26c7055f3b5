#include "SearchTexts.h"

#include "CString.h"
#include "MuteList.h"
#include "TextFunctions.h"

#include <algorithm>
#include <new>

namespace {

// Chunks start small, for the many small stores of tests and fuzzing, and
// double up to a size at which a scan spends nearly all its time in bytes
// and the waste at a chunk's end (less than one record) is small.
const std::uint32_t firstChunkSize = 4096;
const std::uint32_t lastChunkSize = 65536;

// The largest record: the stripped text, two names, three NULs, its end.
const std::uint32_t maxRecordSize = strippedTextSize + 2 * sizeof TimelineEntry::displayName + 4;

// Appends field (length bytes), folded, and its NUL.
char* PutField(char* out, const char* field, int length)
{
    FoldSearchText(field, length, out);
    out[length] = 0;
    return out + length + 1;
}

} // namespace

SearchTexts::SearchTexts(StoreMemory& memory) : memory(memory) {}

SearchTexts::~SearchTexts()
{
    Chunk* chunk = first.load(std::memory_order_relaxed);
    while (chunk != nullptr) {
        Chunk* const next = chunk->next.load(std::memory_order_relaxed);
        const std::size_t bytes = sizeof(Chunk) + chunk->size;
        chunk->~Chunk();
        memory.Free(chunk, bytes);
        chunk = next;
    }
}

bool SearchTexts::Append(const TimelineEntry& entry)
{
    char record[maxRecordSize];
    char shown[strippedTextSize];
    StripTags(entry.text, shown);
    CString displayName(entry.displayName, static_cast<int>(strnlen(entry.displayName, sizeof entry.displayName)));
    DecodeEntities(displayName);
    char* at = PutField(record, shown, static_cast<int>(std::strlen(shown)));
    at = PutField(at, displayName.GetString(), displayName.GetLength());
    at = PutField(at, entry.screenName, static_cast<int>(strnlen(entry.screenName, sizeof entry.screenName)));
    const std::uint32_t length = static_cast<std::uint32_t>(at - record);

    // A record and its end offset must fit between the used front and the
    // offsets at the back; otherwise the next chunk starts.
    if (last == nullptr || last->size - lastUsed - 4 * lastRecords < length + 4) {
        const std::uint32_t size = last == nullptr ? firstChunkSize : std::min(last->size * 2, lastChunkSize);
        void* const block = memory.Allocate(sizeof(Chunk) + size);
        if (block == nullptr)
            return false;
        Chunk* const chunk = new (block) Chunk;
        chunk->next.store(nullptr, std::memory_order_relaxed);
        chunk->previous = last;
        chunk->firstSlot = last == nullptr ? 0 : last->firstSlot + lastRecords;
        chunk->size = size;
        if (last == nullptr)
            first.store(chunk, std::memory_order_release);
        else
            last->next.store(chunk, std::memory_order_release);
        newest.store(chunk, std::memory_order_release);
        last = chunk;
        lastRecords = 0;
        lastUsed = 0;
    }
    std::memcpy(last->Bytes() + lastUsed, record, length);
    lastUsed += length;
    std::memcpy(last->Bytes() + last->size - 4 * (lastRecords + 1), &lastUsed, sizeof lastUsed);
    ++lastRecords;
    return true;
}

void SearchTexts::RemoveLast()
{
    if (last == nullptr || lastRecords == 0)
        return;
    --lastRecords;
    lastUsed = lastRecords > 0 ? last->EndOf(lastRecords - 1) : 0;
}

// A chunk that has a successor holds exactly the records up to the
// successor's first slot; the last chunk holds every visible slot from its
// first on.
std::int32_t SearchTexts::VisibleRecords(const Chunk& chunk, std::int32_t slotCount)
{
    const Chunk* const next = chunk.next.load(std::memory_order_acquire);
    const std::int32_t upTo = next != nullptr ? std::min(next->firstSlot, slotCount) : slotCount;
    return std::max(upTo - chunk.firstSlot, 0);
}

const char* SearchTexts::RecordStart(const Chunk& chunk, std::int32_t record)
{
    return chunk.Bytes() + (record > 0 ? chunk.EndOf(record - 1) : 0);
}

// A reader asks only for slots it was published, whose chunk was linked
// before they were: the newest chunk it loads is that one or a later one.
// The slot's chunk is the last that starts at or before it.
const SearchTexts::Chunk* SearchTexts::ChunkOf(std::int32_t slot) const
{
    const Chunk* chunk = newest.load(std::memory_order_acquire);
    if (chunk != nullptr && slot >= chunk->firstSlot / 2) {
        while (chunk != nullptr && chunk->firstSlot > slot)
            chunk = chunk->previous;
        return chunk;
    }
    chunk = first.load(std::memory_order_acquire);
    while (chunk != nullptr) {
        const Chunk* const next = chunk->next.load(std::memory_order_acquire);
        if (next == nullptr || next->firstSlot > slot)
            break;
        chunk = next;
    }
    return chunk != nullptr && slot >= chunk->firstSlot ? chunk : nullptr;
}

template <typename Each>
void SearchTexts::ForEachChunk(std::int32_t firstSlot, std::int32_t endSlot, Each each) const
{
    if (firstSlot >= endSlot)
        return;
    for (const Chunk* chunk = ChunkOf(std::max(firstSlot, 0)); chunk != nullptr && chunk->firstSlot < endSlot;
         chunk = chunk->next.load(std::memory_order_acquire)) {
        const std::int32_t records = VisibleRecords(*chunk, endSlot);
        // The records of slots before firstSlot are passed over whole.
        const std::int32_t record = std::max(firstSlot - chunk->firstSlot, 0);
        if (record < records)
            each(*chunk, record, records);
    }
}

template <typename Found>
void SearchTexts::ScanRecords(const Chunk& chunk, std::int32_t record, std::int32_t records,
                              const SearchPattern& pattern, Found found)
{
    const char* const bytes = chunk.Bytes();
    const char* const end = bytes + chunk.EndOf(records - 1);
    for (const char* at = RecordStart(chunk, record); (at = ScanForPattern(at, end, pattern)) != nullptr;) {
        // Records end on a NUL and the pattern holds none, so a match never
        // crosses into the next record or field.
        if (!StartsCharacter(bytes, at, end) || !StartsCharacter(bytes, at + pattern.length, end)) {
            ++at;
            continue;
        }
        const std::uint32_t offset = static_cast<std::uint32_t>(at - bytes);
        std::int32_t low = record;
        std::int32_t high = records - 1;
        while (low < high) {
            const std::int32_t middle = low + (high - low) / 2;
            if (chunk.EndOf(middle) <= offset)
                low = middle + 1;
            else
                high = middle;
        }
        found(low);
        // One match a status: go on after its record.
        record = low + 1;
        at = bytes + chunk.EndOf(low);
    }
}

void SearchTexts::FindSlots(const SearchPattern& pattern, std::int32_t firstSlot, std::int32_t endSlot,
                            std::vector<std::int32_t>& found) const
{
    if (pattern.length == 0)
        return;
    ForEachChunk(firstSlot, endSlot, [&](const Chunk& chunk, std::int32_t record, std::int32_t records) {
        ScanRecords(chunk, record, records, pattern,
                    [&](std::int32_t matched) { found.push_back(chunk.firstSlot + matched); });
    });
}

bool SearchTexts::MatchIn(std::int32_t slot, const SearchPattern& pattern, Match& match) const
{
    const Chunk* const chunk = ChunkOf(slot);
    if (chunk == nullptr)
        return false;
    const char* field = RecordStart(*chunk, slot - chunk->firstSlot);
    for (const Field kind : {textField, displayNameField, screenNameField}) {
        const int length = static_cast<int>(std::strlen(field));
        const int offset = FindInFoldedText(field, length, pattern);
        if (offset >= 0) {
            match.slot = slot;
            match.field = kind;
            match.offset = offset;
            return true;
        }
        field += length + 1;
    }
    return false;
}

namespace {

// True when the screen name of the record that ends at recordEnd (its last
// field, before the NUL that ends the record) is one of list's authors. The
// display name's NUL stands before it, so the walk back ends in the record.
bool ByAuthor(const MuteList& list, const char* recordEnd)
{
    const char* const end = recordEnd - 1;
    const char* name = end;
    while (name[-1] != 0)
        --name;
    return list.IsAuthor(name, static_cast<int>(end - name));
}

} // namespace

void SearchTexts::FindMutedSlots(const MuteList& list, std::int32_t firstSlot, std::int32_t endSlot,
                                 std::vector<std::int32_t>& found) const
{
    if (list.IsEmpty())
        return;
    std::vector<unsigned char> muted; // the chunk's records from `record` on
    ForEachChunk(firstSlot, endSlot, [&](const Chunk& chunk, std::int32_t record, std::int32_t records) {
        muted.assign(static_cast<std::size_t>(records - record), 0);
        const auto isMuted = [&](std::int32_t each) { return muted[static_cast<std::size_t>(each - record)] != 0; };
        const auto mute = [&](std::int32_t each) { muted[static_cast<std::size_t>(each - record)] = 1; };
        // Each word scans only the runs of records that no word before it
        // muted: where many are muted, later words have little to read.
        for (const SearchPattern& word : list.Words()) {
            for (std::int32_t run = record; run < records;) {
                std::int32_t runEnd = run;
                while (runEnd < records && !isMuted(runEnd))
                    ++runEnd;
                if (runEnd > run)
                    ScanRecords(chunk, run, runEnd, word, mute);
                run = runEnd + 1;
            }
        }
        for (std::int32_t each = record; each < records; ++each) {
            if (isMuted(each) || (list.HasAuthors() && ByAuthor(list, chunk.Bytes() + chunk.EndOf(each))))
                found.push_back(chunk.firstSlot + each);
        }
    });
}

bool SearchTexts::IsMuted(std::int32_t slot, const MuteList& list) const
{
    const Chunk* const chunk = list.IsEmpty() ? nullptr : ChunkOf(slot);
    if (chunk == nullptr)
        return false;
    const std::int32_t record = slot - chunk->firstSlot;
    const char* const start = RecordStart(*chunk, record);
    const char* const end = chunk->Bytes() + chunk->EndOf(record);
    // The record's three fields at once: a match never spans their NULs.
    for (const SearchPattern& word : list.Words()) {
        if (FindInFoldedText(start, static_cast<int>(end - start), word) >= 0)
            return true;
    }
    return list.HasAuthors() && ByAuthor(list, end);
}
