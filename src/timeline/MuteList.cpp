#include "MuteList.h"

#include "CodePage.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// Bytes of the space at text[at] (ASCII space, tab, or the full-width space
// of code page 932), 0 when the character there is none.
int SpaceAt(const char* text, int length, int at)
{
    if (text[at] == ' ' || text[at] == '\t')
        return 1;
    return CharacterSize(text, length, at) == 2 && text[at] == '\x81' && text[at + 1] == '\x40' ? 2 : 0;
}

// The entry a line holds, [start, end) of it: the spaces around it trimmed,
// cut to maxSearchLength bytes between characters.
void TrimLine(const char* line, int length, int& start, int& end)
{
    start = 0;
    for (int size; start < length && (size = SpaceAt(line, length, start)) > 0;)
        start += size;
    end = start;
    for (int at = start; at < length;) {
        const int size = CharacterSize(line, length, at);
        if (at + size - start > maxSearchLength)
            break;
        if (SpaceAt(line, length, at) == 0)
            end = at + size;
        at += size;
    }
}

bool IsNameByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsAuthorEntry(const std::string& entry)
{
    return entry.size() > 1 && entry[0] == '@' && std::all_of(entry.begin() + 1, entry.end(), IsNameByte);
}

} // namespace

MuteList::MuteList(const char* text)
{
    Add(text);
}

void MuteList::Add(const char* text)
{
    if (text == nullptr)
        return;
    const int length = static_cast<int>(std::strlen(text));
    // CR and LF are never trail bytes, so a line break is never inside a
    // character.
    for (int lineStart = 0; lineStart <= length && entries.size() < static_cast<std::size_t>(maxMuteEntries);) {
        int lineEnd = lineStart;
        while (lineEnd < length && text[lineEnd] != '\r' && text[lineEnd] != '\n')
            ++lineEnd;
        const char* const line = text + lineStart;
        lineStart = lineEnd + (text[lineEnd] == '\r' && text[lineEnd + 1] == '\n' ? 2 : 1);

        int start;
        int end;
        TrimLine(line, lineEnd - static_cast<int>(line - text), start, end);
        if (start == end)
            continue;
        std::string entry(line + start, static_cast<std::size_t>(end - start));
        std::string key(entry.size(), '\0');
        FoldSearchText(entry.data(), static_cast<int>(entry.size()), &key[0]);
        if (std::find(folded.begin(), folded.end(), key) != folded.end())
            continue;
        if (IsAuthorEntry(entry)) {
            std::string name = key.substr(1);
            authors.insert(std::lower_bound(authors.begin(), authors.end(), name), name);
        } else {
            SearchPattern pattern;
            MakeSearchPattern(entry.c_str(), pattern);
            words.push_back(pattern);
        }
        entries.push_back(std::move(entry));
        folded.push_back(std::move(key));
    }
}

const char* MuteList::GetEntry(int index) const
{
    return index >= 0 && index < GetCount() ? entries[static_cast<std::size_t>(index)].c_str() : nullptr;
}

std::string MuteList::GetText() const
{
    std::string text;
    for (const std::string& entry : entries) {
        if (!text.empty())
            text += "\r\n";
        text += entry;
    }
    return text;
}

bool MuteList::IsAuthor(const char* foldedName, int length) const
{
    return std::binary_search(authors.begin(), authors.end(),
                              std::string_view(foldedName, static_cast<std::size_t>(length)));
}

void MutedArrivals::StartAt(int arrival)
{
    begin = arrival;
    bits.clear();
    count = 0;
}

void MutedArrivals::Extend(int end)
{
    if (end > End())
        bits.resize(static_cast<std::size_t>(end - begin));
}

void MutedArrivals::Mute(int arrival)
{
    std::vector<bool>::reference bit = bits[static_cast<std::size_t>(arrival - begin)];
    if (!bit) {
        bit = true;
        ++count;
    }
}
