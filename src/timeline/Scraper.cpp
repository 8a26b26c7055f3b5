#include "Scraper.h"

#include "TextFunctions.h"
#include "TimelineStore.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

// Copies value into a field of `size` bytes, cut to size - 1 bytes (possibly
// inside a double-byte character) and always NUL-terminated.
template <size_t size>
void CopyField(char (&field)[size], const CString& value)
{
    size_t length = static_cast<size_t>(value.GetLength());
    if (length > size - 1)
        length = size - 1;
    std::memcpy(field, value.GetString(), length);
    field[length] = 0;
}

// Fills entry from one status block; every missing field becomes empty.
void ReadStatusBlock(const CString& block, const CString& authorMarker, TimelineEntry& entry)
{
    const CString nameBlock = ExtractBetween(block, "<strong>", "</strong>");
    CopyField(entry.screenName, ExtractBetween(nameBlock, authorMarker, "\""));
    CopyField(entry.displayName, ExtractBetween(block, "<img alt=\"", "\""));
    CopyField(entry.iconUrl, ExtractBetween(block, "src=\"", "\""));
    CString text = ExtractBetween(block, "<span class=\"entry-content\">", "</span>");
    DecodeEntities(text);
    CopyField(entry.text, text);
    const CString createdAt = ExtractBetween(block, "data=\"{time:'", "'}\">");
    CopyField(entry.createdAtText, createdAt);
    CopyField(entry.statusId, ExtractBetween(block, "status/", "\">"));

    // The whole time text is parsed, not the cut copy; a text that does not
    // parse ends as an invalid date, which SetLocalCreationTime defines.
    SYSTEMTIME utc;
    ParseCreatedAt(createdAt, utc);
    SetLocalCreationTime(utc, entry);
}

} // namespace

CString ExtractBetween(const CString& source, const char* start, const char* end, int& cursor)
{
    const int length = source.GetLength();
    if (cursor < 0 || cursor > length) {
        cursor = -1;
        return CString();
    }
    const int found = source.Find(start, cursor);
    if (found < 0) {
        cursor = -1;
        return CString();
    }
    const int contentStart = found + static_cast<int>(std::strlen(start));
    const int endAt = source.Find(end, contentStart);
    if (endAt < 0) {
        cursor = -1;
        return CString();
    }
    cursor = endAt;
    return source.Mid(contentStart, endAt - contentStart);
}

CString ExtractBetween(const CString& source, const char* start, const char* end)
{
    int cursor = 0;
    return ExtractBetween(source, start, end, cursor);
}

void ScrapePage(const CString& page, const char* webBase, TimelineStore& store, std::vector<std::string>* pictures)
{
    // The screen name is the rest of an anchor that begins with the web base
    // address; an anchor to any other scheme or host gives none.
    const CString authorMarker = CString("<a href=\"") + webBase;

    // Statuses first, pictures after: the page is published to readers
    // before any picture is downloaded, so a slow picture host never holds
    // back the timeline.
    TimelineStore::Batch batch(store);
    TimelineEntry entry;
    int cursor = 0;
    for (;;) {
        const CString block = ExtractBetween(page, "<li class=\"hentry ", "<li>", cursor);
        if (cursor < 0)
            break;
        std::memset(&entry, 0, sizeof entry);
        ReadStatusBlock(block, authorMarker, entry);
        batch.Add(entry);
        if (pictures != nullptr) {
            try {
                pictures->emplace_back(entry.iconUrl, strnlen(entry.iconUrl, sizeof entry.iconUrl));
            } catch (const std::bad_alloc&) {
                // The statuses matter more than their pictures; this one is
                // asked for again with the next page that shows it.
            }
        }
    }
    batch.Commit();
}
