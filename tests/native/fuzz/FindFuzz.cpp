#include "FindFuzz.h"

#include "CString.h"
#include "CodePage.h"
#include "FindText.h"
#include "TextFunctions.h"
#include "TimelineSnapshot.h"
#include "TimelineStore.h"
#include "ViewFormat.h"

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

std::string Part(const std::string& input, size_t& at)
{
    if (at >= input.size())
        return "";
    const std::string part = input.c_str() + at;
    at += part.size() + 1;
    return part;
}

// The character starts of text, and its folded form: an ASCII capital that
// is a character of its own made small.
std::vector<bool> Starts(const std::string& text, std::string& folded)
{
    std::vector<bool> starts(text.size() + 1, false);
    folded = text;
    const int length = static_cast<int>(text.size());
    for (int index = 0; index < length; index += CharacterSize(text.data(), length, index)) {
        starts[static_cast<size_t>(index)] = true;
        if (CharacterSize(text.data(), length, index) == 1 && text[index] >= 'A' && text[index] <= 'Z')
            folded[static_cast<size_t>(index)] = static_cast<char>(text[index] + 32);
    }
    starts[text.size()] = true;
    return starts;
}

int PlainFind(const std::string& text, const std::string& pattern)
{
    std::string foldedText;
    std::string foldedPattern;
    const std::vector<bool> starts = Starts(text, foldedText);
    Starts(pattern, foldedPattern);
    if (pattern.empty() || pattern.size() > text.size())
        return -1;
    for (size_t at = 0; at + pattern.size() <= text.size(); ++at) {
        if (starts[at] && starts[at + pattern.size()] && foldedText.compare(at, pattern.size(), foldedPattern) == 0)
            return static_cast<int>(at);
    }
    return -1;
}

} // namespace

void CheckFind(const std::string& input)
{
    // Layout: pattern, text, display name, screen name, NUL-separated.
    size_t at = 0;
    const std::string patternText = Part(input, at);
    TimelineEntry entry = {};
    std::strncpy(entry.text, Part(input, at).c_str(), sizeof entry.text - 1);
    std::strncpy(entry.displayName, Part(input, at).c_str(), sizeof entry.displayName - 1);
    std::strncpy(entry.screenName, Part(input, at).c_str(), sizeof entry.screenName - 1);
    std::strncpy(entry.statusId, "1", sizeof entry.statusId - 1);
    TimelineStore store;
    {
        TimelineStore::Batch batch(store);
        Require(batch.Add(entry));
    }
    SearchPattern pattern;
    const bool usable = MakeSearchPattern(patternText.c_str(), pattern);
    Require(pattern.length <= maxSearchLength && usable == (pattern.length > 0));
    const std::string cut(patternText.c_str(), static_cast<size_t>(pattern.length));

    char shown[strippedTextSize];
    StripTags(entry.text, shown);
    CString displayName(entry.displayName);
    DecodeEntities(displayName);
    const std::string fields[] = {shown, displayName.GetString(), entry.screenName};
    int expectedField = -1;
    int expectedOffset = -1;
    for (int field = 0; field < 3 && expectedField < 0 && usable; ++field) {
        expectedOffset = PlainFind(fields[field], cut);
        if (expectedOffset >= 0)
            expectedField = field;
    }

    const TimelineSnapshot::FindResult result = store.Snapshot().Find(pattern, -1, false);
    if (expectedField < 0) {
        Require(result.position == -1 && result.total == 0);
        return;
    }
    Require(result.position == 0 && result.ordinal == 1 && result.total == 1);
    Require(result.field == expectedField && result.offset == expectedOffset);
    const std::string paneText = std::string(shown) + "\r\n";
    const int first = RichEditPosition(paneText.c_str(), result.offset);
    const int last = RichEditPosition(paneText.c_str(), result.offset + pattern.length);
    Require(0 <= first && first <= last && last <= CountCharacters(paneText.c_str()));
}
