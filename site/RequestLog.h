#ifndef LARKSPUR_SITE_REQUESTLOG_H
#define LARKSPUR_SITE_REQUESTLOG_H

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace site {

struct LogEntry {
    long long time = 0;
    std::string peer;
    std::string scheme;
    std::string method;
    std::string target;
    int status = 0;  // 0: never answered (a held request)
    unsigned long long bodyBytesSent = 0;
};

// The request log: one line per request in DIR/requests.log, and the lines
// since the last reset in memory for the control interface.
class RequestLog {
public:
    RequestLog() = default;
    ~RequestLog();
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    // Opens (appends to) the file; an empty path keeps the log in memory only.
    bool Open(const std::string& path, std::string& error);
    void Record(const LogEntry& entry);
    // "SCHEME METHOD RAWTARGET STATUS\n" per request, oldest first.
    std::string Lines() const;
    // Forgets the lines and empties the file.
    void Clear();

private:
    mutable std::mutex mutex;
    std::string path;
    std::FILE* file = nullptr;
    std::vector<std::string> lines;
};

}  // namespace site

#endif
