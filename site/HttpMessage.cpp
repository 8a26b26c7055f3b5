#include "HttpMessage.h"

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

static bool ListContainsToken(const std::string& list, std::string_view token)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        std::size_t first = start, last = end;
        while (first < last && (list[first] == ' ' || list[first] == '\t')) ++first;
        while (last > first && (list[last - 1] == ' ' || list[last - 1] == '\t')) --last;
        if (EqualsIgnoringCase(std::string_view(list).substr(first, last - first), token)) return true;
        start = end + 1;
    }
    return false;
}

bool HttpRequest::WantsKeepAlive() const
{
    const std::string* connection = FindHeader("Connection");
    if (versionMinor == 0) return connection && ListContainsToken(*connection, "keep-alive");
    return !(connection && ListContainsToken(*connection, "close"));
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
    switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 304: return "Not Modified";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Payload Too Large";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    default: return "Status";
    }
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

std::string SerializeHead(const HttpResponse& response, bool keepAlive, int requestVersionMinor)
{
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + ReasonPhrase(response.status) + "\r\n";
    head += "Date: " + HttpDate(static_cast<long long>(std::time(nullptr))) + "\r\n";
    head += "Server: larkspur-site\r\n";
    for (const HttpHeader& header : response.headers) head += header.name + ": " + header.value + "\r\n";
    head += "Content-Length: " + std::to_string(response.BodySize()) + "\r\n";
    if (!keepAlive) {
        head += "Connection: close\r\n";
    } else if (requestVersionMinor == 0) {
        head += "Connection: keep-alive\r\n";
    }
    head += "\r\n";
    return head;
}

}  // namespace site
