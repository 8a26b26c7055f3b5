#ifndef LARKSPUR_SITE_FORMDATA_H
#define LARKSPUR_SITE_FORMDATA_H

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace site {

// Decoding of application/x-www-form-urlencoded text: '+' is a space, %XX a
// byte. A '%' that is not followed by two hexadecimal digits stays as it is.
std::string DecodeFormComponent(std::string_view text);

// Decoded form bytes read as UTF-8, the site's form encoding: well-formed
// sequences stay, every other byte becomes U+FFFD, as a browser-facing site
// reads them.
std::string AsUtf8Text(std::string_view bytes);

// Name/value pairs of a form body or query string, in order. A pair without
// '=' has an empty value.
class FormData {
public:
    FormData() = default;
    explicit FormData(std::string_view encoded) { Append(encoded); }

    void Append(std::string_view encoded);
    bool Has(const std::string& name) const;
    // The first value of that name; fallback when absent.
    std::string Get(const std::string& name, const std::string& fallback = std::string()) const;
    const std::vector<std::pair<std::string, std::string>>& Pairs() const { return pairs; }

private:
    std::vector<std::pair<std::string, std::string>> pairs;
};

// A whole decimal number within [minimum, maximum] (parameters and command
// line arguments); false otherwise.
bool ReadInteger(const std::string& text, long long minimum, long long maximum, long long& value);

// Percent-encodes every byte but [A-Za-z0-9-._~] (for building addresses).
std::string EncodeUriComponent(std::string_view text);

// The value of cookie `name` in a Cookie header, empty when absent.
std::string FindCookie(const std::string& cookieHeader, const std::string& name);

}  // namespace site

#endif
