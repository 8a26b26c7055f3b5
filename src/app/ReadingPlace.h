#ifndef LARKSPUR_APP_READINGPLACE_H
#define LARKSPUR_APP_READINGPLACE_H

#include "TimelineView.h"
#include "UnreadMarks.h"

#include <windows.h>

class ShownTimeline;
class TimelineSnapshot;
struct TimelineEntry;

// Where the user is in the timeline: which statuses are unread, the newest
// status read (the read mark, kept in the settings file as [TWITTER]
// LAST_READ), and which statuses mention the signed-in account.
//
// A status that arrives after the first fetch of a run is unread, and so is,
// in the first fetch, one newer than the read mark of the run before. It is
// read once the user has selected it.
class ReadingPlace : public RowMarks {
public:
    // The rows are those of shown, which the frame changes at each refresh.
    explicit ReadingPlace(const ShownTimeline& shown);

    // The signed-in account's name, for its mentions.
    void SetAccount(const char* user);
    // A new account: no status is unread, none has arrived.
    void StartOver();

    // The statuses of the view shown now that were not in before (the view
    // shown until now) have arrived; muted ones pass unread-less. True when
    // one of them, unread, mentions the account.
    bool Arrived(const TimelineSnapshot& before);
    // The user selected row: its status is read. True when it was unread.
    bool Read(int row);
    // Unread statuses the list shows.
    int UnreadCount() const;

    bool IsUnread(int row) const override;
    bool MentionsAccount(const TimelineEntry& entry) const override;
    int OldestUnreadRow() const override;

    // The read mark from the settings file; a value that is no status id
    // is ignored.
    void LoadMark(const char* iniPath);
    // Writes the read mark when it changed since it was last written: at
    // most once a minute, unless now is asked (the program ends).
    void SaveMark(const char* iniPath, bool now);
    const char* Mark() const { return lastRead; }

private:
    const ShownTimeline& shown;
    UnreadMarks marks;
    char account[256] = "";
    char lastRead[16] = "";
    bool markChanged = false;
    ULONGLONG markWritten = 0;
};

// True when text is a status id: 1 to 15 decimal digits.
bool IsStatusId(const char* text);
// True when status id a is newer (a larger number) than b; nothing is newer
// than an empty b.
bool IsNewerId(const char* a, const char* b);

#endif
