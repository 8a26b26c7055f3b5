// libFuzzer target over the scraper, the text functions, the views' text
// logic (ViewTextFuzz.cpp) and the timeline find (FindFuzz.cpp). Besides the
// sanitizers' own checks it aborts when a result breaks what the callers rely
// on: cursor rules, field widths, store order and uniqueness, link ranges,
// address and buffer bounds, the find's matches and muting's decisions.

#include "CString.h"
#include "FindFuzz.h"
#include "Scraper.h"
#include "TextFunctions.h"
#include "TimelineStore.h"
#include "ViewTextFuzz.h"
#include "WebAddress.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckExtractBetween(const std::string& input)
{
    // Layout: start marker, NUL, end marker, NUL, cursor byte, source.
    const size_t startEnd = input.find('\0');
    if (startEnd == std::string::npos)
        return;
    const size_t endEnd = input.find('\0', startEnd + 1);
    if (endEnd == std::string::npos || endEnd + 1 >= input.size())
        return;
    const std::string start = input.substr(0, startEnd);
    const std::string end = input.substr(startEnd + 1, endEnd - startEnd - 1);
    const CString source(input.data() + endEnd + 2, static_cast<int>(input.size() - endEnd - 2));
    int cursor = static_cast<signed char>(input[endEnd + 1]);
    const int from = cursor;
    const CString result = ExtractBetween(source, start.c_str(), end.c_str(), cursor);
    if (cursor == -1) {
        Require(result.IsEmpty());
        return;
    }
    // Found: the cursor sits on the end marker, right after the content,
    // which follows the start marker found at or after `from`.
    Require(from >= 0 && cursor <= source.GetLength());
    Require(std::memcmp(source.GetString() + cursor, end.data(), end.size()) == 0);
    const int contentStart = cursor - result.GetLength();
    Require(contentStart - static_cast<int>(start.size()) >= from);
    Require(std::memcmp(source.GetString() + contentStart, result.GetString(), static_cast<size_t>(result.GetLength())) == 0);
    Require(std::memcmp(source.GetString() + contentStart - start.size(), start.data(), start.size()) == 0);
}

void CheckTextFunctions(const std::string& text)
{
    SYSTEMTIME time;
    const int result = ParseCreatedAt(text.c_str(), time);
    Require(result == 0 || result == -1);
    if (result == -1)
        Require(time.wYear == 0);
    TimelineEntry entry;
    std::memset(&entry, 0xA5, sizeof entry);
    if (!SetLocalCreationTime(time, entry))
        Require(SortKey(entry.createdAtFileTime) == 0);

    CString decoded(text.data(), static_cast<int>(text.size()));
    DecodeEntities(decoded);
    Require(decoded.GetLength() <= static_cast<int>(text.size()));

    char stripped[strippedTextSize];
    StripTags(text.c_str(), stripped);
    Require(std::strlen(stripped) < static_cast<size_t>(strippedTextSize));
}

// A time that converts must hold the very numbers of its text: fields split
// at spaces as the parser does (a byte from index 32 on empties its field),
// each number read again in 64 bits. A number that wrapped when narrowed to a
// 16-bit field fails here.
void CheckTimeFields(const std::string& input)
{
    const char* const text = input.c_str();
    SYSTEMTIME time;
    TimelineEntry entry;
    if (ParseCreatedAt(text, time) != 0 || !SetLocalCreationTime(time, entry))
        return;
    std::vector<std::string> fields(1);
    for (size_t i = 0; text[i] != 0; ++i) {
        if (text[i] == ' ')
            fields.emplace_back();
        else if (i < 32)
            fields.back() += text[i];
        else
            fields.back().clear();
    }
    Require(fields.size() == 6);
    const auto number = [](const std::string& field, size_t first) {
        return field.size() > first ? std::strtoll(field.c_str() + first, nullptr, 10) : 0LL;
    };
    const long long year = number(fields[5], 0);
    Require(time.wDay == number(fields[2], 0));
    Require(time.wHour == number(fields[3], 0));
    Require(time.wMinute == number(fields[3], 3));
    Require(time.wSecond == number(fields[3], 6));
    Require(time.wYear == (year < 1990 ? year + 2000 : year));
}

void CheckScrape(const std::string& page)
{
    TimelineStore store;
    const CString text(page.data(), static_cast<int>(page.size()));
    // Twice: the second scrape offers only known ids.
    ScrapePage(text, WebBaseAddress(), store);
    const int count = store.GetCount();
    ScrapePage(text, WebBaseAddress(), store);
    Require(store.GetCount() == count);
    TimelineEntry previous = {};
    for (int i = 0; i < count; ++i) {
        TimelineEntry entry;
        Require(store.GetEntry(i, entry));
        Require(std::strlen(entry.statusId) < sizeof entry.statusId);
        Require(std::strlen(entry.text) < sizeof entry.text);
        Require(std::strlen(entry.screenName) < sizeof entry.screenName);
        Require(store.IndexOf(entry.statusId) == i);
        if (i > 0)
            Require(!NewerFirst(entry, previous));
        previous = entry;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckScrape(input);
    CheckTextFunctions(input);
    CheckTimeFields(input);
    CheckExtractBetween(input);
    CheckViewText(input);
    CheckFind(input);
    return 0;
}
