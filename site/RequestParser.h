#ifndef LARKSPUR_SITE_REQUESTPARSER_H
#define LARKSPUR_SITE_REQUESTPARSER_H

#include <cstddef>
#include <string>

#include "HttpMessage.h"

namespace site {

// Incremental HTTP/1.x request parser. The connection appends what it reads
// to an inbox; Parse consumes bytes from the front of the inbox as it goes,
// so whatever is left after a complete request belongs to the next one.
class RequestParser {
public:
    enum class Result { NeedMore, Complete, Bad };

    static constexpr std::size_t maxHeadBytes = 64 * 1024;
    static constexpr std::size_t maxBodyBytes = 128 * 1024 * 1024;

    Result Parse(std::string& inbox);

    // The request so far: after Bad it holds what could be read of the
    // request line (method and target as the first two words).
    const HttpRequest& Request() const { return request; }
    HttpRequest TakeRequest();

    int ErrorStatus() const { return errorStatus; }
    const std::string& ErrorReason() const { return errorReason; }

    // True once, right after a head that asks for "100-continue" while its
    // body is still to come.
    bool TakeContinueRequest();

    // Bytes of a request seen so far (0 between requests).
    bool InProgress() const { return phase != Phase::Head || started; }

    void Reset();

private:
    enum class Phase { Head, Body, ChunkSize, ChunkData, ChunkDataEnd, Trailer, Done };

    Result ParseHead(std::string& inbox);
    Result ParseRequestLine(const std::string& line);
    Result ParseHeaderLine(const std::string& line);
    Result FinishHead();
    Result Fail(int status, const std::string& reason);
    // Cuts one line (without its line end) from the front of inbox; false when
    // no complete line is there yet.
    static bool TakeLine(std::string& inbox, std::string& line);

    HttpRequest request;
    Phase phase = Phase::Head;
    bool started = false;
    bool continueWanted = false;
    std::size_t bodyRemaining = 0;
    std::size_t trailerBytes = 0;
    int errorStatus = 0;
    std::string errorReason;
};

}  // namespace site

#endif
