#ifndef LARKSPUR_SITE_HTTPMESSAGE_H
#define LARKSPUR_SITE_HTTPMESSAGE_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace site {

struct HttpHeader {
    std::string name;
    std::string value;
};

// One request as the site sees it, copied out of the parser so that the site's
// files need no HTTP library. The request line and the target keep the bytes
// that arrived, so that a client's mistakes stay visible in logs and echoes.
struct HttpRequest {
    std::string requestLine;  // without the line end
    std::string method;
    std::string target;       // raw, percent escapes untouched
    std::vector<HttpHeader> headers;  // in arrival order, names as sent
    std::string body;         // de-chunked

    // First header of that name (case-insensitive), nullptr when absent.
    const std::string* FindHeader(std::string_view name) const;
    // The target's path (absolute-form targets lose scheme and authority)
    // and its query (after '?', empty when none).
    std::string Path() const;
    std::string Query() const;
};

// How an answer leaves the connection. Besides a plain answer, the control
// interface can ask for a delay, a connection held without answer, or a body
// cut after some bytes (then held or closed).
struct Delivery {
    int delayMs = 0;
    bool hang = false;
    long long cutAfter = -1;  // body bytes sent before the cut; -1: no cut
    bool closeAtCut = false;  // after the cut: close (true) or go silent (false)
    int trickleMs = 0;        // > 0: the body goes out one byte every trickleMs
    int slowMs = 0;           // > 0: the whole answer, head first, one byte every slowMs
};

struct HttpResponse {
    int status = 200;
    std::vector<HttpHeader> headers;  // besides Date, Server, Content-Length, Connection
    std::shared_ptr<const std::string> body;
    Delivery delivery;
    bool closeAfter = false;  // close the connection once answered
    bool logged = true;       // false for the control interface

    void SetHeader(const std::string& name, const std::string& value);
    void AddHeader(const std::string& name, const std::string& value);
    void SetBody(std::string text, const std::string& contentType);
    std::size_t BodySize() const { return body ? body->size() : 0; }
};

// The standard phrase, "Status" for codes without one.
const char* ReasonPhrase(int status);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
std::string HttpDate(long long unixSeconds);

}  // namespace site

#endif
