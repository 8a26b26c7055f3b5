#ifndef LARKSPUR_TIMELINE_MUTELIST_H
#define LARKSPUR_TIMELINE_MUTELIST_H

#include "SearchText.h"

#include <cstdint>
#include <string>
#include <vector>

// The most entries a mute list keeps; lines past them are dropped.
const int maxMuteEntries = 200;

// What the user does not want to see: words and authors, one entry a line of
// the settings field. An entry that is '@' and a screen name (ASCII letters,
// digits, '_') is an author, whose statuses are muted; every other entry,
// a bare "@" included, is a word, muted wherever the find would find it in a
// status's shown text or names (SearchText.h). Authors are compared whole,
// ASCII letters in either case: "@bob" mutes "Bob" and not "bobby".
//
// Entries are kept as typed, trimmed, in the order they came, so the list
// can be saved and shown again; two entries the rule cannot tell apart
// ("Tea" and "tea") are one.
class MuteList {
public:
    MuteList() = default;
    // The settings field's text: lines end at CR, LF or CRLF.
    explicit MuteList(const char* text);

    // Takes each line of text after the entries already held: spaces (ASCII
    // and full-width) and tabs around it trimmed, cut to maxSearchLength
    // bytes between characters; an empty line, a repeated entry and every
    // line past maxMuteEntries are dropped. A stored word is one line.
    void Add(const char* text);

    int GetCount() const { return static_cast<int>(entries.size()); }
    bool IsEmpty() const { return entries.empty(); }
    // The entry at index as kept (NUL-terminated), in the order added; null
    // out of range.
    const char* GetEntry(int index) const;
    // The entries, one a line, joined by CRLF, as the field shows them.
    std::string GetText() const;

    bool operator==(const MuteList& other) const { return entries == other.entries; }
    bool operator!=(const MuteList& other) const { return !(*this == other); }

    // The word entries as patterns for the find's scan.
    const std::vector<SearchPattern>& Words() const { return words; }
    bool HasAuthors() const { return !authors.empty(); }
    // True when a screen name, folded (length bytes), is one of the authors.
    bool IsAuthor(const char* foldedName, int length) const;

private:
    std::vector<std::string> entries;
    std::vector<std::string> folded; // each entry folded, to drop repeats
    std::vector<SearchPattern> words;
    std::vector<std::string> authors; // folded names without '@', sorted
};

// The statuses a mute list hides in one view of the store: a bit for each
// arrival (TimelineSnapshot.h) from Begin up to End. Made and brought up to
// date by a TimelineSnapshot; a plain value, copied to the thread that uses
// it.
class MutedArrivals {
public:
    int Begin() const { return begin; }
    int End() const { return begin + static_cast<int>(bits.size()); }
    // True when arrival is muted; false for one outside [Begin, End), which
    // this set has not decided.
    bool Holds(int arrival) const
    {
        return arrival >= begin && arrival < End() && bits[static_cast<std::size_t>(arrival - begin)];
    }
    // How many arrivals of [Begin, End) are muted.
    int Count() const { return count; }

private:
    friend class TimelineSnapshot;

    // Forgets every decision and starts the set at arrival.
    void StartAt(int arrival);
    // Covers the arrivals up to end, the new ones unmuted.
    void Extend(int end);
    void Mute(int arrival);

    int begin = 0;
    std::vector<bool> bits;
    int count = 0;
};

#endif
