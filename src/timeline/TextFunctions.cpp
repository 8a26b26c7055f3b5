#include "TextFunctions.h"

#include <climits>
#include <cstring>

namespace {

const int tokenSize = 32;

const char* const monthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Case-insensitive equality of a token with a NUL-terminated ASCII name.
// Only ASCII letters fold: the month names are plain ASCII, and a
// double-byte character must not equal one of them.
bool EqualIgnoringCase(const char* token, int length, const char* name)
{
    if (static_cast<int>(std::strlen(name)) != length)
        return false;
    for (int i = 0; i < length; ++i) {
        if (LowerAscii(token[i]) != LowerAscii(name[i]))
            return false;
    }
    return true;
}

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Decimal value of token[first, length): optional leading white space and
// sign, then digits up to the first non-digit; no digits give 0. Saturates
// instead of overflowing.
int DecimalValue(const char* token, int length, int first)
{
    int i = first;
    while (i < length && IsWhiteSpace(token[i]))
        ++i;
    bool negative = false;
    if (i < length && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < length && token[i] >= '0' && token[i] <= '9'; ++i) {
        value = value * 10 + (token[i] - '0');
        if (value > INT_MAX)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    return static_cast<int>(value);
}

// Stored for a number that is negative or does not fit 16 bits: no field's
// range holds it, so the date is invalid (time 0), where narrowing would have
// wrapped it into a real one (day 65537 would read as day 1).
const WORD outOfRange = 0xFFFF;

WORD FieldValue(int value)
{
    return value >= 0 && value <= 0xFFFF ? static_cast<WORD>(value) : outOfRange;
}

// Applies the completed field `field` (counted from 1) to time.
void ApplyField(int field, const char* token, int length, SYSTEMTIME& time)
{
    switch (field) {
    case 2:
        for (int month = 0; month < 12; ++month) {
            if (EqualIgnoringCase(token, length, monthNames[month])) {
                time.wMonth = static_cast<WORD>(month + 1);
                break;
            }
        }
        break;
    case 3:
        time.wDay = FieldValue(DecimalValue(token, length, 0));
        break;
    case 4:
        time.wHour = FieldValue(DecimalValue(token, length, 0));
        time.wMinute = FieldValue(DecimalValue(token, length, 3));
        time.wSecond = FieldValue(DecimalValue(token, length, 6));
        break;
    default:
        break;
    }
}

} // namespace

void DecodeEntities(CString& text)
{
    text.Replace("&lt;", "<");
    text.Replace("&gt;", ">");
    text.Replace("&quot;", "\"");
    text.Replace("&amp;", "&");
}

void StripTags(const char* source, char* dest)
{
    char work[strippedTextSize] = {};
    int length = 0;
    bool skipping = false;
    for (const char* p = source; *p != 0 && length < strippedTextSize - 1; ++p) {
        if (*p == '<') {
            skipping = true;
        } else if (*p == '>' && skipping) {
            skipping = false;
        } else if (!skipping) {
            work[length++] = *p;
        }
    }
    std::memcpy(dest, work, static_cast<size_t>(length) + 1);
}

int ParseCreatedAt(const char* text, SYSTEMTIME& time)
{
    std::memset(&time, 0, sizeof time);
    char token[tokenSize];
    int tokenLength = 0;
    bool tokenFilled = false;
    int field = 1;
    for (int index = 0; text[index] != 0; ++index) {
        const char c = text[index];
        if (c == ' ') {
            ApplyField(field, token, tokenLength, time);
            ++field;
            tokenLength = 0;
            continue;
        }
        // From index 32 on a byte is emptied out of the token as soon as it
        // is appended, so it never reaches a field. Before that a token can
        // only grow to 32 bytes when none of the first 32 bytes is a space.
        if (index >= tokenSize) {
            tokenLength = 0;
            continue;
        }
        token[tokenLength++] = c;
        if (tokenLength == tokenSize)
            tokenFilled = true;
    }
    if (field != 6 || tokenFilled)
        return -1;
    // A negative year is checked before the two-digit rule, which would
    // otherwise turn -1 into 1999.
    const int year = DecimalValue(token, tokenLength, 0);
    time.wYear = year < 0 ? outOfRange : FieldValue(year < 1990 ? year + 2000 : year);
    return 0;
}

bool SetLocalCreationTime(const SYSTEMTIME& utc, TimelineEntry& entry)
{
    FILETIME utcFileTime;
    FILETIME localFileTime;
    SYSTEMTIME localTime;
    if (IsValidSystemTime(utc) && SystemTimeToFileTime(&utc, &utcFileTime) && FileTimeToLocalFileTime(&utcFileTime, &localFileTime)
        && FileTimeToSystemTime(&localFileTime, &localTime)) {
        entry.createdAtFileTime = localFileTime;
        entry.createdAt = localTime;
        return true;
    }
    std::memset(&entry.createdAtFileTime, 0, sizeof entry.createdAtFileTime);
    std::memset(&entry.createdAt, 0, sizeof entry.createdAt);
    return false;
}
