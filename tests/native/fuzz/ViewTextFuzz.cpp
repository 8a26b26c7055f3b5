#include "ViewTextFuzz.h"

#include "CodePage.h"
#include "LinkText.h"
#include "ViewFormat.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char* const webBase = "http://localhost:47110/";

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool IsSingleByteCharacter(unsigned char byte)
{
    return byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF);
}

bool EndsInLoneLeadByte(const std::string& text)
{
    const int length = static_cast<int>(text.size());
    int index = 0;
    int lastSize = 0;
    while (index < length) {
        lastSize = CharacterSize(text.data(), length, index);
        index += lastSize;
    }
    return lastSize == 1 && IsLeadByte(static_cast<unsigned char>(text.back()));
}

// One rich edit character: its bytes in the text.
struct Character {
    int start;
    int size;
    bool lineBreak;
};

std::vector<Character> ControlCharacters(const std::string& text)
{
    std::vector<Character> characters;
    const int length = static_cast<int>(text.size());
    for (int index = 0; index < length;) {
        const char c = text[index];
        Character character = {index, CharacterSize(text.data(), length, index), c == '\r' || c == '\n'};
        if (character.lineBreak)
            character.size = (c == '\r' && index + 1 < length && text[index + 1] == '\n') ? 2 : 1;
        characters.push_back(character);
        index += character.size;
    }
    return characters;
}

// A run character: a line break or a single-byte character that neither
// ends nor restarts a run.
bool ContinuesRun(const std::string& text, const Character& character)
{
    const unsigned char byte = static_cast<unsigned char>(text[character.start]);
    return character.lineBreak
        || (character.size == 1 && IsSingleByteCharacter(byte) && std::strchr(" :@#", byte) == nullptr);
}

void CheckRuns(const std::string& text)
{
    const std::vector<Character> characters = ControlCharacters(text);
    const int count = static_cast<int>(characters.size());
    const bool endsInBreak = count > 0 && characters.back().lineBreak;
    int previousLast = 0;
    for (const CharRange& run : FindEntityRuns(text.c_str())) {
        Require(previousLast <= run.first && run.first < run.last && run.last <= count);
        previousLast = run.last;
        const char sign = text[characters[run.first].start];
        Require(characters[run.first].size == 1 && (sign == '@' || sign == '#'));
        for (int position = run.first + 1; position < run.last; ++position)
            Require(ContinuesRun(text, characters[position]));
        // The run ends where the text or a run character stops, or before
        // the trailing line break.
        if (run.last == count)
            Require(!endsInBreak);
        else if (run.last < count - 1 || !endsInBreak)
            Require(!ContinuesRun(text, characters[run.last]) && text[characters[run.last].start] != '@'
                && text[characters[run.last].start] != '#');
    }
}

// A result in a buffer of `size` bytes against the text it was cut from.
void CheckBounded(const std::string& full, const std::vector<char>& buffer, int size, bool whole)
{
    if (size == 0) {
        Require(!whole);
        return;
    }
    const void* end = std::memchr(buffer.data(), 0, buffer.size());
    Require(end != nullptr);
    const std::string out(buffer.data(), static_cast<const char*>(end));
    Require(full.compare(0, out.size(), out) == 0);
    Require(whole == (out.size() == full.size()));
    Require(!EndsInLoneLeadByte(out));
    // Cut between two characters of the full text, and as late as that and
    // dropping a lone lead byte allow.
    const int length = static_cast<int>(out.size());
    int boundary = 0;
    while (boundary < length)
        boundary += CharacterSize(full.data(), static_cast<int>(full.size()), boundary);
    Require(boundary == length);
    const int fits = std::min(static_cast<int>(full.size()), size - 1);
    Require(length >= fits - 2);
}

template <typename Format>
void CheckFormat(const std::string& full, int size, Format format)
{
    std::vector<char> buffer(static_cast<size_t>(size), '\xA5');
    CheckBounded(full, buffer, size, format(buffer.data()));
}

