#ifndef LARKSPUR_TIMELINE_SEARCHTEXT_H
#define LARKSPUR_TIMELINE_SEARCHTEXT_H

#include <cstddef>

// The matching rule of the timeline find, over code-page byte strings:
// ASCII letters match either case, every other character only itself (a
// full-width letter is not its half-width form), and a match starts and ends
// between two characters, so no match begins or ends on a trail byte. Both
// the text and the pattern are compared in their folded form, in which every
// ASCII capital that is a character of its own (never a trail byte) is made
// small; folding keeps every byte offset.

// The longest pattern: the find box's text, cut between characters.
const int maxSearchLength = 255;

// What to look for, folded. An empty pattern matches nothing.
struct SearchPattern {
    char bytes[maxSearchLength + 1] = "";
    int length = 0;
};

// The pattern for text (NUL-terminated), cut to maxSearchLength bytes
// between characters. False when nothing is left to look for.
bool MakeSearchPattern(const char* text, SearchPattern& pattern);

// Writes the folded form of text (length bytes) to out (length bytes).
void FoldSearchText(const char* text, int length, char* out);

// The first place at or after begin where the pattern's bytes stand, in
// [begin, end), wherever they start; null when there is none. Used to find
// candidates quickly; StartsCharacter then decides. Compares sixteen places
// at once where the processor has SSE2, one at a time elsewhere; both ways
// give the same answers.
const char* ScanForPattern(const char* begin, const char* end, const SearchPattern& pattern);

// The two ways ScanForPattern looks, for the tests that hold them to each
// other: the plain one, and the wide one, null where the build or the
// processor has no SSE2.
typedef const char* (*PatternScan)(const char* begin, const char* end, const SearchPattern& pattern);
const char* ScanForPatternPlain(const char* begin, const char* end, const SearchPattern& pattern);
PatternScan WidePatternScan();

// True when at starts a character of the text that starts at textStart and
// ends at end (at may equal end). Looks back only over the run of possible
// lead bytes before at, so a separator byte (NUL, any byte below 0x40) in
// front of at bounds the work.
bool StartsCharacter(const char* textStart, const char* at, const char* end);

// Offset of the first match of pattern in folded text (length bytes), or -1.
int FindInFoldedText(const char* folded, int length, const SearchPattern& pattern);

#endif
