#include "HttpTransport.h"

#include "WebAddress.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char formHeader[] = "Content-Type: application/x-www-form-urlencoded";
const DWORD requestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_UI;
const DWORD getTimeout = 5000;
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

// The three handles of one request, closed in reverse order at one exit.
class RequestHandles {
public:
    RequestHandles() = default;
    RequestHandles(const RequestHandles&) = delete;
    RequestHandles& operator=(const RequestHandles&) = delete;
    ~RequestHandles()
    {
        if (request != nullptr)
            InternetCloseHandle(request);
        if (connection != nullptr)
            InternetCloseHandle(connection);
        if (session != nullptr)
            InternetCloseHandle(session);
    }

    // Opens session, connection and request; each step only after the one
    // before it succeeded. True when the request handle exists.
    bool Open(const SplitUrl& split, const char* agent, const char* verb, const char* referrer, DWORD flags,
              DWORD receiveTimeout, bool sessionTimeouts)
    {
        session = InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (session == nullptr)
            return false;
        if (sessionTimeouts) {
            // Wine ignores these on the session handle; they stay for Windows,
            // and the request handle gets its own receive limit below.
            DWORD timeout = getTimeout;
            InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
            InternetSetOptionA(session, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
        }
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

    HINTERNET Request() const { return request; }

private:
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

// Sends a GET and applies the "200" rule: true when the transfer may go on.
bool SendGet(HINTERNET request, char (&status)[32], bool& haveStatus)
{
    const bool sent = request != nullptr && HttpSendRequestA(request, nullptr, 0, nullptr, 0);
    haveStatus = QueryStatus(request, status);
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
    {
        RequestHandles handles;
        handles.Open(split, "Vemo Download Tool", "GET", nullptr, requestFlags, getTimeout, true);
        char status[32];
        bool haveStatus = false;
        if (SendGet(handles.Request(), status, haveStatus)) {
            // A file that cannot be opened stores nothing: that is a failure.
            FILE* file = std::fopen(path, "wb");
            if (file != nullptr) {
                const long long announced = ContentLength(handles.Request());
                long long received = 0;
                BOOL lastRead = FALSE;
                for (;;) {
                    DWORD read = 0;
                    lastRead = InternetReadFile(handles.Request(), buffer, chunk, &read);
                    if (!lastRead || read == 0)
                        break;
                    std::fwrite(buffer, 1, read, file);
                    received += read;
                    Sleep(20);
                }
                const bool written = std::fclose(file) == 0;
                // Wine reads a body the server cut short as a normal end; the
                // announced length tells a broken transfer from a whole one.
                const bool whole = announced < 0 || received == announced;
                result = lastRead && written && whole ? 1 : 0;
            }
        }
    }
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
    {
        RequestHandles handles;
        handles.Open(split, nullptr, "GET", nullptr, requestFlags, getTimeout, true);
        const bool proceed = SendGet(handles.Request(), status, haveStatus);
        text.Empty();
        if (proceed)
            ReadIntoString(handles.Request(), buffer, chunk, text);
    }
    std::free(buffer);
    return haveStatus ? std::atoi(status) : 0;
}

bool PostForm(const char* url, const char* body, CString& text)
{
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
        RequestHandles handles;
        handles.Open(split, nullptr, "POST", referrer, flags, postTimeout, false);
        const bool sent = handles.Request() != nullptr
            && HttpSendRequestA(handles.Request(), formHeader, static_cast<DWORD>(std::strlen(formHeader)),
                                const_cast<char*>(body), static_cast<DWORD>(std::strlen(body)));
        text.Empty();
        if (sent)
            ReadIntoString(handles.Request(), buffer, chunk, text);
    }
    std::free(buffer);
    return true;
}
