#include "HttpMessage.h"

// Boost 1.74's status header uses std::ostream without including it.
#include <ostream>

#include <boost/beast/http/status.hpp>

#include <cstdio>
#include <ctime>

namespace site {

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

const std::string* HttpRequest::FindHeader(std::string_view name) const
{
    for (const HttpHeader& header : headers) {
        if (EqualsIgnoringCase(header.name, name)) return &header.value;
    }
    return nullptr;
}

std::string HttpRequest::Path() const
{
    std::string_view rest(target);
    // An absolute-form target ("http://host/path") names the path after its authority.
    for (std::string_view scheme : {"http://", "https://"}) {
        if (rest.size() >= scheme.size() && EqualsIgnoringCase(rest.substr(0, scheme.size()), scheme)) {
            rest.remove_prefix(scheme.size());
            std::size_t slash = rest.find_first_of("/?");
            rest = slash == std::string_view::npos ? std::string_view("/") : rest.substr(slash);
            break;
        }
    }
    std::size_t query = rest.find('?');
    std::string path(rest.substr(0, query));
    if (path.empty()) path = "/";
    return path;
}

std::string HttpRequest::Query() const
{
    std::size_t query = target.find('?');
    return query == std::string::npos ? std::string() : target.substr(query + 1);
}

void HttpResponse::SetHeader(const std::string& name, const std::string& value)
{
    for (HttpHeader& header : headers) {
        if (EqualsIgnoringCase(header.name, name)) {
            header.value = value;
            return;
        }
    }
    headers.push_back({name, value});
}

void HttpResponse::AddHeader(const std::string& name, const std::string& value)
{
    headers.push_back({name, value});
}

void HttpResponse::SetBody(std::string text, const std::string& contentType)
{
    body = std::make_shared<const std::string>(std::move(text));
    SetHeader("Content-Type", contentType);
}

const char* ReasonPhrase(int status)
{
    namespace http = boost::beast::http;
    const http::status known = http::int_to_status(static_cast<unsigned>(status));
    return known == http::status::unknown ? "Status" : http::obsolete_reason(known).data();
}

std::string HttpDate(long long unixSeconds)
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", days[tm.tm_wday], tm.tm_mday,
                  months[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

}  // namespace site
