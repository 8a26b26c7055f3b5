#include "PackedEntry.h"

#include <cstdint>
#include <cstring>

namespace {

struct Field {
    std::size_t offset;
    std::size_t size;
};

// In packing order; statusId first (PackedStatusId relies on it).
const Field fields[] = {
    {offsetof(TimelineEntry, statusId), sizeof TimelineEntry::statusId},
    {offsetof(TimelineEntry, screenName), sizeof TimelineEntry::screenName},
    {offsetof(TimelineEntry, displayName), sizeof TimelineEntry::displayName},
    {offsetof(TimelineEntry, iconUrl), sizeof TimelineEntry::iconUrl},
    {offsetof(TimelineEntry, text), sizeof TimelineEntry::text},
    {offsetof(TimelineEntry, createdAtText), sizeof TimelineEntry::createdAtText},
};

const std::size_t timeWords = sizeof(SYSTEMTIME) / sizeof(WORD);

// The record has no padding, so setting every field sets every byte.
static_assert(sizeof(TimelineEntry) == 1440 + sizeof(SYSTEMTIME) + sizeof(FILETIME), "TimelineEntry has padding");
static_assert(sizeof TimelineEntry::statusId < 0x80, "a statusId length must fit one byte");

// Seven bits a byte, low bits first; the top bit says another byte follows.
unsigned char* PutNumber(unsigned char* out, unsigned value)
{
    while (value >= 0x80) {
        *out++ = static_cast<unsigned char>(value | 0x80);
        value >>= 7;
    }
    *out++ = static_cast<unsigned char>(value);
    return out;
}

const unsigned char* GetNumber(const unsigned char* in, unsigned& value)
{
    value = 0;
    for (int shift = 0;; shift += 7) {
        const unsigned byte = *in++;
        value |= (byte & 0x7F) << shift;
        if (byte < 0x80)
            return in;
    }
}

// Length of a field without its trailing zero bytes, eight bytes a step
// while they are all zero (most of a typical field is padding).
std::size_t UsedLength(const char* field, std::size_t size)
{
    while (size >= 8) {
        std::uint64_t word;
        std::memcpy(&word, field + size - 8, sizeof word);
        if (word != 0)
            break;
        size -= 8;
    }
    while (size > 0 && field[size - 1] == 0)
        --size;
    return size;
}

} // namespace

std::size_t PackEntry(const TimelineEntry& entry, unsigned char* out)
{
    const char* const bytes = reinterpret_cast<const char*>(&entry);
    unsigned char* at = out;
    for (const Field& field : fields) {
        const std::size_t length = UsedLength(bytes + field.offset, field.size);
        at = PutNumber(at, static_cast<unsigned>(length));
        std::memcpy(at, bytes + field.offset, length);
        at += length;
    }
    WORD words[timeWords];
    std::memcpy(words, &entry.createdAt, sizeof words);
    for (WORD word : words)
        at = PutNumber(at, word);
    return static_cast<std::size_t>(at - out);
}

void UnpackEntry(const unsigned char* packed, const FILETIME& createdAtFileTime, TimelineEntry& entry)
{
    char* const bytes = reinterpret_cast<char*>(&entry);
    std::memset(bytes, 0, sizeof entry);
    const unsigned char* at = packed;
    for (const Field& field : fields) {
        unsigned length;
        at = GetNumber(at, length);
        std::memcpy(bytes + field.offset, at, length);
        at += length;
    }
    WORD words[timeWords];
    for (WORD& word : words) {
        unsigned value;
        at = GetNumber(at, value);
        word = static_cast<WORD>(value);
    }
    std::memcpy(&entry.createdAt, words, sizeof words);
    entry.createdAtFileTime = createdAtFileTime;
}

const char* PackedStatusId(const unsigned char* packed, std::size_t& length)
{
    const char* const id = reinterpret_cast<const char*>(packed + 1);
    length = strnlen(id, packed[0]);
    return id;
}