// Every address is refused (out empty) or fits, starts as it must and holds
// no byte that the shell could misread; a small buffer changes only whether
// it fits.
template <typename Build>
bool CheckAddress(int size, Build build, bool (*valid)(const std::string&))
{
    std::vector<char> large(16384, '\xA5');
    const bool accepted = build(large.data(), static_cast<int>(large.size()));
    const std::string address = large.data();
    Require(accepted ? valid(address) : address.empty());
    std::vector<char> small(static_cast<size_t>(size), '\xA5');
    const bool fits = accepted && static_cast<int>(address.size()) < size;
    Require(build(small.data(), size) == fits);
    if (size > 0)
        Require(fits ? address == small.data() : small[0] == 0);
    return accepted;
}

bool IsWebAddress(const std::string& address)
{
    for (const unsigned char byte : address) {
        if (byte == '"' || byte <= ' ' || byte == 0x7F)
            return false;
    }
    return !EndsInLoneLeadByte(address)
        && (StartsWith(address, "http://") || StartsWith(address, "https://") || StartsWith(address, "ftp://")
            || StartsWith(address, "mailto:"));
}

bool IsAsciiLetterOrDigit(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9');
}

bool IsSiteAddress(const std::string& address)
{
    if (!StartsWith(address, webBase))
        return false;
    for (size_t index = std::strlen(webBase); index < address.size(); ++index) {
        const unsigned char byte = static_cast<unsigned char>(address[index]);
        if (byte == '%') {
            if (index + 2 >= address.size() || !std::strchr("0123456789ABCDEF", address[index + 1])
                || !std::strchr("0123456789ABCDEF", address[index + 2]))
                return false;
            index += 2;
        } else if (!IsAsciiLetterOrDigit(byte) && std::strchr("_-.?=", byte) == nullptr) {
            return false;
        }
    }
    return true;
}

} // namespace

void CheckViewText(const std::string& input)
{
    if (input.empty())
        return;
    // Layout: a size byte (0 to 63 as it is, else a step of six up to about
    // 1150), then two texts separated by a NUL.
    const unsigned char sizeByte = static_cast<unsigned char>(input[0]);
    const int size = sizeByte < 64 ? sizeByte : (sizeByte - 64) * 6;
    const std::string first = input.c_str() + 1;
    const size_t secondStart = 1 + first.size() + 1;
    const std::string second = secondStart < input.size() ? input.c_str() + secondStart : "";

    const int characters = CountCharacters(first.c_str());
    Require(characters <= static_cast<int>(first.size()) && 2 * characters >= static_cast<int>(first.size()));
    Require(CharactersLeft(first.c_str()) == 140 - CountCharacters(first.substr(0, 511).c_str()));
    CheckRuns(first);

    const bool web = CheckAddress(size,
        [&](char* out, int outSize) { return WebLinkAddress(first.c_str(), out, outSize); }, IsWebAddress);
    const bool tag = CheckAddress(size,
        [&](char* out, int outSize) { return TagLinkAddress(first.c_str(), webBase, out, outSize); },
        IsSiteAddress);
    Require(!(web && tag));
    CheckAddress(size,
        [&](char* out, int outSize) { return ProfileAddress(second.c_str(), webBase, out, outSize); },
        IsSiteAddress);

    CheckFormat(first, size, [&](char* out) { return CopyBounded(out, size, first.c_str()); });
    CheckFormat("RT " + first + ": " + second, size,
        [&](char* out) { return FormatRetweet(first.c_str(), second.c_str(), out, size); });
    CheckFormat("D " + first + " ", size, [&](char* out) { return FormatDirectMessage(first.c_str(), out, size); });
    CheckFormat(first + " / " + second, size,
        [&](char* out) { return FormatNameLine(first.c_str(), second.c_str(), out, size); });
    CheckFormat(first == second ? second : first + "\n" + second, size,
        [&](char* out) { return FormatListName(first.c_str(), second.c_str(), out, size); });

    if (input.size() >= 13) {
        short fields[6];
        std::memcpy(fields, input.data() + 1, sizeof fields);
        char label[80];
        std::snprintf(label, sizeof label, "%04d-%02d-%02d %02d:%02d:%02d", fields[0], fields[1], fields[2],
            fields[3], fields[4], fields[5]);
        CheckFormat(label, size, [&](char* out) {
            return FormatTimeLabel(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], out, size);
        });
    }
}
