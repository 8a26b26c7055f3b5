#include "RequestLog.h"

#include <cerrno>
#include <cstring>

#include "TimeText.h"

namespace site {

namespace {

// Targets and methods come from clients: keep one request on one line.
std::string OneLine(const std::string& text)
{
    std::string line;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            line += escaped;
        } else {
            line += static_cast<char>(c);
        }
    }
    return line.empty() ? std::string("-") : line;
}

}  // namespace

RequestLog::~RequestLog()
{
    if (file) std::fclose(file);
}

bool RequestLog::Open(const std::string& logPath, std::string& error)
{
    std::lock_guard<std::mutex> lock(mutex);
    path = logPath;
    if (path.empty()) return true;
    file = std::fopen(path.c_str(), "a");
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void RequestLog::Record(const LogEntry& entry)
{
    std::string method = OneLine(entry.method), target = OneLine(entry.target);
    std::lock_guard<std::mutex> lock(mutex);
    lines.push_back(entry.scheme + " " + method + " " + target + " " + std::to_string(entry.status) + "\n");
    if (file) {
        std::fprintf(file, "%s %s %s %s %s %d %llu\n", FormatLogTime(entry.time).c_str(), entry.peer.c_str(),
                     entry.scheme.c_str(), method.c_str(), target.c_str(), entry.status, entry.bodyBytesSent);
        std::fflush(file);
    }
}

std::string RequestLog::Lines() const
{
    std::lock_guard<std::mutex> lock(mutex);
    std::string text;
    for (const std::string& line : lines) text += line;
    return text;
}

void RequestLog::Clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    lines.clear();
    if (file) {
        std::FILE* reopened = std::freopen(path.c_str(), "w", file);
        file = reopened;
    }
}

}  // namespace site
