#include "FormData.h"

namespace site {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

namespace {

// Length of the well-formed UTF-8 sequence at bytes[at], 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at)
{
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) return 1;
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || at + length > bytes.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(bytes[at + k]) & 0xC0) != 0x80) return 0;
    }
    // No overlong forms, no surrogates, nothing above U+10FFFF.
    const unsigned char second = static_cast<unsigned char>(bytes[at + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second >= 0x90)) {
        return 0;
    }
    return length;
}

}  // namespace

std::string AsUtf8Text(std::string_view bytes)
{
    std::string text;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0) {
            text += "\xEF\xBF\xBD";
            ++at;
        } else {
            text.append(bytes.substr(at, length));
            at += length;
        }
    }
    return text;
}

std::string DecodeFormComponent(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            decoded += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += c;
        }
    }
    return decoded;
}

void FormData::Append(std::string_view encoded)
{
    std::size_t start = 0;
    while (start < encoded.size()) {
        std::size_t end = encoded.find('&', start);
        if (end == std::string_view::npos) end = encoded.size();
        std::string_view pair = encoded.substr(start, end - start);
        if (!pair.empty()) {
            std::size_t equals = pair.find('=');
            std::string_view name = pair.substr(0, equals);
            std::string_view value = equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
            pairs.emplace_back(DecodeFormComponent(name), DecodeFormComponent(value));
        }
        start = end + 1;
    }
}

bool FormData::Has(const std::string& name) const
{
    for (const auto& pair : pairs) {
        if (pair.first == name) return true;
    }
    return false;
}

std::string FormData::Get(const std::string& name, const std::string& fallback) const
{
    for (const auto& pair : pairs) {
        if (pair.first == name) return pair.second;
    }
    return fallback;
}

std::string EncodeUriComponent(std::string_view text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '.' || c == '_' || c == '~';
        if (plain) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += digits[c >> 4];
            encoded += digits[c & 15];
        }
    }
    return encoded;
}

std::string FindCookie(const std::string& cookieHeader, const std::string& name)
{
    std::size_t start = 0;
    while (start < cookieHeader.size()) {
        std::size_t end = cookieHeader.find(';', start);
        if (end == std::string::npos) end = cookieHeader.size();
        std::size_t first = start;
        while (first < end && cookieHeader[first] == ' ') ++first;
        std::size_t equals = cookieHeader.find('=', first);
        if (equals != std::string::npos && equals < end && cookieHeader.compare(first, equals - first, name) == 0 &&
            equals - first == name.size()) {
            std::size_t last = end;
            while (last > equals + 1 && cookieHeader[last - 1] == ' ') --last;
            return cookieHeader.substr(equals + 1, last - equals - 1);
        }
        start = end + 1;
    }
    return std::string();
}

bool ReadInteger(const std::string& text, long long minimum, long long maximum, long long& value)
{
    if (text.empty() || text.size() > 12) return false;
    long long number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    if (number < minimum || number > maximum) return false;
    value = number;
    return true;
}

}  // namespace site
