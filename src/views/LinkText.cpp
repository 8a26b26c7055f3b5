#include "LinkText.h"

#include "CodePage.h"
#include "ViewFormat.h"

#include <cstring>
#include <string>

namespace {

// Single-byte characters of the code page: ASCII and half-width katakana.
bool IsSingleByteCharacter(unsigned char byte)
{
    return byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF);
}

// A byte that would let an address break out of the shell's command line
// or change its meaning: quote, space and every control byte (tab, CR, LF,
// VT and FF among them).
bool IsRefusedAddressByte(unsigned char byte)
{
    return byte == '"' || byte == ' ' || byte < 0x20 || byte == 0x7F;
}

bool IsUnreservedByte(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')
        || byte == '_' || byte == '-' || byte == '.';
}

// Length of prefix (ASCII, lower case) when text starts with it in any case.
int MatchPrefix(const char* text, const char* prefix)
{
    int index = 0;
    for (; prefix[index] != 0; ++index) {
        const unsigned char c = static_cast<unsigned char>(text[index]);
        const int lower = (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
        if (lower != prefix[index])
            return 0;
    }
    return index;
}

// Builds an address in the caller's buffer; once a part does not fit, the
// whole address is refused and the buffer left empty.
class AddressWriter {
public:
    AddressWriter(char* out, int size) : out(out), size(size), length(0), fits(size > 0) {}

    void Append(const char* text, int count)
    {
        if (!fits || count >= size - length) {
            fits = false;
            return;
        }
        std::memcpy(out + length, text, static_cast<size_t>(count));
        length += count;
    }

    void Append(const char* text) { Append(text, static_cast<int>(std::strlen(text))); }

    // Every byte but the unreserved ones as "%XX", upper-case hex.
    void AppendEncoded(const char* text, int count)
    {
        static const char hex[] = "0123456789ABCDEF";
        for (int index = 0; index < count && fits; ++index) {
            const unsigned char byte = static_cast<unsigned char>(text[index]);
            if (IsUnreservedByte(byte)) {
                Append(text + index, 1);
            } else {
                const char escape[3] = {'%', hex[byte >> 4], hex[byte & 0x0F]};
                Append(escape, 3);
            }
        }
    }

    bool Finish()
    {
        if (size > 0)
            out[fits ? length : 0] = 0;
        return fits;
    }

private:
    char* out;
    int size;
    int length;
    bool fits;
};

// Empties out and refuses the address.
bool Refuse(char* out, int outSize)
{
    if (outSize > 0)
        out[0] = 0;
    return false;
}

bool EndsInLoneLeadByte(const char* text, int length)
{
    int index = 0;
    int lastSize = 0;
    while (index < length) {
        lastSize = CharacterSize(text, length, index);
        index += lastSize;
    }
    return lastSize == 1 && IsLeadByte(static_cast<unsigned char>(text[length - 1]));
}

// An address on the service's site: base, fixed part, then the network text
// encoded in UTF-8, as the site's pages are and browsers send. A text that
// is no text of the code page opens nothing.
bool SiteAddress(const char* webBase, const char* fixed, const char* text, int count, char* out, int outSize)
{
    std::string utf8;
    if (!AppendUtf8(text, count, utf8))
        return Refuse(out, outSize);
    AddressWriter writer(out, outSize);
    writer.Append(webBase);
    writer.Append(fixed);
    writer.AppendEncoded(utf8.data(), static_cast<int>(utf8.size()));
    return writer.Finish();
}

} // namespace

