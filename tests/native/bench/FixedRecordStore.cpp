#include "FixedRecordStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace fixed {

namespace {

int HighestBit(std::uint32_t value)
{
    return 31 - __builtin_clz(value);
}

size_t StoredIdLength(const TimelineEntry& entry)
{
    return strnlen(entry.statusId, sizeof entry.statusId);
}

struct SortItem {
    std::uint64_t key;
    std::int32_t slot;
};

} // namespace

EntrySlots::EntrySlots() : count(0)
{
    for (std::atomic<TimelineEntry*>& chunk : chunks)
        chunk.store(nullptr, std::memory_order_relaxed);
}

EntrySlots::~EntrySlots()
{
    for (std::atomic<TimelineEntry*>& chunk : chunks)
        std::free(chunk.load(std::memory_order_relaxed));
}

std::int32_t EntrySlots::Append(const TimelineEntry& entry)
{
    const std::uint32_t shifted = static_cast<std::uint32_t>(count) + (1u << firstChunkBits);
    const int chunk = HighestBit(shifted) - firstChunkBits;
    if (chunk >= chunkCount)
        return -1;
    TimelineEntry* entries = chunks[chunk].load(std::memory_order_relaxed);
    if (entries == nullptr) {
        const size_t size = static_cast<size_t>(1u << (chunk + firstChunkBits));
        entries = static_cast<TimelineEntry*>(std::malloc(size * sizeof(TimelineEntry)));
        if (entries == nullptr)
            return -1;
        chunks[chunk].store(entries, std::memory_order_release);
    }
    std::memcpy(&entries[shifted - (1u << (chunk + firstChunkBits))], &entry, sizeof entry);
    return count++;
}

const TimelineEntry& EntrySlots::At(std::int32_t slot) const
{
    const std::uint32_t shifted = static_cast<std::uint32_t>(slot) + (1u << firstChunkBits);
    const int chunk = HighestBit(shifted) - firstChunkBits;
    return chunks[chunk].load(std::memory_order_acquire)[shifted - (1u << (chunk + firstChunkBits))];
}

StatusIdIndex::StatusIdIndex(std::uint32_t capacity)
    : cells(new (std::nothrow) std::atomic<Cell>[capacity]), mask(capacity - 1), used(0)
{
    for (std::uint32_t i = 0; i < capacity; ++i)
        cells[i].store(0, std::memory_order_relaxed);
}

std::uint32_t StatusIdIndex::Hash(const char* statusId, size_t length)
{
    std::uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i) {
        hash ^= static_cast<unsigned char>(statusId[i]);
        hash *= 16777619u;
    }
    return hash;
}

std::int32_t StatusIdIndex::Find(const char* statusId, const EntrySlots& slots, std::int32_t limit) const
{
    const size_t length = std::strlen(statusId);
    const std::uint32_t hash = Hash(statusId, length);
    for (std::uint32_t i = hash & mask;; i = (i + 1) & mask) {
        const Cell cell = cells[i].load(std::memory_order_acquire);
        if (cell == 0)
            return -1;
        if (static_cast<std::uint32_t>(cell >> 32) != hash)
            continue;
        const std::int32_t slot = static_cast<std::int32_t>(static_cast<std::uint32_t>(cell) - 1);
        if (slot >= limit)
            continue;
        const TimelineEntry& entry = slots.At(slot);
        if (StoredIdLength(entry) == length && std::memcmp(entry.statusId, statusId, length) == 0)
            return slot;
    }
}

void StatusIdIndex::Place(Cell cell)
{
    std::uint32_t i = static_cast<std::uint32_t>(cell >> 32) & mask;
    while (cells[i].load(std::memory_order_relaxed) != 0)
        i = (i + 1) & mask;
    cells[i].store(cell, std::memory_order_release);
    ++used;
}

void StatusIdIndex::Insert(const EntrySlots& slots, std::int32_t slot)
{
    const TimelineEntry& entry = slots.At(slot);
    const Cell hash = Hash(entry.statusId, StoredIdLength(entry));
    Place(hash << 32 | (static_cast<std::uint32_t>(slot) + 1));
}

std::unique_ptr<StatusIdIndex> StatusIdIndex::Grown() const
{
    std::unique_ptr<StatusIdIndex> grown(new StatusIdIndex((mask + 1) * 2));
    for (std::uint32_t i = 0; i <= mask; ++i) {
        const Cell cell = cells[i].load(std::memory_order_relaxed);
        if (cell != 0)
            grown->Place(cell);
    }
    return grown;
}

