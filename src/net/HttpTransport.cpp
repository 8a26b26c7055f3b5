#include "HttpTransport.h"

#include "WebAddress.h"

#include <windows.h>
#include <wininet.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char formHeader[] = "Content-Type: application/x-www-form-urlencoded";
const DWORD requestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_UI;
const DWORD getTimeout = 5000;
// Overall limits of a download, however the server paces it: a picture
// (profile pictures are a few KiB) and the home page.
const DWORD fileDeadline = 20000;
const long long fileLimit = 1024 * 1024;
const DWORD pageDeadline = 60000;
// The platform's own default for a request's answer on Windows; Wine's default
// is to wait for ever, which would leave a sign-in hanging for good.
const DWORD postTimeout = 60000;

struct SplitUrl {
    char scheme[256];
    char host[256];
    char user[256];
    char password[256];
    char path[1024];
    char extra[1024];
    INTERNET_PORT port;
    INTERNET_SCHEME schemeNumber;
    CString target; // the request target sent on the request line
};

// Splits url with the platform, then takes the request target from the URL
// text itself (from the first '/' after the host name to the end, escapes as
// written), falling back to the split path and query.
bool Split(const char* url, SplitUrl& split)
{
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszScheme = split.scheme;
    parts.dwSchemeLength = sizeof split.scheme;
    parts.lpszHostName = split.host;
    parts.dwHostNameLength = sizeof split.host;
    parts.lpszUserName = split.user;
    parts.dwUserNameLength = sizeof split.user;
    parts.lpszPassword = split.password;
    parts.dwPasswordLength = sizeof split.password;
    parts.lpszUrlPath = split.path;
    parts.dwUrlPathLength = sizeof split.path;
    parts.lpszExtraInfo = split.extra;
    parts.dwExtraInfoLength = sizeof split.extra;
    if (!InternetCrackUrlA(url, static_cast<DWORD>(std::strlen(url)), ICU_ESCAPE, &parts))
        return false;
    split.port = parts.nPort;
    split.schemeNumber = parts.nScheme;

    const CString address(url);
    const int host = address.Find(split.host);
    const int slash = host < 0 ? -1 : address.Find("/", host);
    if (slash >= 0) {
        split.target = address.Mid(slash);
    } else {
        split.target = split.path;
        split.target += split.extra;
    }
    return true;
}

// The handles of one exchange, closed in reverse order at one exit. The
// exchange follows redirects itself: Wine's own redirect handling has no
// limit, so a redirect loop would hold a request (and with it a fetch cycle)
// for ever.
class Exchange {
public:
    Exchange() = default;
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;
    ~Exchange()
    {
        CloseRequest();
        if (session != nullptr)
            InternetCloseHandle(session);
    }

    // Opens the session, then connection and request for the split URL, and
    // sends them; each step only after the one before it succeeded. A redirect
    // answer is followed to its target, up to maxRedirects times: 301, 302
    // and 303 turn a POST into a GET, as browsers do. True when the last
    // request was sent; Request() then holds its answer.
    bool Run(const char* url, SplitUrl& split, const char* agent, const char* verb, const char* body,
             const char* referrer, DWORD flags, DWORD receiveTimeout, bool sessionTimeouts)
    {
        session = InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (session == nullptr)
            return false;
        if (sessionTimeouts) {
            // Wine ignores these on the session handle; they stay for Windows,
            // and each request handle gets its own receive limit below.
            DWORD timeout = getTimeout;
            InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
            InternetSetOptionA(session, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
        }
        CString address(url);
        for (int redirects = 0;; ++redirects) {
            if (!Open(split, verb, referrer, flags | INTERNET_FLAG_NO_AUTO_REDIRECT, receiveTimeout))
                return false;
            const DWORD headerLength = body != nullptr ? static_cast<DWORD>(std::strlen(formHeader)) : 0;
            const DWORD bodyLength = body != nullptr ? static_cast<DWORD>(std::strlen(body)) : 0;
            if (!HttpSendRequestA(request, body != nullptr ? formHeader : nullptr, headerLength,
                                  const_cast<char*>(body), bodyLength))
                return false;
            const DWORD status = StatusCode();
            const bool redirect = status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
            CString next;
            if (!redirect || redirects == maxRedirects || !Location(address, next) || !Split(next, split))
                return true;
            address = next;
            if (status != 307 && status != 308) {
                verb = "GET";
                body = nullptr;
            }
            referrer = nullptr;
            flags = requestFlags;
            if (split.schemeNumber == INTERNET_SCHEME_HTTPS)
                flags |= INTERNET_FLAG_SECURE;
            CloseRequest();
        }
    }

    HINTERNET Request() const { return request; }

private:
    static const int maxRedirects = 20;

    bool Open(const SplitUrl& split, const char* verb, const char* referrer, DWORD flags, DWORD receiveTimeout)
    {
        connection = InternetConnectA(session, split.host, split.port, split.user, split.password,
                                      INTERNET_SERVICE_HTTP, 0, 0);
        if (connection == nullptr)
            return false;
        request = HttpOpenRequestA(connection, verb, split.target, nullptr, referrer, nullptr, flags, 0);
        if (request == nullptr)
            return false;
        InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeout, sizeof receiveTimeout);
        return true;
    }

