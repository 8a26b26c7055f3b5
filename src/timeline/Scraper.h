#ifndef LARKSPUR_TIMELINE_SCRAPER_H
#define LARKSPUR_TIMELINE_SCRAPER_H

#include "CString.h"

#include <string>
#include <vector>

class TimelineStore;

// The text between the first `start` marker found at or after cursor and the
// next `end` marker after it. Found: cursor is left at the index where `end`
// begins (not past it). Not found, or cursor negative or past the end of
// source: cursor becomes -1 and the result is empty. Both searches are
// code-page aware (a match never begins on a trail byte).
CString ExtractBetween(const CString& source, const char* start, const char* end, int& cursor);

// The same search from index 0, cursor discarded.
CString ExtractBetween(const CString& source, const char* start, const char* end);

// Cuts page into status blocks, fills one entry per block by its markers and
// offers it to store; known ids and ids repeated within the page are dropped.
// The page's entries are one batch: other scrapes wait for it, readers see it
// whole, and the store is left newest first even when nothing was added. A
// block's author is the rest of an anchor that begins with webBase (the
// site's base address). When pictures is given it receives each block's
// picture address in page order, for the caller to fetch once the page is
// published. A block counts only when some "<li>" follows its start marker.
void ScrapePage(const CString& page, const char* webBase, TimelineStore& store,
                std::vector<std::string>* pictures = nullptr);

#endif