FixedRecordStore::FixedRecordStore() : ids(std::make_shared<StatusIdIndex>(1024))
{
    states.push_back(std::unique_ptr<State>(new State));
    states.back()->ids = ids;
    current.store(states.back().get());
}

FixedRecordStore::Pin::Pin(const FixedRecordStore& store)
{
    for (;;) {
        state = store.current.load();
        state->readers.fetch_add(1);
        if (store.current.load() == state)
            return;
        state->readers.fetch_sub(1);
    }
}

int FixedRecordStore::GetCount() const
{
    return Pin(*this)->count;
}

bool FixedRecordStore::GetEntry(int index, TimelineEntry& copy) const
{
    const Pin state(*this);
    if (index < 0 || index >= state->count)
        return false;
    std::memcpy(&copy, &slots.At(state->order[static_cast<size_t>(index)]), sizeof copy);
    return true;
}

int FixedRecordStore::IndexOf(const char* statusId) const
{
    const Pin state(*this);
    const std::int32_t slot = state->ids->Find(statusId, slots, state->count);
    return slot < 0 ? -1 : state->positions[static_cast<size_t>(slot)];
}

void FixedRecordStore::AddPage(const TimelineEntry* entries, int count)
{
    for (int i = 0; i < count; ++i)
        AddEntry(entries[i]);
    Publish();
}

bool FixedRecordStore::AddEntry(const TimelineEntry& entry)
{
    char id[sizeof entry.statusId + 1];
    std::memcpy(id, entry.statusId, sizeof entry.statusId);
    id[sizeof entry.statusId] = 0;
    if (ids->Find(id, slots, slots.Count()) >= 0)
        return false;
    if (ids->IsFull())
        ids = ids->Grown();
    const std::int32_t slot = slots.Append(entry);
    if (slot < 0)
        return false;
    ids->Insert(slots, slot);
    return true;
}

void FixedRecordStore::Publish()
{
    const State& old = *current.load();
    const std::int32_t total = slots.Count();
    if (total == old.count && old.ids == ids)
        return;

    std::vector<SortItem> added;
    added.reserve(static_cast<size_t>(total - old.count));
    for (std::int32_t slot = old.count; slot < total; ++slot)
        added.push_back({SortKey(slots.At(slot).createdAtFileTime), slot});
    std::sort(added.begin(), added.end(), [](const SortItem& a, const SortItem& b) {
        return a.key != b.key ? a.key > b.key : a.slot < b.slot;
    });

    State* next = ReusableState();
    next->count = total;
    next->order.resize(static_cast<size_t>(total));
    next->keys.resize(static_cast<size_t>(total));
    next->positions.resize(static_cast<size_t>(total));
    next->ids = ids;

    size_t from = 0;
    size_t to = 0;
    const size_t oldCount = static_cast<size_t>(old.count);
    for (const SortItem& item : added) {
        const size_t until = static_cast<size_t>(
            std::partition_point(old.keys.begin() + static_cast<std::ptrdiff_t>(from), old.keys.end(),
                                 [&item](std::uint64_t key) { return key >= item.key; })
            - old.keys.begin());
        std::copy(old.order.begin() + static_cast<std::ptrdiff_t>(from), old.order.begin() + static_cast<std::ptrdiff_t>(until),
                  next->order.begin() + static_cast<std::ptrdiff_t>(to));
        std::copy(old.keys.begin() + static_cast<std::ptrdiff_t>(from), old.keys.begin() + static_cast<std::ptrdiff_t>(until),
                  next->keys.begin() + static_cast<std::ptrdiff_t>(to));
        to += until - from;
        from = until;
        next->order[to] = item.slot;
        next->keys[to] = item.key;
        ++to;
    }
    std::copy(old.order.begin() + static_cast<std::ptrdiff_t>(from), old.order.begin() + static_cast<std::ptrdiff_t>(oldCount),
              next->order.begin() + static_cast<std::ptrdiff_t>(to));
    std::copy(old.keys.begin() + static_cast<std::ptrdiff_t>(from), old.keys.begin() + static_cast<std::ptrdiff_t>(oldCount),
              next->keys.begin() + static_cast<std::ptrdiff_t>(to));
    for (std::int32_t position = 0; position < total; ++position)
        next->positions[static_cast<size_t>(next->order[static_cast<size_t>(position)])] = position;

    current.store(next);
}

FixedRecordStore::State* FixedRecordStore::ReusableState()
{
    const State* const published = current.load();
    for (const std::unique_ptr<State>& state : states) {
        if (state.get() != published && state->readers.load() == 0)
            return state.get();
    }
    states.push_back(std::unique_ptr<State>(new State));
    return states.back().get();
}

} // namespace fixed