    void CloseRequest()
    {
        if (request != nullptr)
            InternetCloseHandle(request);
        if (connection != nullptr)
            InternetCloseHandle(connection);
        request = nullptr;
        connection = nullptr;
    }

    DWORD StatusCode() const
    {
        DWORD status = 0;
        DWORD length = sizeof status;
        if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr))
            return 0;
        return status;
    }

    // The redirect's target made absolute against the address asked for.
    bool Location(const CString& base, CString& target) const
    {
        char location[2048];
        DWORD length = sizeof location - 1;
        if (!HttpQueryInfoA(request, HTTP_QUERY_LOCATION, location, &length, nullptr))
            return false;
        location[length < sizeof location ? length : sizeof location - 1] = 0;
        DWORD size = 4096;
        char* combined = target.GetBuffer(static_cast<int>(size));
        if (combined == nullptr || !InternetCombineUrlA(base, location, combined, &size, ICU_NO_ENCODE)) {
            target.ReleaseBuffer(0);
            return false;
        }
        target.ReleaseBuffer(static_cast<int>(size));
        return true;
    }

    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
};

// Status text of the answer into status (32 bytes); false when there is none.
bool QueryStatus(HINTERNET request, char (&status)[32])
{
    DWORD length = sizeof status - 1;
    if (request == nullptr || !HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE, status, &length, nullptr))
        return false;
    status[length < sizeof status ? length : sizeof status - 1] = 0;
    return true;
}

// The announced body length, or -1 when the answer gave none.
long long ContentLength(HINTERNET request)
{
    char text[32];
    DWORD length = sizeof text - 1;
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &length, nullptr))
        return -1;
    text[length < sizeof text ? length : sizeof text - 1] = 0;
    return std::strtoll(text, nullptr, 10);
}

// Reads the body chunk by chunk into text; each chunk counts up to its first
// NUL byte. Gives up the rest of the time slice before every read.
void ReadIntoString(HINTERNET request, char* buffer, DWORD chunk, CString& text)
{
    for (;;) {
        Sleep(0);
        DWORD read = 0;
        if (!InternetReadFile(request, buffer, chunk, &read) || read == 0)
            break;
        buffer[read] = 0;
        text.Append(buffer, static_cast<int>(std::strlen(buffer)));
    }
}

// How a GET body read ended.
enum BodyEnd {
    BodyWhole,  // the server ended it
    BodyFailed, // a read failed (time-out, connection lost)
    BodyCut     // the download ran past its deadline or its size limit
};

// Reads a GET body in chunks of at most chunk bytes into sink, until the
// server ends it, a read fails, the clock since started passes deadline
// milliseconds or more than maxBytes arrive. The receive time-out alone
// bounds each read, not the transfer: a host that sends a byte every few
// seconds would never trip it. So each wait is cut to the time left, and
// only what has arrived is asked for, so no read waits to fill its buffer.
template <class Sink>
BodyEnd ReadBody(HINTERNET request, char* buffer, DWORD chunk, DWORD started, DWORD deadline, long long maxBytes,
                 Sink sink)
{
    long long total = 0;
    for (;;) {
        const DWORD elapsed = GetTickCount() - started;
        if (elapsed >= deadline)
            return BodyCut;
        DWORD wait = deadline - elapsed < getTimeout ? deadline - elapsed : getTimeout;
        InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &wait, sizeof wait);
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0))
            return BodyFailed;
        if (available == 0)
            return BodyWhole;
        DWORD read = 0;
        if (!InternetReadFile(request, buffer, available < chunk ? available : chunk, &read))
            return BodyFailed;
        if (read == 0)
            return BodyWhole;
        total += read;
        if (total > maxBytes)
            return BodyCut;
        if (!sink(buffer, read))
            return BodyFailed;
    }
}

