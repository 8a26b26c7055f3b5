#include "FindFuzz.h"

#include "CString.h"
#include "CodePage.h"
#include "MuteList.h"
#include "SearchText.h"
#include "TextFunctions.h"
#include "TimelineSnapshot.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The first match of pattern in text by the rule, found the slow way: every
// character start tried, each character compared with ASCII letters folded.
int PlainFind(const std::string& text, const std::string& pattern)
{
    const auto fold = [](const std::string& bytes, size_t at) {
        const int size = CharacterSize(bytes.data(), static_cast<int>(bytes.size()), static_cast<int>(at));
        const char c = bytes[at];
        return std::string(1, size == 1 && c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c)
               + bytes.substr(at + 1, static_cast<size_t>(size - 1));
    };
    std::string foldedPattern;
    for (size_t at = 0; at < pattern.size(); at += fold(pattern, at).size())
        foldedPattern += fold(pattern, at);
    for (size_t start = 0; start < text.size(); start += fold(text, start).size()) {
        std::string run;
        size_t at = start;
        while (run.size() < foldedPattern.size() && at < text.size()) {
            run += fold(text, at);
            at += fold(text, at).size();
        }
        if (run == foldedPattern)
            return static_cast<int>(start);
    }
    return -1;
}

} // namespace

void CheckFind(const std::string& input)
{
    // Layout: pattern, text, display name, screen name, NUL-separated.
    const char* parts[4] = {"", "", "", ""};
    for (size_t at = 0, part = 0; at < input.size() && part < 4; at += std::strlen(parts[part++]) + 1)
        parts[part] = input.c_str() + at;
    TimelineEntry entry = {};
    std::strncpy(entry.text, parts[1], sizeof entry.text - 1);
    std::strncpy(entry.displayName, parts[2], sizeof entry.displayName - 1);
    std::strncpy(entry.screenName, parts[3], sizeof entry.screenName - 1);
    TimelineStore store;
    TimelineStore::Batch(store).Add(entry);

    SearchPattern pattern;
    const bool usable = MakeSearchPattern(parts[0], pattern);
    if (pattern.length > maxSearchLength || usable != (pattern.length > 0))
        std::abort();
    // The wide scan and the plain one agree on the whole input's bytes.
    const PatternScan wide = WidePatternScan();
    const char* const end = input.data() + input.size();
    if (wide != nullptr && wide(input.data(), end, pattern) != ScanForPatternPlain(input.data(), end, pattern))
        std::abort();
    char shown[strippedTextSize];
    StripTags(entry.text, shown);
    CString displayName(entry.displayName);
    DecodeEntities(displayName);
    const std::string fields[] = {shown, displayName.GetString(), entry.screenName};
    int field = 0;
    int offset = -1;
    for (; usable && field < 3 && offset < 0; ++field)
        offset = PlainFind(fields[field], std::string(parts[0], static_cast<size_t>(pattern.length)));

    const TimelineSnapshot view = store.Snapshot();
    const TimelineSnapshot::FindResult result = view.Find(pattern, -1, false);
    const bool same = offset < 0 ? result.position == -1 && result.total == 0
                                 : result.position == 0 && result.total == 1 && result.field == field - 1
                                       && result.offset == offset;
    if (!same)
        std::abort();

    // The pattern's text as a mute list: the status's decision and the view's
    // scan agree; a list of that one word mutes where the find finds it, a
    // list of one author where the screen name is the name, whole.
    const MuteList list(parts[0]);
    const bool muted = view.IsMuted(0, list);
    if (muted != view.MutedBy(list).Holds(view.ArrivalOf(0)))
        std::abort();
    if (list.GetCount() == 1 && std::strcmp(list.GetEntry(0), parts[0]) == 0) {
        const std::string name = parts[0] + 1;
        const bool expected = list.Words().empty()
                                  ? name.size() == fields[2].size() && PlainFind(fields[2], name) == 0
                                  : offset >= 0;
        if (muted != expected)
            std::abort();
    }
}
