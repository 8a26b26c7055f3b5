#ifndef LARKSPUR_TIMELINE_SEARCHTEXTS_H
#define LARKSPUR_TIMELINE_SEARCHTEXTS_H

#include "SearchText.h"
#include "StoreMemory.h"
#include "TimelineEntry.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

class MuteList;

// What the find looks at in each stored status, prepared once when the
// status is stored: the text as the detail pane shows it (tags stripped,
// entities decoded), the display name with its entities decoded and the
// screen name, each folded (SearchText.h) and ended by a NUL, one status
// after the other in large chunks. A find then scans plain contiguous bytes,
// with no unpacking, stripping or decoding per status.
//
// Slot numbers are the store's (EntrySlots): the writer appends one record
// per slot, in slot order. Readers look only at slots that were published to
// them (below a published state's count), whose bytes were all written
// before that state was; nothing they read is ever written again.
class SearchTexts {
public:
    enum Field { textField, displayNameField, screenNameField };

    struct Match {
        std::int32_t slot = -1;
        Field field = textField;
        int offset = 0; // in the field's shown bytes
    };

    explicit SearchTexts(StoreMemory& memory);
    ~SearchTexts();
    SearchTexts(const SearchTexts&) = delete;
    SearchTexts& operator=(const SearchTexts&) = delete;

    // Appends the record of the next slot. False (nothing changed) when
    // memory runs out. Writer only.
    bool Append(const TimelineEntry& entry);
    // Takes back the last record, when the slot it was made for could not
    // be stored after all. Writer only.
    void RemoveLast();

    // The slots from firstSlot up to endSlot that match pattern, each once,
    // in slot order.
    void FindSlots(const SearchPattern& pattern, std::int32_t firstSlot, std::int32_t endSlot,
                   std::vector<std::int32_t>& found) const;

    // The first match in slot's record: text, then display name, then screen
    // name. False when the slot does not match.
    bool MatchIn(std::int32_t slot, const SearchPattern& pattern, Match& match) const;

    // The slots from firstSlot up to endSlot that list mutes, each once, in
    // slot order: those a word matches (as FindSlots finds them) and those
    // whose screen name is an author's. Each chunk of records is scanned for
    // every word in turn while it sits in the processor's cache, so the
    // words after the first cost no memory traffic, and each word passes
    // over the records a word before it matched.
    void FindMutedSlots(const MuteList& list, std::int32_t firstSlot, std::int32_t endSlot,
                        std::vector<std::int32_t>& found) const;

    // True when list mutes slot: what FindMutedSlots decides, for one record.
    bool IsMuted(std::int32_t slot, const MuteList& list) const;

private:
    // A chunk holds records from the front and, from its end backwards, the
    // offset just past each record's last byte.
    struct Chunk {
        std::atomic<Chunk*> next;
        const Chunk* previous; // set before the chunk is linked
        std::int32_t firstSlot;
        std::uint32_t size; // bytes after the header
        const char* Bytes() const { return reinterpret_cast<const char*>(this + 1); }
        char* Bytes() { return reinterpret_cast<char*>(this + 1); }
        std::uint32_t EndOf(std::int32_t record) const
        {
            std::uint32_t end;
            std::memcpy(&end, Bytes() + size - 4 * (record + 1), sizeof end);
            return end;
        }
    };

    // Records of chunk that a reader of slotCount slots may look at.
    static std::int32_t VisibleRecords(const Chunk& chunk, std::int32_t slotCount);
    // The first byte of a record of chunk.
    static const char* RecordStart(const Chunk& chunk, std::int32_t record);
    // The chunk that holds slot's record; null when there is none. Walks
    // back from the newest chunk for a slot in the later half, so finding a
    // status that just arrived takes a step or two.
    const Chunk* ChunkOf(std::int32_t slot) const;
    // Calls each(chunk, record, records) for every chunk that holds records
    // of the slots from firstSlot up to endSlot: those from record up to
    // records.
    template <typename Each> void ForEachChunk(std::int32_t firstSlot, std::int32_t endSlot, Each each) const;
    // Calls found(record) for each record of chunk, from record up to
    // records, that pattern matches: once each, in order.
    template <typename Found>
    static void ScanRecords(const Chunk& chunk, std::int32_t record, std::int32_t records,
                            const SearchPattern& pattern, Found found);

    StoreMemory& memory;
    std::atomic<Chunk*> first{nullptr};
    std::atomic<Chunk*> newest{nullptr}; // stored after the chunk is linked
    // Written and read by the writer only.
    Chunk* last = nullptr;
    std::int32_t lastRecords = 0;
    std::uint32_t lastUsed = 0;
};

#endif