// Sends a GET and applies the "200" rule: true when the transfer may go on.
// The request is secure when the address is https, as every hop of a
// redirect is.
bool SendGet(Exchange& exchange, const char* url, SplitUrl& split, const char* agent, char (&status)[32],
             bool& haveStatus)
{
    DWORD flags = requestFlags;
    if (split.schemeNumber == INTERNET_SCHEME_HTTPS)
        flags |= INTERNET_FLAG_SECURE;
    const bool sent = exchange.Run(url, split, agent, "GET", nullptr, nullptr, flags, getTimeout, true);
    haveStatus = QueryStatus(exchange.Request(), status);
    if (haveStatus)
        return std::strcmp(status, "200") == 0;
    return sent;
}

} // namespace

int GetToFile(const char* url, const char* path)
{
    SplitUrl split;
    if (!Split(url, split))
        return 0;
    const DWORD chunk = 5120;
    char* buffer = static_cast<char*>(std::malloc(chunk + 1));
    if (buffer == nullptr)
        return 0;

    int result = 0;
    bool opened = false;
    {
        const DWORD started = GetTickCount();
        Exchange exchange;
        char status[32];
        bool haveStatus = false;
        if (SendGet(exchange, url, split, "Vemo Download Tool", status, haveStatus)) {
            // A file that cannot be opened stores nothing: that is a failure.
            FILE* file = std::fopen(path, "wb");
            opened = file != nullptr;
            if (file != nullptr) {
                const long long announced = ContentLength(exchange.Request());
                long long received = 0;
                const BodyEnd end = ReadBody(exchange.Request(), buffer, chunk, started, fileDeadline, fileLimit,
                                             [file, &received](const char* bytes, DWORD count) {
                                                 received += count;
                                                 const bool stored = std::fwrite(bytes, 1, count, file) == count;
                                                 Sleep(20);
                                                 return stored;
                                             });
                const bool written = std::fclose(file) == 0;
                // Wine reads a body the server cut short as a normal end; the
                // announced length tells a broken transfer from a whole one.
                const bool whole = announced < 0 || received == announced;
                result = end == BodyWhole && written && whole ? 1 : 0;
            }
        }
    }
    // A failed download leaves no part of a file behind.
    if (result == 0 && opened)
        DeleteFileA(path);
    std::free(buffer);
    return result;
}

int GetToString(const char* url, CString& text)
{
    SplitUrl split;
    if (!Split(url, split))
        return 0;
    const DWORD chunk = 1024;
    char* buffer = static_cast<char*>(std::malloc(chunk + 1));
    if (buffer == nullptr)
        return 0;

    char status[32] = "";
    bool haveStatus = false;
    bool cut = false;
    {
        const DWORD started = GetTickCount();
        Exchange exchange;
        const bool proceed = SendGet(exchange, url, split, nullptr, status, haveStatus);
        text.Empty();
        if (proceed) {
            // Each chunk counts up to its first NUL byte, as text.
            const BodyEnd end = ReadBody(exchange.Request(), buffer, chunk, started, pageDeadline, LLONG_MAX,
                                         [buffer, &text](const char*, DWORD count) {
                                             Sleep(0);
                                             buffer[count] = 0;
                                             text.Append(buffer, static_cast<int>(std::strlen(buffer)));
                                             return true;
                                         });
            cut = end == BodyCut;
        }
    }
    std::free(buffer);
    if (cut) {
        // Part of a page is no page: the cycle sees a failed download.
        text.Empty();
        return 0;
    }
    return haveStatus ? std::atoi(status) : 0;
}

bool PostForm(const char* url, const char* body, CString& text, int* status)
{
    if (status != nullptr)
        *status = 0;
    SplitUrl split;
    if (!Split(url, split))
        return false;
    const DWORD chunk = 10240;
    char* buffer = static_cast<char*>(std::malloc(chunk + 1));
    if (buffer == nullptr)
        return false;

    {
        DWORD flags = requestFlags;
        const char* referrer = nullptr;
        if (split.schemeNumber == INTERNET_SCHEME_HTTPS) {
            flags |= INTERNET_FLAG_SECURE;
            referrer = WebBaseAddress();
        }
        Exchange exchange;
        const bool sent = exchange.Run(url, split, nullptr, "POST", body, referrer, flags, postTimeout, false);
        text.Empty();
        if (sent) {
            char statusText[32];
            if (status != nullptr && QueryStatus(exchange.Request(), statusText))
                *status = std::atoi(statusText);
            ReadIntoString(exchange.Request(), buffer, chunk, text);
        }
    }
    std::free(buffer);
    return true;
}
