#include "RequestParser.h"

#include <cstring>

namespace site {

namespace {

bool IsTokenChar(unsigned char c)
{
    if (c >= '0' && c <= '9') return true;
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') return true;
    return c != 0 && std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

bool IsToken(const std::string& text)
{
    if (text.empty()) return false;
    for (unsigned char c : text) {
        if (!IsTokenChar(c)) return false;
    }
    return true;
}

std::string Trim(const std::string& text)
{
    std::size_t first = 0, last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
    return text.substr(first, last - first);
}

}  // namespace

void RequestParser::Reset()
{
    request = HttpRequest();
    phase = Phase::Head;
    started = false;
    continueWanted = false;
    bodyRemaining = 0;
    trailerBytes = 0;
    errorStatus = 0;
    errorReason.clear();
}

HttpRequest RequestParser::TakeRequest()
{
    HttpRequest taken = std::move(request);
    Reset();
    return taken;
}

bool RequestParser::TakeContinueRequest()
{
    bool wanted = continueWanted;
    continueWanted = false;
    return wanted;
}

RequestParser::Result RequestParser::Fail(int status, const std::string& reason)
{
    errorStatus = status;
    errorReason = reason;
    return Result::Bad;
}

bool RequestParser::TakeLine(std::string& inbox, std::string& line)
{
    std::size_t end = inbox.find('\n');
    if (end == std::string::npos) return false;
    std::size_t length = end;
    if (length > 0 && inbox[length - 1] == '\r') --length;
    line.assign(inbox, 0, length);
    inbox.erase(0, end + 1);
    return true;
}

RequestParser::Result RequestParser::Parse(std::string& inbox)
{
    if (errorStatus != 0) return Result::Bad;
    if (phase == Phase::Head) {
        Result result = ParseHead(inbox);
        if (result != Result::Complete) return result;
    }
    std::string line;
    for (;;) {
        switch (phase) {
        case Phase::Head:
            return Fail(500, "parser state");
        case Phase::Body: {
            std::size_t take = std::min(bodyRemaining, inbox.size());
            request.body.append(inbox, 0, take);
            inbox.erase(0, take);
            bodyRemaining -= take;
            if (bodyRemaining > 0) return Result::NeedMore;
            phase = Phase::Done;
            break;
        }
        case Phase::ChunkSize: {
            if (!TakeLine(inbox, line)) {
                if (inbox.size() > 1024) return Fail(400, "chunk size line too long");
                return Result::NeedMore;
            }
            std::size_t semicolon = line.find(';');
            std::string digits = Trim(line.substr(0, semicolon));
            if (digits.empty() || digits.size() > 8) return Fail(400, "bad chunk size");
            std::size_t size = 0;
            for (char c : digits) {
                int value;
                if (c >= '0' && c <= '9') value = c - '0';
                else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') value = (c | 0x20) - 'a' + 10;
                else return Fail(400, "bad chunk size");
                size = size * 16 + static_cast<std::size_t>(value);
            }
            if (request.body.size() + size > maxBodyBytes) return Fail(413, "body too large");
            if (size == 0) {
                phase = Phase::Trailer;
            } else {
                bodyRemaining = size;
                phase = Phase::ChunkData;
            }
            break;
        }
        case Phase::ChunkData: {
            std::size_t take = std::min(bodyRemaining, inbox.size());
            request.body.append(inbox, 0, take);
            inbox.erase(0, take);
            bodyRemaining -= take;
            if (bodyRemaining > 0) return Result::NeedMore;
            phase = Phase::ChunkDataEnd;
            break;
        }
        case Phase::ChunkDataEnd:
            if (!TakeLine(inbox, line)) {
                if (inbox.size() >= 2) return Fail(400, "chunk not followed by a line end");
                return Result::NeedMore;
            }
            if (!line.empty()) return Fail(400, "chunk not followed by a line end");
            phase = Phase::ChunkSize;
            break;
        case Phase::Trailer:
            if (!TakeLine(inbox, line)) {
                if (trailerBytes + inbox.size() > maxHeadBytes) return Fail(431, "trailer too large");
                return Result::NeedMore;
            }
            trailerBytes += line.size() + 2;
            if (trailerBytes > maxHeadBytes) return Fail(431, "trailer too large");
            if (line.empty()) phase = Phase::Done;
            break;
        case Phase::Done:
            return Result::Complete;
        }
    }
}

RequestParser::Result RequestParser::ParseHead(std::string& inbox)
{
    // Blank lines ahead of a request line are tolerated, as HTTP asks.
    if (!started) {
        std::size_t skip = 0;
        while (skip < inbox.size() && (inbox[skip] == '\r' || inbox[skip] == '\n')) ++skip;
        inbox.erase(0, skip);
        if (inbox.empty()) return Result::NeedMore;
        started = true;
    }
    // Nothing is consumed until the whole head is there, so that a head split
    // over several reads is parsed in one go.
    std::size_t end = std::string::npos;
    for (std::size_t at = inbox.find('\n'); at != std::string::npos; at = inbox.find('\n', at + 1)) {
        std::size_t next = at + 1;
        if (next < inbox.size() && inbox[next] == '\n') { end = next + 1; break; }
        if (next + 1 < inbox.size() && inbox[next] == '\r' && inbox[next + 1] == '\n') { end = next + 2; break; }
        if (next > maxHeadBytes) break;
    }
    if (end == std::string::npos) {
        if (inbox.size() > maxHeadBytes) {
            std::string line;
            std::string copy = inbox.substr(0, std::min<std::size_t>(inbox.size(), maxHeadBytes));
            if (TakeLine(copy, line)) ParseRequestLine(line);
            return Fail(431, "request head too large");
        }
        return Result::NeedMore;
    }
    if (end > maxHeadBytes) return Fail(431, "request head too large");
    std::string head = inbox.substr(0, end);
    inbox.erase(0, end);

    std::string line;
    TakeLine(head, line);
    Result result = ParseRequestLine(line);
    if (result != Result::Complete) return result;
    while (TakeLine(head, line) && !line.empty()) {
        result = ParseHeaderLine(line);
        if (result != Result::Complete) return result;
    }
    return FinishHead();
}

RequestParser::Result RequestParser::ParseRequestLine(const std::string& line)
{
    request.requestLine = line;
    // Method and target are taken even from a malformed line, for the log.
    std::size_t firstSpace = line.find(' ');
    request.method = line.substr(0, firstSpace);
    std::size_t secondSpace = std::string::npos;
    if (firstSpace != std::string::npos) {
        secondSpace = line.find(' ', firstSpace + 1);
        request.target = line.substr(firstSpace + 1, secondSpace == std::string::npos
                                                         ? std::string::npos
                                                         : secondSpace - firstSpace - 1);
    }
    if (firstSpace == std::string::npos || secondSpace == std::string::npos) {
        return Fail(400, "malformed request line");
    }
    std::string version = line.substr(secondSpace + 1);
    if (!IsToken(request.method)) return Fail(400, "malformed method");
    if (request.target.empty()) return Fail(400, "empty request target");
    for (unsigned char c : request.target) {
        if (c <= 0x20 || c == 0x7f) return Fail(400, "malformed request target");
    }
    if (version.size() != 8 || version.compare(0, 7, "HTTP/1.") != 0 || version[7] < '0' || version[7] > '9') {
        return Fail(400, "malformed HTTP version");
    }
    request.versionMinor = version[7] - '0';
    return Result::Complete;
}

RequestParser::Result RequestParser::ParseHeaderLine(const std::string& line)
{
    if (line[0] == ' ' || line[0] == '\t') return Fail(400, "folded header line");
    std::size_t colon = line.find(':');
    if (colon == std::string::npos) return Fail(400, "header line without colon");
    std::string name = line.substr(0, colon);
    if (!IsToken(name)) return Fail(400, "malformed header name");
    std::string value = Trim(line.substr(colon + 1));
    for (unsigned char c : value) {
        if ((c < 0x20 && c != '\t') || c == 0x7f) return Fail(400, "control character in header value");
    }
    request.headers.push_back({name, value});
    return Result::Complete;
}

RequestParser::Result RequestParser::FinishHead()
{
    if (request.versionMinor >= 1 && !request.FindHeader("Host")) return Fail(400, "missing Host header");

    const std::string* transferEncoding = nullptr;
    bool haveLength = false;
    std::size_t length = 0;
    for (const HttpHeader& header : request.headers) {
        if (EqualsIgnoringCase(header.name, "Transfer-Encoding")) {
            if (transferEncoding) return Fail(400, "repeated Transfer-Encoding");
            transferEncoding = &header.value;
        } else if (EqualsIgnoringCase(header.name, "Content-Length")) {
            if (header.value.empty() || header.value.size() > 12) return Fail(400, "bad Content-Length");
            std::size_t value = 0;
            for (char c : header.value) {
                if (c < '0' || c > '9') return Fail(400, "bad Content-Length");
                value = value * 10 + static_cast<std::size_t>(c - '0');
            }
            if (haveLength && value != length) return Fail(400, "conflicting Content-Length");
            haveLength = true;
            length = value;
        }
    }
    if (transferEncoding) {
        if (haveLength) return Fail(400, "both Content-Length and Transfer-Encoding");
        if (!EqualsIgnoringCase(*transferEncoding, "chunked")) return Fail(501, "unsupported Transfer-Encoding");
        phase = Phase::ChunkSize;
    } else if (length > 0) {
        if (length > maxBodyBytes) return Fail(413, "body too large");
        request.body.reserve(length);
        bodyRemaining = length;
        phase = Phase::Body;
    } else {
        phase = Phase::Done;
    }
    const std::string* expect = request.FindHeader("Expect");
    continueWanted = phase != Phase::Done && request.versionMinor >= 1 && expect &&
                     EqualsIgnoringCase(*expect, "100-continue");
    return Result::Complete;
}

}  // namespace site
