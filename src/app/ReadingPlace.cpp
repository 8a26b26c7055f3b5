#include "ReadingPlace.h"

#include "LinkText.h"
#include "Settings.h"
#include "TextFunctions.h"
#include "ShownTimeline.h"

#include <cstring>

namespace {

const char lastReadKey[] = "LAST_READ";
const ULONGLONG markWriteGapMs = 60 * 1000;

// The id of a status, terminated even when it fills its field.
void CopyId(const TimelineEntry& entry, char (&id)[16])
{
    std::memcpy(id, entry.statusId, sizeof id - 1);
    id[sizeof id - 1] = 0;
}

} // namespace

bool IsStatusId(const char* text)
{
    const size_t length = std::strlen(text);
    if (length == 0 || length > 15)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

bool IsNewerId(const char* a, const char* b)
{
    if (b[0] == 0 || !IsStatusId(a))
        return false;
    while (*a == '0' && a[1] != 0)
        ++a;
    while (*b == '0' && b[1] != 0)
        ++b;
    const size_t lengthA = std::strlen(a);
    const size_t lengthB = std::strlen(b);
    return lengthA != lengthB ? lengthA > lengthB : std::strcmp(a, b) > 0;
}

ReadingPlace::ReadingPlace(const ShownTimeline& shown) : shown(shown) {}

void ReadingPlace::SetAccount(const char* user)
{
    ::lstrcpynA(account, user, sizeof account);
}

void ReadingPlace::StartOver()
{
    marks.StartOver(0);
}

bool ReadingPlace::Arrived(const TimelineSnapshot& before)
{
    const TimelineSnapshot& now = shown.View();
    // A view that starts over begins past every arrival before it.
    if (now.ArrivalBegin() > before.ArrivalBegin() || before.GetCount() == 0)
        marks.StartOver(now.ArrivalBegin());
    // The first statuses of a run (or of an account) are read but for those
    // newer than the read mark.
    const bool first = before.GetCount() == 0;
    const int from = before.ArrivalEnd() > now.ArrivalBegin() ? before.ArrivalEnd() : now.ArrivalBegin();
    marks.Extend(now.ArrivalEnd());
    bool mention = false;
    TimelineEntry entry;
    for (int arrival = from; arrival < now.ArrivalEnd(); ++arrival) {
        if (shown.Muted().Holds(arrival) || !now.GetEntry(now.PositionOfArrival(arrival), entry))
            continue;
        char id[16];
        CopyId(entry, id);
        if (first && !IsNewerId(id, lastRead))
            continue;
        marks.MarkUnread(arrival);
        mention = mention || MentionsAccount(entry);
    }
    return mention;
}

bool ReadingPlace::Read(int row)
{
    TimelineEntry entry;
    if (!shown.GetEntry(row, entry))
        return false;
    char id[16];
    CopyId(entry, id);
    if (IsNewerId(id, lastRead) || (lastRead[0] == 0 && IsStatusId(id))) {
        std::memcpy(lastRead, id, sizeof lastRead);
        markChanged = true;
    }
    return marks.MarkRead(shown.ArrivalOf(row));
}

bool ReadingPlace::IsUnread(int row) const
{
    return marks.IsUnread(shown.ArrivalOf(row));
}

bool ReadingPlace::MentionsAccount(const TimelineEntry& entry) const
{
    char text[strippedTextSize];
    StripTags(entry.text, text);
    return MentionsName(text, account);
}

int ReadingPlace::OldestUnreadRow() const
{
    int oldest = -1;
    marks.ForEachUnread([&](int arrival) {
        const int row = shown.RowOfArrival(arrival);
        if (row > oldest)
            oldest = row;
    });
    return oldest;
}

int ReadingPlace::UnreadCount() const
{
    const MutedArrivals& muted = shown.Muted();
    if (muted.Count() == 0)
        return marks.Count();
    int count = 0;
    marks.ForEachUnread([&](int arrival) { count += muted.Holds(arrival) ? 0 : 1; });
    return count;
}

void ReadingPlace::LoadMark(const char* iniPath)
{
    char value[settingSize] = "";
    ReadSetting(iniPath, reloadSection, lastReadKey, "", value, sizeof value);
    if (IsStatusId(value))
        ::lstrcpynA(lastRead, value, sizeof lastRead);
    markChanged = false;
}

void ReadingPlace::SaveMark(const char* iniPath, bool now)
{
    const ULONGLONG tick = ::GetTickCount64();
    if (!markChanged || (!now && markWritten != 0 && tick - markWritten < markWriteGapMs))
        return;
    if (WriteSetting(iniPath, reloadSection, lastReadKey, lastRead)) {
        markChanged = false;
        markWritten = tick;
    }
}
