#include "HtmlText.h"

#include "FormData.h"

namespace site {

namespace {

bool IsAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsNameChar(unsigned char c) { return IsAsciiAlnum(c) || c == '_'; }

// Characters that may stand inside a web address in running text. Anything
// outside ASCII ends it: Japanese text often follows an address directly.
bool IsAddressChar(unsigned char c)
{
    if (c <= 0x20 || c >= 0x7f) return false;
    return c != '<' && c != '>' && c != '"' && c != '\'' && c != '`' && c != '{' && c != '}' && c != '|' &&
           c != '\\' && c != '^';
}

bool StartsWith(std::string_view text, std::size_t at, std::string_view prefix)
{
    return text.size() - at >= prefix.size() && text.compare(at, prefix.size(), prefix) == 0;
}

// Length of a web address starting at `at`, 0 when none starts there.
std::size_t AddressLength(std::string_view text, std::size_t at)
{
    std::size_t schemeLength;
    if (StartsWith(text, at, "http://")) schemeLength = 7;
    else if (StartsWith(text, at, "https://")) schemeLength = 8;
    else return 0;
    std::size_t end = at + schemeLength;
    while (end < text.size() && IsAddressChar(static_cast<unsigned char>(text[end]))) ++end;
    // Punctuation closing a sentence is not part of the address.
    while (end > at + schemeLength && std::string_view(".,!?:;)").find(text[end - 1]) != std::string_view::npos) {
        --end;
    }
    return end - at > schemeLength ? end - at : 0;
}

// A mention or tag may not continue a word ("mail@example", "C#").
bool StartsWord(std::string_view text, std::size_t at)
{
    return at == 0 || !IsNameChar(static_cast<unsigned char>(text[at - 1]));
}

// Length of the name after '@' or '#' at `at`, 0 when none.
std::size_t NameLength(std::string_view text, std::size_t at, std::size_t maxLength)
{
    std::size_t end = at + 1;
    while (end < text.size() && end - at - 1 < maxLength && IsNameChar(static_cast<unsigned char>(text[end]))) ++end;
    return end - at - 1;
}

bool HasLetter(std::string_view name)
{
    for (unsigned char c : name) {
        if (!(c >= '0' && c <= '9')) return true;
    }
    return false;
}

// Length of a #tag's name at `at` (pointing at '#'), 0 when no tag starts there.
std::size_t TagLength(std::string_view text, std::size_t at)
{
    if (text[at] != '#' || !StartsWord(text, at)) return 0;
    std::size_t length = NameLength(text, at, 100);
    return length > 0 && HasLetter(text.substr(at + 1, length)) ? length : 0;
}

}  // namespace

namespace {

// Display names keep a '>' as it is; everything else escapes all four.
std::string Escape(std::string_view text, bool greaterThan)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += greaterThan ? "&gt;" : ">"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

}  // namespace

std::string EscapeHtml(std::string_view text)
{
    return Escape(text, true);
}

std::string EscapeDisplayName(std::string_view text)
{
    return Escape(text, false);
}

std::string RenderStatusText(std::string_view text)
{
    std::string html;
    std::size_t at = 0;
    while (at < text.size()) {
        if (std::size_t length = AddressLength(text, at)) {
            std::string address = EscapeHtml(text.substr(at, length));
            html += "<a href=\"" + address + "\" class=\"tweet-url web\" rel=\"nofollow\" target=\"_blank\">" +
                    address + "</a>";
            at += length;
            continue;
        }
        if (text[at] == '@' && StartsWord(text, at)) {
            if (std::size_t length = NameLength(text, at, 20)) {
                std::string name(text.substr(at + 1, length));
                html += "@<a class=\"tweet-url username\" href=\"/" + name + "\">" + name + "</a>";
                at += 1 + length;
                continue;
            }
        }
        if (std::size_t length = TagLength(text, at)) {
            std::string tag(text.substr(at + 1, length));
            html += "<a href=\"/search?q=%23" + EncodeUriComponent(tag) + "\" title=\"#" + tag +
                    "\" class=\"tweet-url hashtag\">#" + tag + "</a>";
            at += 1 + length;
            continue;
        }
        html += EscapeHtml(text.substr(at, 1));
        ++at;
    }
    return html;
}

std::vector<std::string> FindHashtags(std::string_view text)
{
    std::vector<std::string> tags;
    std::size_t at = 0;
    while (at < text.size()) {
        if (std::size_t length = AddressLength(text, at)) {
            at += length;  // a '#' inside an address is a fragment, not a tag
        } else if (std::size_t tag = TagLength(text, at)) {
            tags.emplace_back(text.substr(at + 1, tag));
            at += 1 + tag;
        } else {
            ++at;
        }
    }
    return tags;
}

}  // namespace site
