#include "ViewFormat.h"

#include "CodePage.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Length of text, but at most limit: the bytes a bounded copy can look at.
int BoundedLength(const char* text, int limit)
{
    int length = 0;
    while (length < limit && text[length] != 0)
        ++length;
    return length;
}

int CharactersIn(const char* text, int length)
{
    int count = 0;
    for (int index = 0; index < length; index += CharacterSize(text, length, index))
        ++count;
    return count;
}

} // namespace

int FittingLength(const char* text, int length, int limit)
{
    int index = 0;
    while (index < length) {
        const int next = index + CharacterSize(text, length, index);
        if (next > limit)
            break;
        index = next;
    }
    return index;
}

bool CopyBounded(char* out, int size, const char* text)
{
    if (size <= 0)
        return false;
    // One byte beyond what fits tells whether the last byte that fits is
    // the lead byte of a pair that does not.
    const int length = BoundedLength(text, size);
    int copied = 0;
    int lastSize = 0;
    while (copied < length) {
        const int characterSize = CharacterSize(text, length, copied);
        if (copied + characterSize > size - 1)
            break;
        copied += characterSize;
        lastSize = characterSize;
    }
    if (lastSize == 1 && IsLeadByte(static_cast<unsigned char>(text[copied - 1])))
        --copied;
    std::memcpy(out, text, static_cast<size_t>(copied));
    out[copied] = 0;
    return copied == length;
}

bool FormatRetweet(const char* screenName, const char* strippedText, char* out, int size)
{
    return CopyBounded(out, size, (std::string("RT ") + screenName + ": " + strippedText).c_str());
}

bool FormatDirectMessage(const char* screenName, char* out, int size)
{
    return CopyBounded(out, size, (std::string("D ") + screenName + " ").c_str());
}

bool FormatNameLine(const char* displayName, const char* screenName, char* out, int size)
{
    return CopyBounded(out, size, (std::string(displayName) + " / " + screenName).c_str());
}

bool FormatListName(const char* displayName, const char* screenName, char* out, int size)
{
    if (std::strcmp(displayName, screenName) == 0)
        return CopyBounded(out, size, screenName);
    return CopyBounded(out, size, (std::string(displayName) + "\n" + screenName).c_str());
}

bool FormatTimeLabel(int year, int month, int day, int hour, int minute, int second, char* out, int size)
{
    // Six ints of at most 11 characters each and five separators.
    char label[80];
    std::snprintf(label, sizeof label, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return CopyBounded(out, size, label);
}

int CountCharacters(const char* text)
{
    return CharactersIn(text, static_cast<int>(std::strlen(text)));
}

int CharactersLeft(const char* text)
{
    return 140 - CharactersIn(text, BoundedLength(text, 511));
}

bool IsDirectMessageText(const char* text)
{
    return (text[0] == 'D' || text[0] == 'd') && text[1] == ' ';
}
