#include "CodePage.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

struct LeadByteTable {
    bool lead[256];
    LeadByteTable()
    {
        for (int b = 0; b < 256; ++b) {
#ifdef _WIN32
            lead[b] = IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE;
#else
            lead[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
#endif
        }
    }
};

const LeadByteTable& Table()
{
    static const LeadByteTable table;
    return table;
}

// True when `index` starts a character. `boundary` is a known character start
// at or before `index`; on return it holds the character start nearest at or
// after `index`, so a later call for a larger index scans on from there.
bool IsCharacterStart(const char* text, int length, int& boundary, int index)
{
    if (!IsTrailByte(static_cast<unsigned char>(text[index]))) {
        boundary = index;
        return true;
    }
    // A byte below 0x40 is neither lead nor trail, so the byte after it starts
    // a character: resume the walk there when it is closer than `boundary`.
    int walk = boundary;
    for (int back = index - 1; back >= boundary; --back) {
        if (static_cast<unsigned char>(text[back]) < 0x40) {
            walk = back + 1;
            break;
        }
    }
    while (walk < index)
        walk += CharacterSize(text, length, walk);
    boundary = walk;
    return walk == index;
}

} // namespace

bool IsLeadByte(unsigned char byte)
{
    return Table().lead[byte];
}

bool IsTrailByte(unsigned char byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

int CharacterSize(const char* text, int length, int index)
{
    if (index + 1 < length && IsLeadByte(static_cast<unsigned char>(text[index]))
        && IsTrailByte(static_cast<unsigned char>(text[index + 1])))
        return 2;
    return 1;
}

int FindCharacterAligned(const char* text, int length, int start, const char* sub, int subLength)
{
    if (start < 0 || start > length || subLength < 0)
        return -1;
    if (subLength == 0)
        return start;
    const int last = length - subLength;
    int boundary = start;
    int pos = start;
    while (pos <= last) {
        const void* hit = std::memchr(text + pos, static_cast<unsigned char>(sub[0]), static_cast<size_t>(last - pos + 1));
        if (hit == nullptr)
            return -1;
        const int candidate = static_cast<int>(static_cast<const char*>(hit) - text);
        if (std::memcmp(text + candidate, sub, static_cast<size_t>(subLength)) == 0
            && IsCharacterStart(text, length, boundary, candidate))
            return candidate;
        pos = candidate + 1;
    }
    return -1;
}