std::vector<CharRange> FindEntityRuns(const char* text)
{
    std::vector<CharRange> runs;
    const int length = static_cast<int>(std::strlen(text));
    int position = 0;
    int runStart = -1;
    // Position of the line break that ends the text, if one does.
    int trailingBreak = -1;
    for (int index = 0; index < length; ++position) {
        const unsigned char byte = static_cast<unsigned char>(text[index]);
        if (byte == '\r' || byte == '\n') {
            // The control stores "\r\n" as one character; a break continues
            // a run.
            index += (byte == '\r' && text[index + 1] == '\n') ? 2 : 1;
            trailingBreak = index == length ? position : -1;
            continue;
        }
        const int characterSize = CharacterSize(text, length, index);
        index += characterSize;
        if (characterSize == 1 && IsSingleByteCharacter(byte)) {
            if (byte == '@' || byte == '#') {
                runStart = position;
            } else if ((byte == ' ' || byte == ':') && runStart >= 0) {
                runs.push_back({runStart, position});
                runStart = -1;
            }
        } else if (runStart >= 0) {
            runs.push_back({runStart, position});
            runStart = -1;
        }
    }
    if (runStart >= 0)
        runs.push_back({runStart, trailingBreak >= 0 ? trailingBreak : position});
    return runs;
}

bool WebLinkAddress(const char* linkText, char* out, int outSize)
{
    static const char* const schemes[] = {"http://", "https://", "ftp://", "mailto:"};
    const char* scheme = nullptr;
    const char* rest = nullptr;
    for (const char* candidate : schemes) {
        const int prefixLength = MatchPrefix(linkText, candidate);
        if (prefixLength > 0) {
            scheme = candidate;
            rest = linkText + prefixLength;
            break;
        }
    }
    if (scheme == nullptr && MatchPrefix(linkText, "www.") > 0 && linkText[4] != 0) {
        scheme = "http://";
        rest = linkText;
    }
    if (scheme == nullptr || rest[0] == 0)
        return Refuse(out, outSize);
    const int restLength = static_cast<int>(std::strlen(rest));
    for (int index = 0; index < restLength; ++index) {
        if (IsRefusedAddressByte(static_cast<unsigned char>(rest[index])))
            return Refuse(out, outSize);
    }
    // A lead byte cut from its trail would join with whatever the shell
    // puts after the address.
    if (EndsInLoneLeadByte(rest, restLength))
        return Refuse(out, outSize);
    AddressWriter writer(out, outSize);
    writer.Append(scheme);
    writer.Append(rest, restLength);
    return writer.Finish();
}

bool TagLinkAddress(const char* linkText, const char* webBase, char* out, int outSize)
{
    const char* rest = linkText + (linkText[0] != 0 ? 1 : 0);
    const int restLength = static_cast<int>(std::strlen(rest));
    if (linkText[0] == '#')
        return SiteAddress(webBase, "search?q=%23", rest, restLength, out, outSize);
    if (linkText[0] == '@')
        return SiteAddress(webBase, "", rest, FittingLength(rest, restLength, 99), out, outSize);
    return Refuse(out, outSize);
}

bool ProfileAddress(const char* screenName, const char* webBase, char* out, int outSize)
{
    return SiteAddress(webBase, "", screenName, static_cast<int>(std::strlen(screenName)), out, outSize);
}

namespace {

bool IsNameByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsScreenName(const char* name, int length)
{
    if (length == 0)
        return false;
    for (int i = 0; i < length; ++i) {
        if (!IsNameByte(name[i]))
            return false;
    }
    return true;
}

// name (nameLength bytes) mentioned at text[at], which holds '@'.
bool MentionAt(const char* text, int length, int at, const char* name, int nameLength)
{
    if (text[at] != '@' || at + 1 + nameLength > length)
        return false;
    for (int i = 0; i < nameLength; ++i) {
        if (Lower(text[at + 1 + i]) != Lower(name[i]))
            return false;
    }
    return !IsNameByte(text[at + 1 + nameLength]);
}

} // namespace

bool MentionsName(const char* text, const char* name)
{
    const int nameLength = static_cast<int>(std::strlen(name));
    if (!IsScreenName(name, nameLength))
        return false;
    const int length = static_cast<int>(std::strlen(text));
    // Character by character, so an '@' that is a trail byte never counts.
    for (int at = 0; at < length; at += CharacterSize(text, length, at)) {
        if (MentionAt(text, length, at, name, nameLength))
            return true;
    }
    return false;
}

bool StartsWithMention(const char* text, const char* name)
{
    const int nameLength = static_cast<int>(std::strlen(name));
    return IsScreenName(name, nameLength) && MentionAt(text, static_cast<int>(std::strlen(text)), 0, name, nameLength);
}
