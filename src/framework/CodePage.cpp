#include "CodePage.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
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

#ifdef _WIN32
bool AppendUtf8(const char* text, int length, std::string& utf8)
{
    if (length <= 0)
        return length == 0;
    const int wideCount = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
    if (wideCount <= 0)
        return false;
    std::wstring wide(static_cast<size_t>(wideCount), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, length, &wide[0], wideCount) != wideCount)
        return false;
    const int count = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, nullptr, 0, nullptr, nullptr);
    if (count <= 0)
        return false;
    const size_t start = utf8.size();
    utf8.resize(start + static_cast<size_t>(count));
    if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, &utf8[start], count, nullptr, nullptr) != count) {
        utf8.resize(start);
        return false;
    }
    return true;
}
#else
// The native build has no system code page: it converts from code page 932,
// as the target system has it.
bool AppendUtf8(const char* text, int length, std::string& utf8)
{
    if (length <= 0)
        return length == 0;
    iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    // Every character of code page 932 takes at most three bytes in UTF-8.
    std::string converted(static_cast<size_t>(length) * 3, '\0');
    char* in = const_cast<char*>(text);
    size_t inLeft = static_cast<size_t>(length);
    char* out = &converted[0];
    size_t outLeft = converted.size();
    const bool whole = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
    iconv_close(converter);
    if (!whole)
        return false;
    utf8.append(converted.data(), converted.size() - outLeft);
    return true;
}
#endif
